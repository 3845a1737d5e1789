#pragma once

#include "common/worker_thread.h"
#include "model/file_view_model.h"

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>

// The file-viewer control: one file shown read-only as text lines or hex lines, at any size.
// It reads only the lines on screen, through the model's page cache. Text lines are counted on
// a worker thread, and a search through a big file runs on another, so the window stays live;
// what needs lines not counted yet (go to a line, the end, select all, a match far on) waits
// for the count, and Esc stops it. Line numbers and offsets are 64-bit; the scroll bar maps
// them onto its int range.
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
    // Counts the lines to the end of the file here and now, so lineCount() is exact.
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
    // Something is selected: columns, or a match (which may show as no column at all when it
    // lies beyond a line's cut).
    bool hasSelection() const;
    Selection selection() const; // meaningful while hasSelection()
    // Selects the whole text, once the lines are counted.
    void selectAll();
    void clearSelection();

    enum class CopyResult { Copied, NothingSelected, TooLarge };
    // Puts the selected text on the clipboard: in text mode the selected bytes of the file
    // (see copiedText), whole however long their lines; in hex mode the hex lines as shown. A
    // selection of more than kCopyLimit bytes is refused and the clipboard is left as it was.
    CopyResult copy();

    struct SearchOptions {
        bool backward = false;
        bool matchCase = false;
        bool global = false;
    };
    enum class SearchResult { Found, NotFound, Searching };
    // Without global, searches on from the match selected last (past it forward, before it
    // backward) or else from the caret; with global, from the start (forward) or the end
    // (backward). A match found is selected, with the caret at its end (forward) or its start
    // (backward), and scrolled into view; nothing found changes nothing. An empty text finds
    // nothing. The first megabytes are searched at once; beyond them the search goes on
    // in the background (Searching) and ends with searchDone, unless stopped.
    SearchResult search(const QString& text, SearchOptions options);

    // What runs in the background on the user's behalf: a search, or a move that waits for
    // the lines to be counted. Counting the lines itself is not work in this sense.
    enum class Work { None, Counting, Searching };
    Work work() const;
    // How far the work has come, 0 to 100.
    int workPercent() const;
    // Stops the work (Esc); true when there was some.
    bool stopWork();

    Position caret() const { return caret_; }
    std::int64_t topLine() const { return top_; }
    std::int64_t fileSize() const;
    // Moves the caret to `line`, `column` and scrolls it into view: a line below 0 is the
    // first line, one beyond the last the last. Nothing happens while there are no lines. A
    // line not counted yet is gone to once it is.
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
    // The caret, the top line, the content or the work's progress changed.
    void showStatus();
    // A search that went on in the background ended (not when it was stopped).
    void searchDone(const QString& text, bool found);

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
    void followFile();
    // Counts the text lines on the worker from where the count stands, unless all are counted.
    void startCounting();
    // After the count moved on: the screen, the bars, the waiting move and the status.
    void countMoved(bool wasCounted);
    // Does the move that waits for the count, once the lines it needs are counted.
    void resolvePending();
    void goToEnd(bool extend);
    // Selects the match at `offset` as search() says, or makes it wait for the count (false).
    bool selectMatch(std::int64_t offset, std::int64_t length, bool backward, const QString& text);
    void searchEnded(const QString& text, std::optional<std::int64_t> found, std::int64_t length,
                     bool backward);
    // The selection is the match selected last.
    bool matchSelected() const;
    void showProgress();

    QString fileName_;
    FileViewModel model_;
    Position caret_;
    Position anchor_;
    bool selecting_ = false;
    std::int64_t top_ = 0;
    int leftColumn_ = 0;
    bool syncingBars_ = false; // the control itself is setting the scroll bars
    std::int64_t shownSize_ = 0;
    QTimer followTimer_;
    // The match selected last, with the caret and anchor that show it.
    struct Match {
        std::int64_t offset = -1;
        std::int64_t length = 0;
        Position anchor;
        Position caret;
    } match_;
    // A move that waits for the lines to be counted.
    struct Pending {
        enum Kind { None, GoTo, End, SelectAll, Match } kind = None;
        explicit Pending(Kind kind = None) : kind(kind) {}
        Position to;                         // GoTo
        bool extend = false;                 // End
        std::int64_t offset = 0, length = 0; // Match
        bool backward = false;
        QString text;
    } pending_;
    std::int64_t searchPassed_ = 0;
    std::int64_t searchTotal_ = 0;
    int progressShown_ = -1;
    WorkerThread counter_;
    WorkerThread searcher_;
};
