#pragma once

#include "widgets/file_view_model.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>

// The file-viewer control: one file shown read-only as text lines or hex lines, at any size.
// It reads only the lines on screen, through the model's page cache, and counts text lines in
// steps on a timer so the window stays live. Line numbers and offsets are 64-bit; the scroll
// bar maps them onto its int range.
class FileViewer : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The line count reported while text lines are still being counted.
    static constexpr std::int64_t kUncounted = 2147483647;
    // The most a copy puts on the clipboard, in bytes of the file.
    static constexpr std::int64_t kCopyLimit = 64 * 1024 * 1024;
    // The message for a copy refused as too large, for every place that copies.
    static QString copyTooLargeText();

    explicit FileViewer(QWidget* parent = nullptr);
    ~FileViewer() override;

    QString fileName() const { return fileName_; }
    void setFileName(const QString& path) { fileName_ = path; }
    // Closes any open file and opens fileName(), shown from its first line. Returns an empty
    // text, or the error to show ("Viewer: file not found", ...) with no file open.
    QString open();
    void close();
    bool isOpen() const;
    // Only the first FileViewModel::kSizelessFileLimit bytes of the file show: it has no size
    // ahead of reading (proc, sysfs) and held more.
    bool shownInPart() const { return model_.shownInPart(); }

    bool inHexMode() const;
    void setInHexMode(bool on); // keeps the file open; the caret goes to the first line
    bool expandTabs() const;
    void setExpandTabs(bool on);
    int tabSize() const;
    void setTabSize(int size); // 0 and below are ignored
    QFont fixedFont() const { return font(); }
    void setFixedFont(const QFont& font);

    // Lines in the current mode: 0 with no file or an empty file, kUncounted while text lines
    // are still being counted.
    std::int64_t lineCount() const;
    // Counts the lines to the end of the file, so lineCount() is exact.
    void countAllLines();
    // Line `line` as shown (tabs expanded, characters filtered), at most 1,023 characters.
    QString lineText(std::int64_t line);

    struct Position {
        std::int64_t line = 0;
        int column = 0;
        bool operator==(const Position&) const = default;
    };
    struct Selection {
        Position start; // inclusive
        Position end;   // the column is exclusive
    };
    bool hasSelection() const;
    Selection selection() const; // meaningful while hasSelection()
    void selectAll();
    void clearSelection();

    enum class CopyResult { Copied, NothingSelected, TooLarge };
    // Puts the selected text on the clipboard; a selection of more than kCopyLimit bytes is
    // refused and the clipboard is left as it was.
    CopyResult copy();

    struct SearchOptions {
        bool backward = false;
        bool matchCase = false;
        bool global = false;
    };
    // Without global, searches from the caret; with it, from the start (forward) or the end
    // (backward). On success selects the match, leaves the caret at its end (forward) or its
    // start (backward), scrolls it into view and returns true; otherwise changes nothing.
    // An empty text finds nothing.
    bool search(const QString& text, SearchOptions options);

    Position caret() const { return caret_; }
    std::int64_t topLine() const { return top_; }
    std::int64_t fileSize() const;
    // Moves the caret to `line`, `column` and scrolls it into view: a line below 0 is the
    // first line, one beyond the last the last. Nothing happens while there are no lines.
    void goTo(std::int64_t line, int column);

    // For assistive technology (widgets/file_viewer_accessible.h).
    // Lines `first` to `last` as shown, as far as their starts are known now: nothing waits
    // for counting.
    QStringList knownLines(std::int64_t first, std::int64_t last);
    // Lines on screen, a partly shown last one included.
    int rowsShown() const;
    // The cell of `p` in the viewport.
    QRect cellRect(Position p) const;
    // The position nearest `point` of the viewport.
    Position positionAt(const QPoint& point);
    // Selects from `anchor` to `to`, where the caret goes, and scrolls the caret into view.
    void select(Position anchor, Position to);

Q_SIGNALS:
    // The caret, the top line or the content changed.
    void showStatus();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Lines the caret and the scroll bar can reach now (all once counted).
    std::int64_t reachableLines() const;
    int lineLength(std::int64_t line);
    int lineHeight() const;
    qreal charWidth() const;
    int columnsShown() const; // whole columns
    int fullRows() const;
    int widestLine() const;
    std::int64_t maxTop() const;
    // Shows everything anew after the file, the mode or the font changed.
    void contentChanged();
    void updateScrollBars();
    void setTop(std::int64_t top);
    // Moves the caret (and the anchor too unless `extend`), scrolls it into view and notifies.
    void moveCaret(Position to, bool extend);
    void scrollToCaret();
    Position clamped(Position p);
    void countTick();
    void followFile();

    QString fileName_;
    FileViewModel model_;
    Position caret_;
    Position anchor_;
    bool selecting_ = false;
    std::int64_t top_ = 0;
    int leftColumn_ = 0;
    bool syncingBars_ = false; // the control itself is setting the scroll bars
    std::int64_t shownSize_ = 0;
    QTimer countTimer_;
    QTimer followTimer_;
};
