#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Version information carried in the resources of a Windows program or library (a PE32 or
// PE32+ file that starts with "MZ"), as found on a mounted Windows partition or prefix.
// The reader is our own: every length in the file is checked against the block it lies in,
// it reads only the headers and the one resource, and anything malformed counts as "no
// version information".

// The most the reader takes from one file, headers and resource together. A file that would
// need more is not read further.
constexpr qint64 kVersionReadBudget = 128 * 1024;

// The fixed part of the version resource: versions as four 16-bit numbers each.
struct FixedFileInfo {
    quint32 fileVersionMS = 0, fileVersionLS = 0;
    quint32 productVersionMS = 0, productVersionLS = 0;
};

// A parsed version resource.
struct VersionInfo {
    std::optional<FixedFileInfo> fixed;
    // The translation table: language in the low 16 bits, code page in the high 16 bits.
    QList<quint32> translations;
    struct Table {
        QString key; // language and code page as 8 hexadecimal digits, say "040904B0"
        QList<std::pair<QString, QString>> strings;
    };
    QList<Table> tables;

    // The value of `name` in the string table `tableKey`; both are matched without regard to
    // case, as the resource compiler writes the hexadecimal digits in either case.
    std::optional<QString> value(const QString& tableKey, const QString& name) const;
};

// Parses the version resource's bytes (the block that starts with VS_VERSION_INFO).
// Nothing when the block is malformed.
std::optional<VersionInfo> parseVersionInfo(const QByteArray& block);

// The bytes of the file's version resource, read with bounded preads through `fd`; empty when
// the file is no PE file, has no version resource, or is malformed. `bytesRead`, when given,
// receives the number of bytes the reader took from the file.
QByteArray readVersionResource(int fd, qint64* bytesRead = nullptr);

// The lines the details window shows for a version resource: one per known item, label then
// value, when the resource has a translation table; none otherwise.
QStringList versionInfoLines(const QByteArray& block);

// Clears `lines` and fills them with the version information of the file at `path` (a listed
// path, platform/native_path.h), or leaves them empty. Only a regular file is read; the file
// is opened without blocking, so a FIFO in its place cannot stall the window.
void readVersionInfo(const QString& path, QStringList& lines);
// The same for the entry `name` of the open folder `dirFd`, which is not followed when it is a
// symbolic link: the lines describe the entry itself.
void readVersionInfoAt(int dirFd, const char* name, QStringList& lines);
