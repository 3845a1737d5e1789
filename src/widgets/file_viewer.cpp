#include "widgets/file_viewer.h"

#include "common/message_boxes.h"
#include "model/line_text.h"
#include "widgets/file_viewer_accessible.h"
#include "widgets/line_scroll.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>

namespace {
using Clock = std::chrono::steady_clock;
// What the worker threads do between looks at their stop flag: a few milliseconds.
constexpr std::int64_t kSliceBytes = 4 << 20;
// How often a worker hands over its progress.
constexpr auto kDeliverEvery = std::chrono::milliseconds(40);
// Searched at once before a search goes to the background, and counted at once after the
// file changed: a few milliseconds from the page cache.
constexpr std::int64_t kAtOnceBytes = 4 << 20;
// How often a shown file is looked at again, for another program writing it.
constexpr int kFollowMs = 1000;
constexpr int kMargin = 2;
constexpr int kWheelLines = 3;
} // namespace

FileViewer::FileViewer(QWidget* parent) : QAbstractScrollArea(parent) {
    // Before anything that makes Qt look up the control's interface, which it keeps.
    FileViewerAccessible::install();
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(9);
    setFont(fixed);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("File viewer"));
    viewport()->setCursor(Qt::IBeamCursor);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    followTimer_.setInterval(kFollowMs);
    connect(&followTimer_, &QTimer::timeout, this, &FileViewer::followFile);
    connect(this, &FileViewer::showStatus, this, [this] { FileViewerAccessible::notify(this); });
}

FileViewer::~FileViewer() {
    // The workers read the model's file: they stop before it closes.
    counter_.stop();
    searcher_.stop();
}

QString FileViewer::copyTooLargeText() {
    return QStringLiteral("The selection is too large to copy: the clipboard takes at most %1 MB.")
        .arg(kCopyLimit >> 20);
}

QString FileViewer::open() {
    stopWork();
    counter_.stop();
    const QString error = model_.open(fileName_);
    match_ = {};
    caret_ = anchor_ = {};
    top_ = 0;
    leftColumn_ = 0;
    selecting_ = false;
    shownSize_ = model_.fileSize();
    if (isOpen())
        followTimer_.start();
    else
        followTimer_.stop();
    contentChanged();
    startCounting();
    return error;
}

void FileViewer::close() {
    stopWork();
    counter_.stop();
    model_.close();
    match_ = {};
    caret_ = anchor_ = {};
    top_ = 0;
    leftColumn_ = 0;
    shownSize_ = 0;
    followTimer_.stop();
    contentChanged();
}

bool FileViewer::isOpen() const {
    return model_.isOpen();
}

bool FileViewer::inHexMode() const {
    return model_.hexMode();
}

void FileViewer::setInHexMode(bool on) {
    if (on == inHexMode())
        return;
    stopWork(); // a move waiting for a line counts lines of the other mode
    // The caret stays on the byte it stood before when that line is known without counting
    // far; otherwise it goes to the first line.
    auto offset = model_.offsetOf(caret_.line, caret_.column);
    if (offset && *offset == fileSize())
        --*offset; // the caret after the last byte: its line is the last one
    model_.setHexMode(on);
    Position to;
    if (offset && *offset >= 0 && *offset < model_.countedBytes()) {
        if (const auto at = model_.positionOf(*offset))
            to = {at->line, at->column};
    }
    caret_ = anchor_ = to;
    top_ = to.line; // brought within range by contentChanged
    leftColumn_ = 0;
    contentChanged();
}

bool FileViewer::expandTabs() const {
    return model_.expandTabs();
}

void FileViewer::setExpandTabs(bool on) {
    model_.setExpandTabs(on);
    contentChanged();
}

int FileViewer::tabSize() const {
    return model_.tabSize();
}

void FileViewer::setTabSize(int size) {
    model_.setTabSize(size);
    contentChanged();
}

void FileViewer::setFixedFont(const QFont& font) {
    setFont(font);
    contentChanged();
}

std::int64_t FileViewer::lineCount() const {
    const auto count = model_.lineCount();
    return count ? *count : kUncounted;
}

void FileViewer::countAllLines() {
    if (model_.linesCounted())
        return;
    counter_.stop();
    model_.countAll();
    countMoved(false);
}

QString FileViewer::lineText(std::int64_t line) {
    if (!inHexMode() && !model_.linesCounted() && line >= model_.knownLines()) {
        counter_.stop();
        model_.countToLine(line);
        countMoved(false);
        startCounting();
    }
    return model_.lineText(line);
}

bool FileViewer::hasSelection() const {
    return !(caret_ == anchor_) || matchSelected();
}

bool FileViewer::matchSelected() const {
    return match_.offset >= 0 && caret_ == match_.caret && anchor_ == match_.anchor;
}

FileViewer::Selection FileViewer::selection() const {
    const bool forward = anchor_.line < caret_.line ||
                         (anchor_.line == caret_.line && anchor_.column <= caret_.column);
    return forward ? Selection{anchor_, caret_} : Selection{caret_, anchor_};
}

void FileViewer::selectAll() {
    stopWork();
    if (!model_.lineCount()) {
        pending_ = Pending(Pending::SelectAll);
        showProgress();
        return;
    }
    const auto count = lineCount();
    if (count <= 0)
        return;
    anchor_ = {};
    caret_ = {count - 1, lineLength(count - 1)};
    viewport()->update();
    Q_EMIT showStatus();
}

void FileViewer::clearSelection() {
    anchor_ = caret_;
    viewport()->update();
    Q_EMIT showStatus();
}

FileViewer::CopyResult FileViewer::copy() {
    if (!hasSelection())
        return CopyResult::NothingSelected;
    const auto s = selection();
    // Decided by the bytes the selection spans, before any text is made.
    auto from = model_.offsetOf(s.start.line, s.start.column);
    auto to = model_.offsetOf(s.end.line, s.end.column);
    if (matchSelected()) {
        from = match_.offset;
        to = match_.offset + match_.length;
    }
    if (from && to && *to - *from > kCopyLimit)
        return CopyResult::TooLarge;
    if (!inHexMode()) {
        if (!from || !to)
            return CopyResult::NothingSelected;
        QGuiApplication::clipboard()->setText(model_.copiedText(*from, *to));
        return CopyResult::Copied;
    }
    QString text;
    model_.forEachLine(s.start.line, s.end.line, [&](std::int64_t line, const QString& shown) {
        QString part = shown;
        if (line == s.end.line)
            part.truncate(s.end.column);
        if (line == s.start.line)
            part.remove(0, s.start.column);
        if (line != s.start.line)
            text += QLatin1Char('\n');
        text += part;
    });
    QGuiApplication::clipboard()->setText(text);
    return CopyResult::Copied;
}

FileViewer::SearchResult FileViewer::search(const QString& text, SearchOptions options) {
    if (text.isEmpty() || !isOpen())
        return SearchResult::NotFound;
    stopWork();
    std::int64_t from = options.backward ? model_.fileSize() : 0;
    if (!options.global) {
        // On from the match selected last, in the file's bytes: its columns may all be the
        // cut of a long line. Else from the caret, which a forward match leaves at its end and
        // a backward one at its start: never the same match again.
        if (matchSelected())
            from = options.backward ? match_.offset : match_.offset + match_.length;
        else if (const auto at = model_.offsetOf(caret_.line, caret_.column))
            from = *at;
    }
    FileSearch search = model_.search(text, from, options.backward, options.matchCase);
    const std::int64_t length = text.toUtf8().size();
    const bool backward = options.backward;
    const auto found = search.step(kAtOnceBytes);
    if (found)
        return selectMatch(*found, length, backward, text) ? SearchResult::Found
                                                           : SearchResult::Searching;
    if (search.done())
        return SearchResult::NotFound;
    searchPassed_ = search.passed();
    searchTotal_ = search.total();
    searcher_.start([this, search, length, backward, text]() mutable {
        auto delivered = Clock::now();
        while (!searcher_.stopping()) {
            const auto found = search.step(kSliceBytes);
            if (found || search.done()) {
                searcher_.deliver([this, found, length, backward,
                                   text] { searchEnded(text, found, length, backward); },
                                  true);
                return;
            }
            if (Clock::now() - delivered >= kDeliverEvery) {
                delivered = Clock::now();
                searcher_.deliver([this, passed = search.passed()] {
                    searchPassed_ = passed;
                    showProgress();
                });
            }
        }
    });
    showProgress();
    return SearchResult::Searching;
}

void FileViewer::searchEnded(const QString& text, std::optional<std::int64_t> found,
                             std::int64_t length, bool backward) {
    if (found && !selectMatch(*found, length, backward, text))
        return;
    showProgress();
    Q_EMIT searchDone(text, found.has_value());
}

bool FileViewer::selectMatch(std::int64_t offset, std::int64_t length, bool backward,
                             const QString& text) {
    if (!model_.linesCounted() && model_.countedBytes() < offset + length) {
        // Its line is not known yet.
        pending_ = Pending(Pending::Match);
        pending_.offset = offset;
        pending_.length = length;
        pending_.backward = backward;
        pending_.text = text;
        showProgress();
        return false;
    }
    const auto span = model_.spanOf(offset, length);
    if (!span)
        return true; // the file was cut short before the match: nothing to select
    const Position start{span->start.line, span->start.column};
    const Position end{span->end.line, span->end.column};
    anchor_ = backward ? end : start;
    caret_ = backward ? start : end;
    match_ = {offset, length, anchor_, caret_};
    scrollToCaret();
    viewport()->update();
    Q_EMIT showStatus();
    return true;
}

FileViewer::Work FileViewer::work() const {
    if (searcher_.busy())
        return Work::Searching;
    return pending_.kind == Pending::None ? Work::None : Work::Counting;
}

int FileViewer::workPercent() const {
    const auto percent = [](std::int64_t part, std::int64_t whole) {
        return whole > 0 ? static_cast<int>(100.0 * static_cast<double>(part) /
                                            static_cast<double>(whole))
                         : 0;
    };
    switch (work()) {
    case Work::Searching:
        return percent(searchPassed_, searchTotal_);
    case Work::Counting:
        return percent(model_.countedBytes(), model_.fileSize());
    case Work::None:
        break;
    }
    return 0;
}

bool FileViewer::stopWork() {
    const bool busy = work() != Work::None;
    searcher_.stop();
    pending_ = Pending();
    if (busy)
        showProgress();
    return busy;
}

void FileViewer::showProgress() {
    const int shown = work() == Work::None ? -1 : workPercent();
    if (shown == progressShown_)
        return;
    progressShown_ = shown;
    Q_EMIT showStatus();
}

std::int64_t FileViewer::fileSize() const {
    return model_.fileSize();
}

void FileViewer::goTo(std::int64_t line, int column) {
    if (lineCount() == 0)
        return;
    stopWork();
    line = std::max<std::int64_t>(line, 0);
    if (line >= reachableLines() && !model_.lineCount()) {
        pending_ = Pending(Pending::GoTo);
        pending_.to = {line, column};
        showProgress();
        return;
    }
    moveCaret({line, column}, false); // a line beyond the last is the last
}

void FileViewer::goToEnd(bool extend) {
    Position to{reachableLines() - 1, 0};
    to.column = lineLength(to.line);
    moveCaret(to, extend);
}

// ---- geometry and scrolling

std::int64_t FileViewer::reachableLines() const {
    return isOpen() ? model_.knownLines() : 0;
}

int FileViewer::lineLength(std::int64_t line) {
    return static_cast<int>(model_.lineText(line).size());
}

int FileViewer::lineHeight() const {
    return std::max(1, fontMetrics().height());
}

qreal FileViewer::charWidth() const {
    // The font's own advance, often a fraction of a pixel: a whole-pixel cell would drift
    // from the glyphs as a line goes on.
    return std::max<qreal>(1, QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')));
}

int FileViewer::columnsShown() const {
    return std::max(1, static_cast<int>(viewport()->width() / charWidth()));
}

int FileViewer::fullRows() const {
    return std::max(1, viewport()->height() / lineHeight());
}

int FileViewer::widestLine() const {
    if (!inHexMode())
        return kTextLineMax + 1; // room for the caret after the cut
    const std::int64_t last = std::max<std::int64_t>(model_.fileSize() - 1, 0);
    return hexOffsetDigits(last) + 2 + 4 * kHexLineBytes + 1;
}

std::int64_t FileViewer::maxTop() const {
    return std::max<std::int64_t>(0, reachableLines() - fullRows());
}

void FileViewer::contentChanged() {
    caret_ = clamped(caret_);
    anchor_ = clamped(anchor_);
    top_ = std::min(top_, maxTop());
    updateScrollBars();
    viewport()->update();
    Q_EMIT showStatus();
}

void FileViewer::updateScrollBars() {
    syncingBars_ = true;
    const auto top = maxTop();
    verticalScrollBar()->setRange(0, lineScrollMaximum(top));
    verticalScrollBar()->setPageStep(fullRows());
    verticalScrollBar()->setValue(lineScrollValue(top_, top));
    const int columns = columnsShown();
    horizontalScrollBar()->setRange(0, std::max(0, widestLine() - columns));
    horizontalScrollBar()->setPageStep(columns);
    horizontalScrollBar()->setValue(leftColumn_);
    leftColumn_ = horizontalScrollBar()->value();
    syncingBars_ = false;
}

void FileViewer::setTop(std::int64_t top) {
    top = std::clamp<std::int64_t>(top, 0, maxTop());
    if (top == top_)
        return;
    top_ = top;
    updateScrollBars();
    viewport()->update();
    Q_EMIT showStatus();
}

void FileViewer::scrollContentsBy(int, int) {
    // The bars moved: the view is painted anew from the 64-bit top line, not scrolled by pixels.
    if (syncingBars_)
        return;
    leftColumn_ = horizontalScrollBar()->value();
    const auto top = lineAtScrollValue(verticalScrollBar()->value(), maxTop());
    if (top != top_) {
        top_ = top;
        Q_EMIT showStatus();
    }
    viewport()->update();
}

void FileViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const auto top = std::min(top_, maxTop());
    const bool moved = top != top_;
    top_ = top;
    updateScrollBars();
    if (moved)
        Q_EMIT showStatus();
}

FileViewer::Position FileViewer::clamped(Position p) {
    const auto lines = reachableLines();
    if (lines <= 0)
        return {};
    p.line = std::clamp<std::int64_t>(p.line, 0, lines - 1);
    p.column = std::clamp(p.column, 0, lineLength(p.line));
    return p;
}

void FileViewer::scrollToCaret() {
    std::int64_t top = top_;
    if (caret_.line < top)
        top = caret_.line;
    else if (caret_.line >= top + fullRows())
        top = caret_.line - fullRows() + 1;
    const int columns = columnsShown();
    if (caret_.column < leftColumn_)
        leftColumn_ = caret_.column;
    else if (caret_.column >= leftColumn_ + columns)
        leftColumn_ = caret_.column - columns + 1;
    top_ = std::clamp<std::int64_t>(top, 0, maxTop());
    updateScrollBars();
}

void FileViewer::moveCaret(Position to, bool extend) {
    caret_ = clamped(to);
    if (!extend)
        anchor_ = caret_;
    scrollToCaret();
    viewport()->update();
    Q_EMIT showStatus();
}

// ---- counting and following the file

void FileViewer::startCounting() {
    counter_.stop();
    if (!isOpen() || model_.linesCounted())
        return;
    const std::int64_t end = model_.fileSize();
    counter_.start([this, counter = model_.counter(), end]() mutable {
        std::vector<LineMark> marks;
        auto delivered = Clock::now();
        while (!counter_.stopping()) {
            const bool whole = counter.count(end, kSliceBytes, marks);
            const bool done = !whole || counter.state().scanned >= end;
            if (done || Clock::now() - delivered >= kDeliverEvery) {
                delivered = Clock::now();
                counter_.deliver(
                    [this, marks = std::move(marks), state = counter.state(), whole] {
                        const bool wasCounted = model_.linesCounted();
                        model_.takeCount(marks, state, !whole);
                        countMoved(wasCounted);
                        if (!whole)
                            followFile(); // the file is shorter than it was
                    },
                    done);
                marks.clear();
                if (done)
                    return;
            }
        }
    });
}

void FileViewer::countMoved(bool wasCounted) {
    // Lines on screen that were not known before are painted now.
    viewport()->update();
    updateScrollBars();
    resolvePending();
    if (!wasCounted && model_.linesCounted())
        Q_EMIT showStatus(); // the total is known
    showProgress();
}

void FileViewer::resolvePending() {
    const Pending p = pending_;
    const bool counted = model_.linesCounted();
    switch (p.kind) {
    case Pending::None:
        return;
    case Pending::GoTo:
        if (!counted && p.to.line >= reachableLines())
            return;
        break;
    case Pending::End:
    case Pending::SelectAll:
        if (!counted)
            return;
        break;
    case Pending::Match:
        if (!counted && model_.countedBytes() < p.offset + p.length)
            return;
        break;
    }
    pending_ = Pending();
    switch (p.kind) {
    case Pending::GoTo:
        moveCaret(p.to, false);
        break;
    case Pending::End:
        goToEnd(p.extend);
        break;
    case Pending::SelectAll:
        selectAll();
        break;
    case Pending::Match:
        selectMatch(p.offset, p.length, p.backward, p.text);
        Q_EMIT searchDone(p.text, true);
        break;
    case Pending::None:
        break;
    }
    showProgress();
}

void FileViewer::followFile() {
    if (!model_.changedOnDisk() && model_.fileSize() == shownSize_)
        return;
    counter_.stop(); // it counts by what the file was
    model_.refresh();
    shownSize_ = model_.fileSize();
    match_ = {};
    // Count what is cheap now, so the caret is not pulled back only because the index
    // stepped back to recount a file that was cut short.
    model_.countStep(kAtOnceBytes);
    contentChanged();
    startCounting();
    resolvePending();
}

// ---- painting

void FileViewer::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette& pal = palette();
    painter.fillRect(viewport()->rect(), pal.color(QPalette::Base));
    if (!isOpen())
        return;
    const int height = lineHeight();
    const qreal width = charWidth();
    const int ascent = fontMetrics().ascent();
    const int columns = columnsShown() + 2;
    const int rows = viewport()->height() / height + 1;
    const auto sel = selection();
    const bool selected = hasSelection();
    const auto xOf = [&](int column) { return kMargin + (column - leftColumn_) * width; };

    model_.forEachLine(top_, top_ + rows - 1, [&](std::int64_t line, const QString& text) {
        const int y = static_cast<int>(line - top_) * height;
        int from = 0, to = 0; // selected columns of this line
        if (selected && line >= sel.start.line && line <= sel.end.line) {
            from = line == sel.start.line ? sel.start.column : 0;
            // A line that goes on selected shows its line end selected too.
            to = line == sel.end.line ? sel.end.column : static_cast<int>(text.size()) + 1;
        }
        const QString shown = text.mid(leftColumn_, columns);
        const QPointF origin(xOf(leftColumn_), y + ascent);
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(origin, shown);
        if (to > from) {
            const int a = std::max(from, leftColumn_);
            const int b = std::min(to, leftColumn_ + columns);
            if (b > a) {
                // The selected cells are painted over with the same run of text, clipped to
                // them, so every glyph stays where the unselected text put it.
                const QRectF cells(xOf(a), y, (b - a) * width, height);
                painter.fillRect(cells, pal.color(QPalette::Highlight));
                painter.save();
                painter.setClipRect(cells);
                painter.setPen(pal.color(QPalette::HighlightedText));
                painter.drawText(origin, shown);
                painter.restore();
            }
        }
    });

    if (caret_.line >= top_ && caret_.line < top_ + rows) {
        const int y = static_cast<int>(caret_.line - top_) * height;
        painter.fillRect(QRectF(xOf(caret_.column), y, 2, height), pal.color(QPalette::Text));
    }
}

// ---- keys and mouse

void FileViewer::keyPressEvent(QKeyEvent* event) {
    // Ctrl+C and Ctrl+Insert copy when they reach the control, that is when the window has not
    // made them shortcuts of its own; the window's shortcut then copies instead.
    if (event->matches(QKeySequence::Copy) ||
        (event->key() == Qt::Key_Insert && event->modifiers() == Qt::ControlModifier)) {
        if (copy() == CopyResult::TooLarge)
            warningBox(copyTooLargeText());
        return;
    }
    if (event->key() == Qt::Key_Escape && stopWork())
        return;
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const auto lines = reachableLines();
    if (lines <= 0)
        return QAbstractScrollArea::keyPressEvent(event);
    Position to = caret_;
    const int page = std::max(1, fullRows() - 1);
    switch (event->key()) {
    case Qt::Key_Left:
        if (to.column > 0)
            --to.column;
        else if (to.line > 0)
            to = {to.line - 1, lineLength(to.line - 1)};
        break;
    case Qt::Key_Right:
        if (to.column < lineLength(to.line))
            ++to.column;
        else if (to.line + 1 < lines)
            to = {to.line + 1, 0};
        break;
    case Qt::Key_Up:
        --to.line;
        break;
    case Qt::Key_Down:
        ++to.line;
        break;
    case Qt::Key_PageUp:
        to.line -= page;
        setTop(top_ - page);
        break;
    case Qt::Key_PageDown:
        to.line += page;
        setTop(top_ + page);
        break;
    case Qt::Key_Home:
        to = ctrl ? Position{} : Position{to.line, 0};
        break;
    case Qt::Key_End:
        if (ctrl) {
            // The end of the file is its last line: once the lines are counted.
            stopWork();
            if (model_.lineCount())
                return goToEnd(extend);
            pending_ = Pending(Pending::End);
            pending_.extend = extend;
            return showProgress();
        }
        to.column = lineLength(to.line);
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    stopWork(); // the user moves on: a move or search still under way would pull the caret away
    moveCaret(to, extend);
}

FileViewer::Position FileViewer::positionAt(const QPoint& point) {
    const std::int64_t line = top_ + std::max(point.y(), 0) / lineHeight();
    const int column =
        leftColumn_ + static_cast<int>(std::max((point.x() - kMargin) / charWidth() + 0.5, 0.0));
    return clamped({line, column});
}

void FileViewer::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    stopWork();
    selecting_ = true;
    moveCaret(positionAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
}

void FileViewer::mouseMoveEvent(QMouseEvent* event) {
    if (!selecting_ || !(event->buttons() & Qt::LeftButton))
        return QAbstractScrollArea::mouseMoveEvent(event);
    // Dragging past the top or bottom edge scrolls a line at a time.
    const QPoint p = event->position().toPoint();
    if (p.y() < 0)
        setTop(top_ - 1);
    else if (p.y() >= viewport()->height())
        setTop(top_ + 1);
    const int y = std::clamp(p.y(), 0, viewport()->height() - 1);
    moveCaret(positionAt({p.x(), y}), true);
}

void FileViewer::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting_ = false;
}

void FileViewer::wheelEvent(QWheelEvent* event) {
    const QPoint steps = event->angleDelta() / 120;
    if (steps.y() != 0)
        setTop(top_ - std::int64_t(steps.y()) * kWheelLines);
    if (steps.x() != 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - steps.x() * kWheelLines);
    event->accept();
}

// ---- for assistive technology

QStringList FileViewer::knownLines(std::int64_t first, std::int64_t last) {
    QStringList lines;
    model_.forEachLine(first, last, [&](std::int64_t, const QString& text) { lines << text; });
    return lines;
}

int FileViewer::rowsShown() const {
    return (viewport()->height() + lineHeight() - 1) / lineHeight();
}

QRect FileViewer::cellRect(Position p) const {
    const qreal x = kMargin + (p.column - leftColumn_) * charWidth();
    return QRectF(x, static_cast<qreal>(p.line - top_) * lineHeight(), charWidth(), lineHeight())
        .toAlignedRect();
}

void FileViewer::select(Position anchor, Position to) {
    anchor_ = clamped(anchor);
    moveCaret(to, true);
}
