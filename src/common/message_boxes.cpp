#include "common/message_boxes.h"

#include "common/ui.h"

void errorBox(const QString& text) {
    ui().beep(Sound::Exclamation);
    ui().message(MessageKind::Error, QStringLiteral("Error"), text);
}

void warningBox(const QString& text) {
    ui().beep(Sound::CriticalStop);
    ui().message(MessageKind::Warning, QStringLiteral("Warning"), text);
}

void infoBox(const QString& text) {
    ui().message(MessageKind::Information, QStringLiteral("Information"), text);
}

void plainErrorBox(const QString& text) {
    ui().message(MessageKind::Error, QStringLiteral("Error"), text);
}
