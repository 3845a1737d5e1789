#include "widgets/file_viewer.h"

#include "common/message_boxes.h"
#include "widgets/file_viewer_accessible.h"
#include "widgets/line_scroll.h"
#include "widgets/line_text.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace {
// Bytes counted per tick of the counting timer: a few milliseconds from the page cache.
constexpr std::int64_t kCountTickBytes = 16 << 20;
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
    countTimer_.setInterval(0);
    connect(&countTimer_, &QTimer::timeout, this, &FileViewer::countTick);
    followTimer_.setInterval(kFollowMs);
    connect(&followTimer_, &QTimer::timeout, this, &FileViewer::followFile);
    connect(this, &FileViewer::showStatus, this, [this] { FileViewerAccessible::notify(this); });
}

FileViewer::~FileViewer() = default;

QString FileViewer::copyTooLargeText() {
    return QStringLiteral("The selection is too large to copy: the clipboard takes at most %1 MB.")
        .arg(kCopyLimit >> 20);
}

QString FileViewer::open() {
    const QString error = model_.open(fileName_);
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
    return error;
}

void FileViewer::close() {
    model_.close();
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
    if (!model_.lineCount())
        model_.countAll();
    countTick();
}

QString FileViewer::lineText(std::int64_t line) {
    model_.countToLine(line);
    return model_.lineText(line);
}

bool FileViewer::hasSelection() const {
    return !(caret_ == anchor_);
}

FileViewer::Selection FileViewer::selection() const {
    const bool forward = anchor_.line < caret_.line ||
                         (anchor_.line == caret_.line && anchor_.column <= caret_.column);
    return forward ? Selection{anchor_, caret_} : Selection{caret_, anchor_};
}

void FileViewer::selectAll() {
    countAllLines();
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
    const auto from = model_.offsetOf(s.start.line, s.start.column);
    const auto to = model_.offsetOf(s.end.line, s.end.column);
    if (from && to && *to - *from > kCopyLimit)
        return CopyResult::TooLarge;
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

bool FileViewer::search(const QString& text, SearchOptions options) {
    if (text.isEmpty() || !isOpen())
        return false;
    std::int64_t from = options.backward ? model_.fileSize() : 0;
    if (!options.global) {
        // Forward from the caret, which a forward match leaves at its end; backward from
        // before it, which a backward match leaves at its start: never the same match again.
        if (const auto at = model_.offsetOf(caret_.line, caret_.column))
            from = *at;
    }
    const auto found = model_.find(text, from, options.backward, options.matchCase);
    if (!found)
        return false;
    const auto span = model_.spanOf(*found, text.toUtf8().size());
    if (!span)
        return false;
    const Position start{span->start.line, span->start.column};
    const Position end{span->end.line, span->end.column};
    anchor_ = options.backward ? end : start;
    caret_ = options.backward ? start : end;
    scrollToCaret();
    viewport()->update();
    Q_EMIT showStatus();
    return true;
}

std::int64_t FileViewer::fileSize() const {
    return model_.fileSize();
}

void FileViewer::goTo(std::int64_t line, int column) {
    if (lineCount() == 0)
        return;
    line = std::max<std::int64_t>(line, 0);
    if (!model_.countToLine(line))
        line = lineCount() - 1;
    updateScrollBars(); // counting on may have made the line reachable
    moveCaret({line, column}, false);
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
    if (isOpen() && !model_.lineCount())
        countTimer_.start();
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

void FileViewer::countTick() {
    const auto known = reachableLines();
    model_.countStep(kCountTickBytes);
    // Lines on screen that were not known before are painted now.
    if (known < top_ + fullRows() + 1)
        viewport()->update();
    const bool counted = model_.lineCount().has_value();
    if (counted)
        countTimer_.stop();
    if (model_.fileSize() != shownSize_) {
        followFile();
        return;
    }
    updateScrollBars();
    if (counted)
        Q_EMIT showStatus();
}

void FileViewer::followFile() {
    const bool changed = model_.refresh();
    if (!changed && model_.fileSize() == shownSize_)
        return;
    shownSize_ = model_.fileSize();
    // Count what is cheap now, so the caret is not pulled back only because the index
    // stepped back to recount a file that was cut short.
    model_.countStep(kCountTickBytes);
    contentChanged();
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
            countAllLines(); // the end of the file is its last line, so count them all
            to = {reachableLines() - 1, 0};
            to.column = lineLength(to.line);
        } else {
            to.column = lineLength(to.line);
        }
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
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
