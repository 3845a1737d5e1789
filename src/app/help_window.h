#pragma once

#include <QString>
#include <QTextBrowser>
#include <QWidget>
#include <vector>

class QListWidget;
class QPushButton;
class QTextDocument;

// The program's help document file, as the main window names it.
void setHelpFile(const QString& path);
QString helpFile();

// A help document read from disk, or why it could not be read.
struct HelpFileText {
    QString html;  // the document (UTF-8 decoded)
    QString error; // empty when the file was read
};
// Reads the help document at `path` (a program path, kept byte-exact).
HelpFileText readHelpFile(const QString& path);

// A topic of the help document: a level 1 or 2 heading that carries an anchor.
struct HelpTopic {
    QString title;
    QString anchor;
};
std::vector<HelpTopic> helpTopics(const QTextDocument& document);

// The text view of the help window. It serves the document from memory, so links inside
// it, Back and Forward work on the text that was read (and nothing is read twice).
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit THelpBrowser(QWidget* parent = nullptr);
    // The address under which the document is shown; "#anchor" selects a topic.
    static QUrl documentUrl();
    void setDocumentText(const QString& html);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QString html_;
};

// The help window: a list of the document's topics beside the document, with Back and
// Forward. A file that cannot be read is reported inside the window.
class TfrmHelp : public QWidget {
    Q_OBJECT
public:
    explicit TfrmHelp(QWidget* owner = nullptr);

    // Shows the document at `path`; false, with the reason shown in the window, when it
    // cannot be read.
    bool openFile(const QString& path);
    // Shows topic number `context` (1 is the first topic).
    void showContext(int context);

    QString fileName() const { return fileName_; }
    // Why the file could not be shown (empty when it was).
    QString errorText() const { return error_; }
    const std::vector<HelpTopic>& topics() const { return topics_; }
    // The anchor of the topic shown last ("" when none).
    QString currentAnchor() const;

    QListWidget* lbTopics = nullptr;
    THelpBrowser* viewer = nullptr;
    QPushButton* btBack = nullptr;
    QPushButton* btForward = nullptr;

private:
    void showTopicRow(int row);
    void viewerSourceChanged(const QUrl& url);

    QString fileName_;
    QString error_;
    std::vector<HelpTopic> topics_;
};

// Opens (or raises) the help window owned by `owner` on helpFile() at topic `context`.
TfrmHelp* showHelp(QWidget* owner, int context);
