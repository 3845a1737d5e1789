#include "widgets/file_viewer_accessible.h"

#include <QScrollBar>
#include <algorithm>

// ---- the text window

ViewerTextWindow::ViewerTextWindow(std::int64_t firstLine, QStringList lines)
    : first_(firstLine), text_(lines.join(QLatin1Char('\n'))) {
    int at = 0;
    for (const QString& line : lines) {
        starts_.push_back(at);
        at += static_cast<int>(line.size()) + 1;
    }
}

int ViewerTextWindow::offsetOf(FileViewer::Position p) const {
    const std::int64_t i = p.line - first_;
    if (i < 0 || i >= static_cast<std::int64_t>(starts_.size()))
        return -1;
    const int start = starts_[static_cast<size_t>(i)];
    const int end = static_cast<size_t>(i) + 1 < starts_.size()
                        ? starts_[static_cast<size_t>(i) + 1] - 1
                        : static_cast<int>(text_.size());
    return start + std::clamp(p.column, 0, end - start);
}

FileViewer::Position ViewerTextWindow::positionAt(int offset) const {
    if (starts_.empty())
        return {first_, 0};
    offset = std::clamp(offset, 0, static_cast<int>(text_.size()));
    // The last line starting at or before the offset; an offset on a LF is the end of its line.
    const auto next = std::upper_bound(starts_.begin(), starts_.end(), offset);
    const auto i = std::distance(starts_.begin(), next) - 1;
    return {first_ + i, offset - starts_[static_cast<size_t>(i)]};
}

// ---- the interface

namespace {
QAccessibleInterface* makeInterface(const QString&, QObject* object) {
    if (auto* viewer = qobject_cast<FileViewer*>(object))
        return new FileViewerAccessible(viewer);
    return nullptr;
}
} // namespace

FileViewerAccessible::FileViewerAccessible(FileViewer* viewer)
    : QAccessibleWidget(viewer, QAccessible::EditableText) {}

void FileViewerAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void FileViewerAccessible::notify(FileViewer* viewer) {
    if (!QAccessible::isActive())
        return;
    auto* self = dynamic_cast<FileViewerAccessible*>(QAccessible::queryAccessibleInterface(viewer));
    if (!self)
        return;
    const ViewerTextWindow w = self->textWindow();
    const int caret = w.offsetOf(viewer->caret());
    // A caret that stays on its offset while the window moves stands on another line.
    if (caret >= 0 && (caret != self->toldCaret_ || w.firstLine() != self->toldFirstLine_)) {
        QAccessibleTextCursorEvent event(viewer, caret);
        QAccessible::updateAccessibility(&event);
    }
    int start = -1, end = -1;
    self->selectionIn(w, &start, &end);
    if (start != self->toldSelection_[0] || end != self->toldSelection_[1]) {
        QAccessibleTextSelectionEvent event(viewer, start, end);
        QAccessible::updateAccessibility(&event);
    }
    self->toldFirstLine_ = w.firstLine();
    self->toldCaret_ = caret;
    self->toldSelection_[0] = start;
    self->toldSelection_[1] = end;
}

FileViewer* FileViewerAccessible::viewer() const {
    return static_cast<FileViewer*>(widget());
}

ViewerTextWindow FileViewerAccessible::textWindow() const {
    FileViewer* v = viewer();
    const std::int64_t first = ViewerTextWindow::blockStart(v->topLine());
    const std::int64_t last = v->topLine() + v->rowsShown() - 1;
    return ViewerTextWindow(first, v->isOpen() ? v->knownLines(first, last) : QStringList());
}

void* FileViewerAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State FileViewerAccessible::state() const {
    QAccessible::State s = QAccessibleWidget::state();
    s.readOnly = true;
    s.multiLine = true;
    s.selectableText = true;
    s.focusable = true;
    return s;
}

QString FileViewerAccessible::text(QAccessible::Text type) const {
    QString t = QAccessibleWidget::text(type);
    // Without a description of its own the control names the file it shows.
    if (type == QAccessible::Description && t.isEmpty() && viewer()->isOpen())
        t = viewer()->fileName();
    return t;
}

QList<QAccessibleInterface*> FileViewerAccessible::children() const {
    QList<QAccessibleInterface*> list;
    for (QScrollBar* bar : {viewer()->verticalScrollBar(), viewer()->horizontalScrollBar()}) {
        if (bar->isVisible())
            if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(bar))
                list << i;
    }
    return list;
}

int FileViewerAccessible::childCount() const {
    return static_cast<int>(children().size());
}

QAccessibleInterface* FileViewerAccessible::child(int index) const {
    const auto list = children();
    return index >= 0 && index < list.size() ? list[index] : nullptr;
}

int FileViewerAccessible::indexOfChild(const QAccessibleInterface* child) const {
    return static_cast<int>(children().indexOf(const_cast<QAccessibleInterface*>(child)));
}

// ---- text

bool FileViewerAccessible::selectionIn(const ViewerTextWindow& w, int* start, int* end) const {
    *start = *end = -1;
    const FileViewer* v = viewer();
    if (!v->hasSelection())
        return false;
    const FileViewer::Selection s = v->selection();
    const std::int64_t last = w.positionAt(static_cast<int>(w.text().size())).line;
    if (s.end.line < w.firstLine() || s.start.line > last)
        return false;
    *start = s.start.line < w.firstLine() ? 0 : w.offsetOf(s.start);
    *end = s.end.line > last ? static_cast<int>(w.text().size()) : w.offsetOf(s.end);
    return *end > *start;
}

void FileViewerAccessible::selection(int index, int* startOffset, int* endOffset) const {
    if (index != 0 || !selectionIn(textWindow(), startOffset, endOffset))
        *startOffset = *endOffset = 0;
}

int FileViewerAccessible::selectionCount() const {
    int start, end;
    return selectionIn(textWindow(), &start, &end) ? 1 : 0;
}

void FileViewerAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void FileViewerAccessible::removeSelection(int index) {
    if (index == 0)
        viewer()->clearSelection();
}

void FileViewerAccessible::setSelection(int index, int startOffset, int endOffset) {
    if (index != 0)
        return;
    const ViewerTextWindow w = textWindow();
    viewer()->select(w.positionAt(startOffset), w.positionAt(endOffset));
}

int FileViewerAccessible::cursorPosition() const {
    return textWindow().offsetOf(viewer()->caret());
}

void FileViewerAccessible::setCursorPosition(int position) {
    const FileViewer::Position p = textWindow().positionAt(position);
    viewer()->goTo(p.line, p.column);
}

QString FileViewerAccessible::text(int startOffset, int endOffset) const {
    const QString all = textWindow().text();
    if (endOffset < 0 || endOffset > all.size())
        endOffset = static_cast<int>(all.size());
    startOffset = std::clamp(startOffset, 0, endOffset);
    return all.mid(startOffset, endOffset - startOffset);
}

int FileViewerAccessible::characterCount() const {
    return static_cast<int>(textWindow().text().size());
}

QRect FileViewerAccessible::characterRect(int offset) const {
    const QRect cell = viewer()->cellRect(textWindow().positionAt(offset));
    return {viewer()->viewport()->mapToGlobal(cell.topLeft()), cell.size()};
}

int FileViewerAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint at = viewer()->viewport()->mapFromGlobal(point);
    if (!viewer()->viewport()->rect().contains(at))
        return -1;
    return textWindow().offsetOf(viewer()->positionAt(at));
}

void FileViewerAccessible::scrollToSubstring(int startIndex, int) {
    setCursorPosition(startIndex);
}

QString FileViewerAccessible::attributes(int, int* startOffset, int* endOffset) const {
    // One font and colour throughout.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}
