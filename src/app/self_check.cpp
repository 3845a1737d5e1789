#include "app/self_check.h"

#include "app/help_window.h"
#include "app/main_window.h"
#include "platform/native_path.h"
#include "platform/program_path.h"

#include <QApplication>
#include <QMessageBox>
#include <QTextDocument>
#include <QTimer>
#include <cstdio>

namespace {

void writeLine(const QString& line) {
    const QByteArray bytes = toNative(line) + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// Writes what is on screen and whether the help document can be read; the exit status.
int report(const TfrmMain& main) {
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        const QString name = w->objectName().isEmpty()
                                 ? QString::fromLatin1(w->metaObject()->className())
                                 : w->objectName();
        writeLine(QStringLiteral("window: ") + name + QStringLiteral(": ") + w->windowTitle());
        if (const auto* box = qobject_cast<const QMessageBox*>(w))
            writeLine(QStringLiteral("message: ") + box->text());
    }
    const QString path = findHelpFile(programFilePath());
    const HelpFileText help = readHelpFile(path);
    QTextDocument document;
    document.setHtml(help.html);
    const size_t topics = help.error.isEmpty() ? helpTopics(document).size() : 0;
    writeLine(QStringLiteral("help: ") + path + QStringLiteral(": ") +
              (help.error.isEmpty() ? QStringLiteral("%1 topics").arg(topics) : help.error));
    std::fflush(stdout);
    return main.isVisible() && topics > 0 ? 0 : 1;
}

} // namespace

bool selfCheckAsked() {
    return !qEnvironmentVariableIsEmpty("ZELKOVA_SELF_CHECK");
}

void startSelfCheck(const TfrmMain& main, bool waitForModal) {
    // Polled, so it also runs inside the modal loop of a window the file argument opened.
    auto* timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, &main, waitForModal, tries = 0]() mutable {
                         const bool ready = main.isVisible() &&
                                            (!waitForModal || QApplication::activeModalWidget());
                         if (!ready && ++tries < 600)
                             return;
                         timer->stop();
                         // Every loop, the nested modal ones too, ends with this status.
                         QCoreApplication::exit(report(main));
                     });
    timer->start();
}
