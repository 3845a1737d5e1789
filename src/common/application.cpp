#include "common/application.h"

#include "common/message_boxes.h"
#include "common/profile.h"

QString errorText(const std::exception& error) {
    // A settings error carries its text losslessly (a path need not be UTF-8).
    if (const auto* profile = dynamic_cast<const ProfileWriteError*>(&error))
        return profile->message();
    return QString::fromUtf8(error.what());
}

void reportError(const std::exception& error) {
    errorBox(errorText(error));
}

ZelkovaApplication::ZelkovaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The application title. No display name: under X11 Qt would append it to every
    // window's caption.
    setApplicationName(QStringLiteral("Zelkova '95"));
}

bool ZelkovaApplication::notify(QObject* receiver, QEvent* event) {
    return runReportingErrors([&] { return QApplication::notify(receiver, event); });
}
