// Interim version: the operations the windows use, on the model, with plain painting. The
// full control (keys, mouse, 64-bit scroll mapping, counting on the timer) replaces it.
#include "widgets/file_viewer.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QScrollBar>

FileViewer::FileViewer(QWidget* parent) : QAbstractScrollArea(parent) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

FileViewer::~FileViewer() = default;

QString FileViewer::open() {
    caret_ = anchor_ = {};
    top_ = 0;
    QString error = model_.open(fileName_);
    Q_EMIT showStatus();
    viewport()->update();
    return error;
}

void FileViewer::close() {
    model_.close();
    caret_ = anchor_ = {};
    top_ = 0;
    Q_EMIT showStatus();
}

bool FileViewer::isOpen() const {
    return model_.isOpen();
}
bool FileViewer::inHexMode() const {
    return model_.hexMode();
}
void FileViewer::setInHexMode(bool on) {
    model_.setHexMode(on);
    caret_ = anchor_ = {};
    top_ = 0;
    Q_EMIT showStatus();
}
bool FileViewer::expandTabs() const {
    return model_.expandTabs();
}
void FileViewer::setExpandTabs(bool on) {
    model_.setExpandTabs(on);
}
int FileViewer::tabSize() const {
    return model_.tabSize();
}
void FileViewer::setTabSize(int size) {
    model_.setTabSize(size);
}
void FileViewer::setFixedFont(const QFont& font) {
    setFont(font);
}

std::int64_t FileViewer::lineCount() const {
    const auto count = model_.lineCount();
    return count ? *count : kUncounted;
}

void FileViewer::countAllLines() {
    model_.countAll();
    Q_EMIT showStatus();
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
    caret_ = {count - 1, int(lineText(count - 1).size())};
    Q_EMIT showStatus();
}

void FileViewer::clearSelection() {
    anchor_ = caret_;
    Q_EMIT showStatus();
}

FileViewer::CopyResult FileViewer::copy() {
    if (!hasSelection())
        return CopyResult::NothingSelected;
    const auto s = selection();
    QStringList lines;
    for (auto line = s.start.line; line <= s.end.line; ++line) {
        QString text = lineText(line);
        if (line == s.end.line)
            text.truncate(s.end.column);
        if (line == s.start.line)
            text.remove(0, s.start.column);
        lines << text;
    }
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
    return CopyResult::Copied;
}

bool FileViewer::search(const QString& text, SearchOptions options) {
    if (text.isEmpty() || !isOpen())
        return false;
    std::int64_t from = options.backward ? model_.fileSize() : 0;
    if (!options.global)
        from = model_.lineOffset(caret_.line).value_or(0) + caret_.column;
    const auto found = model_.find(text, from, options.backward, options.matchCase);
    if (!found)
        return false;
    const auto start = model_.positionOf(*found);
    const auto end = model_.positionOf(*found + text.toUtf8().size() - 1);
    if (!start || !end)
        return false;
    Position after{end->line, end->column + 1};
    anchor_ = options.backward ? after : Position{start->line, start->column};
    caret_ = options.backward ? Position{start->line, start->column} : after;
    top_ = caret_.line;
    Q_EMIT showStatus();
    viewport()->update();
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
    caret_ = anchor_ = {line, column};
    top_ = line;
    Q_EMIT showStatus();
    viewport()->update();
}

void FileViewer::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int height = fontMetrics().height();
    for (int row = 0; row * height < viewport()->height(); ++row)
        painter.drawText(0, row * height + fontMetrics().ascent(), lineText(top_ + row));
}

void FileViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
}
void FileViewer::keyPressEvent(QKeyEvent* event) {
    QAbstractScrollArea::keyPressEvent(event);
}
void FileViewer::mousePressEvent(QMouseEvent* event) {
    QAbstractScrollArea::mousePressEvent(event);
}
void FileViewer::mouseMoveEvent(QMouseEvent* event) {
    QAbstractScrollArea::mouseMoveEvent(event);
}
void FileViewer::scrollContentsBy(int dx, int dy) {
    QAbstractScrollArea::scrollContentsBy(dx, dy);
}
