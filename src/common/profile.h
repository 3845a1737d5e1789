#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <stdexcept>
#include <utility>

// The settings files "zelkova.ini" and "zelkova95" live in $XDG_CONFIG_HOME/zelkova/
// (~/.config/zelkova/ by default). An absolute name is used as it is.
QString settingsFilePath(const QString& bareName);

// Raised when a settings write is refused: "Unable to write to <file>". It reaches the person
// through the application's general error report.
class ProfileWriteError : public std::runtime_error {
public:
    explicit ProfileWriteError(const QString& message);
    QString message() const;

private:
    QString message_;
};

class ProfileUpdate;

// The classic profile format: "[section]" lines, "key=value" lines; sections and keys
// without regard to case. Every access opens the file by name and lets go of it again, so
// each reader sees what the last writer wrote. Every write is a read-modify-write under a
// lock file that other copies of the program respect, and replaces the file in one step only
// once all of its bytes are on the disk.
//
// Lines that cannot be read (no "=", a section line without "]", control characters such
// as NUL, keys before any section or under a broken section line) read as absent, and the
// next write leaves them out. Blank lines and ";" comments are kept. The file's bytes are
// decoded losslessly, so a section named by a path that is not UTF-8 still matches.
// A UTF-8 byte-order mark at the start is skipped, and kept when the file is written; one at
// the start of any other line (two files joined) is nothing and is left out. LF,
// CR LF and a lone CR all end a line; a write keeps the file's style: CR LF when its first
// LF follows a CR, CR when it holds no LF but a CR, otherwise (and for a new file) LF.
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
    // Every readable key of the section with its value (as readString gives it), in file
    // order, from one read of the file. A key that occurs twice is listed twice; reads by
    // key see the first.
    QList<std::pair<QString, QString>> readSection(const QString& section) const;
    // Both throw ProfileWriteError when the file cannot be written, and also for a section,
    // key or value that the format cannot hold (a line break or other control character, a
    // key with "=" or an empty key): writing it would corrupt the file.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, qint64 value);

    // Several reads and writes as one: `edit` runs under the lock on the file as it is now,
    // and when it has written anything the file is replaced once, afterwards. Nothing is
    // written when `edit` throws. `edit` must not write through another Profile (it would
    // wait for its own lock). Throws ProfileWriteError as the writes above do.
    void update(const std::function<void(ProfileUpdate&)>& edit);

private:
    QString path_;
};

// The file's contents inside Profile::update: reads see the writes made before them.
class ProfileUpdate {
public:
    QString readString(const QString& section, const QString& key, const QString& def) const;
    qint64 readInteger(const QString& section, const QString& key, qint64 def) const;
    // Throws ProfileWriteError for text the format cannot hold, as Profile's writes do.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, qint64 value);
    // Several keys of one section at once, in one pass over the file's text (each as
    // writeString would write it); nothing is written when any of them is refused.
    void writeStrings(const QString& section, const QList<std::pair<QString, QString>>& entries);

private:
    friend class Profile;
    ProfileUpdate(const QString& fileName, const QByteArray& text);

    QString fileName_;
    QByteArray text_; // LF line ends, no byte-order mark
    bool changed_ = false;
};
