#include "app/help_window.h"
#include "common/screen_centre.h"

#include "platform/native_path.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTextBlock>
#include <QTextDocument>
#include <QVBoxLayout>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
QString& helpFileStore() {
    static QString path;
    return path;
}

// Larger than any help text could reasonably be; guards against reading a device or a
// huge file by mistake.
constexpr qint64 maxHelpBytes = 32 * 1024 * 1024;

QString errorPage(const QString& message) {
    return QStringLiteral("<h2>Help is not available</h2><p>%1</p>").arg(message.toHtmlEscaped());
}
} // namespace

void setHelpFile(const QString& path) {
    helpFileStore() = path;
}
QString helpFile() {
    return helpFileStore();
}

HelpFileText readHelpFile(const QString& path) {
    const auto fail = [&path](int error) {
        return HelpFileText{QString(),
                            QStringLiteral("The help file %1 could not be read: %2.")
                                .arg(path, QString::fromLocal8Bit(std::strerror(error)))};
    };
    if (path.isEmpty())
        return fail(ENOENT);
    const int fd = ::open(toNative(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int error = errno;
            ::close(fd);
            return fail(error);
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > maxHelpBytes) {
            ::close(fd);
            return fail(EFBIG);
        }
    }
    ::close(fd);
    return HelpFileText{QString::fromUtf8(bytes), QString()};
}

std::vector<HelpTopic> helpTopics(const QTextDocument& document) {
    std::vector<HelpTopic> topics;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 1 || level > 2)
            continue;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QStringList names = it.fragment().charFormat().anchorNames();
            if (!names.isEmpty()) {
                topics.push_back({block.text().simplified(), names.first()});
                break;
            }
        }
    }
    return topics;
}

THelpBrowser::THelpBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenExternalLinks(true);
    setAccessibleName(QStringLiteral("Help text"));
}

QUrl THelpBrowser::documentUrl() {
    return QUrl(QStringLiteral("zelkova-help:/document"));
}

void THelpBrowser::setDocumentText(const QString& html) {
    html_ = html;
    setSource(documentUrl(), QTextDocument::HtmlResource);
    // The address may be the same as before while the text is new.
    reload();
    clearHistory();
}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.adjusted(QUrl::RemoveFragment) == documentUrl())
        return html_;
    return QTextBrowser::loadResource(type, name);
}

TfrmHelp::TfrmHelp(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Zelkova '95 Help"));
    resize(800, 560);

    btBack = new QPushButton(QStringLiteral("&Back"), this);
    btForward = new QPushButton(QStringLiteral("&Forward"), this);
    btBack->setEnabled(false);
    btForward->setEnabled(false);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    lbTopics = new QListWidget(splitter);
    lbTopics->setAccessibleName(QStringLiteral("Contents"));
    viewer = new THelpBrowser(splitter);
    splitter->addWidget(lbTopics);
    splitter->addWidget(viewer);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 560});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btBack);
    buttons->addWidget(btForward);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(btBack, &QPushButton::clicked, viewer, &QTextBrowser::backward);
    connect(btForward, &QPushButton::clicked, viewer, &QTextBrowser::forward);
    connect(viewer, &QTextBrowser::backwardAvailable, btBack, &QPushButton::setEnabled);
    connect(viewer, &QTextBrowser::forwardAvailable, btForward, &QPushButton::setEnabled);
    connect(viewer, &QTextBrowser::sourceChanged, this, &TfrmHelp::viewerSourceChanged);
    connect(lbTopics, &QListWidget::currentRowChanged, this, &TfrmHelp::showTopicRow);
}

bool TfrmHelp::openFile(const QString& path) {
    fileName_ = path;
    const HelpFileText file = readHelpFile(path);
    error_ = file.error;
    {
        const QSignalBlocker block(lbTopics);
        lbTopics->clear();
    }
    topics_.clear();
    if (!error_.isEmpty()) {
        viewer->setDocumentText(errorPage(error_));
        return false;
    }
    viewer->setDocumentText(file.html);
    topics_ = helpTopics(*viewer->document());
    const QSignalBlocker block(lbTopics);
    for (const HelpTopic& topic : topics_)
        lbTopics->addItem(topic.title);
    return true;
}

void TfrmHelp::showContext(int context) {
    const int row = context - 1;
    if (row < 0 || row >= int(topics_.size())) {
        viewer->scrollToAnchor(QString());
        return;
    }
    if (lbTopics->currentRow() == row)
        showTopicRow(row);
    else
        lbTopics->setCurrentRow(row);
}

QString TfrmHelp::currentAnchor() const {
    return viewer->source().fragment();
}

void TfrmHelp::showTopicRow(int row) {
    if (row < 0 || row >= int(topics_.size()))
        return;
    QUrl url = THelpBrowser::documentUrl();
    url.setFragment(topics_[row].anchor);
    viewer->setSource(url, QTextDocument::HtmlResource);
}

void TfrmHelp::viewerSourceChanged(const QUrl& url) {
    // Back, Forward and links inside the text move the contents list along.
    const QString anchor = url.fragment();
    for (int row = 0; row < int(topics_.size()); ++row) {
        if (topics_[row].anchor == anchor) {
            const QSignalBlocker block(lbTopics);
            lbTopics->setCurrentRow(row);
            return;
        }
    }
}

TfrmHelp* showHelp(QWidget* owner, int context) {
    TfrmHelp* window =
        owner ? owner->findChild<TfrmHelp*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    const bool fresh = !window;
    if (fresh) {
        window = new TfrmHelp(owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->openFile(helpFile());
    window->showContext(context);
    // Opening at a topic is where the reading starts, not a step to go back from.
    window->viewer->clearHistory();
    if (fresh)
        centreOnScreen(window);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
