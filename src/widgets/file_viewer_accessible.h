#pragma once

#include "widgets/file_viewer.h"

#include <QAccessibleWidget>
#include <QStringList>
#include <cstdint>

// The stretch of the file viewer's lines that screen readers read as text: from the start of
// the block of kBlockLines lines that holds the top line down to the bottom of the screen. A
// file can hold more text than an accessible text can address, so only this stretch is text;
// as it starts on a block boundary, a line keeps its offset while the view scrolls within the
// block, and the caret's offset changes whenever the caret moves to another line.
class ViewerTextWindow {
public:
    static constexpr std::int64_t kBlockLines = 256;
    static std::int64_t blockStart(std::int64_t topLine) { return topLine - topLine % kBlockLines; }

    ViewerTextWindow(std::int64_t firstLine, QStringList lines);

    std::int64_t firstLine() const { return first_; }
    // The lines joined by LF.
    const QString& text() const { return text_; }
    // The offset of a position; -1 when its line is not in the window. A column past the end
    // of its line is that line's end.
    int offsetOf(FileViewer::Position p) const;
    // The position of an offset, brought within the text.
    FileViewer::Position positionAt(int offset) const;

private:
    std::int64_t first_;
    QString text_;
    std::vector<int> starts_; // offset of each line's first character
};

// What assistive technology sees of the file viewer: a read-only multi-line text (the window
// above) with the caret and the selection, which it can also move.
class FileViewerAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit FileViewerAccessible(FileViewer* viewer);

    // Makes every file viewer use this interface; once is enough.
    static void install();
    // Tells assistive technology, if any listens, where the caret and the selection went.
    static void notify(FileViewer* viewer);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    // The scroll bars; the viewport is the text itself.
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;

    // QAccessibleTextInterface
    void selection(int index, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int index) override;
    void setSelection(int index, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    FileViewer* viewer() const;
    ViewerTextWindow textWindow() const;
    // The selection's offsets in `w`, cut to it; false when it has none there.
    bool selectionIn(const ViewerTextWindow& w, int* start, int* end) const;
    QList<QAccessibleInterface*> children() const;

    // What was last told, to tell only changes.
    std::int64_t toldFirstLine_ = -1;
    int toldCaret_ = -1;
    int toldSelection_[2] = {-1, -1};
};
