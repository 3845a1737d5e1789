#pragma once

#include <QString>
#include <stdexcept>

// The settings files "zelkova.ini" and "zelkova95" live in $XDG_CONFIG_HOME/zelkova/
// (~/.config/zelkova/ by default).
QString settingsFilePath(const QString& bareName);

// Raised when a settings write is refused: "Unable to write to <file>". It reaches the person
// through the application's general error report.
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const QString& message);
    QString message() const;
};

// The classic profile format: "[section]" lines, "key=value" lines; sections and keys
// without regard to case. Every access opens the file by name and lets go of it again, so
// each reader sees what the last writer wrote. Writes are atomic and guarded by a lock file.
class Profile {
public:
    // `bareName` such as "zelkova.ini"; the file lives at settingsFilePath(bareName).
    explicit Profile(const QString& bareName);

    QString fileName() const;
    // At most 1023 characters; `def` when the key is absent.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    // Decimal text, or "0x"/"0X" hexadecimal when longer than two characters; `def` for any
    // other text and for an absent key. 64-bit.
    qint64 readInteger(const QString& section, const QString& key, qint64 def) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, qint64 value);

private:
    QString path_;
};
