#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// Removes a folder tree by its byte path, whatever its names and permissions.
void removeTree(const QByteArray& path);

// A temporary folder for a test's own files. Paths are bytes so names that are not UTF-8
// can be made; the helpers create parent folders as needed.
class TempTree {
public:
    TempTree();
    ~TempTree();

    // The root folder (no trailing slash).
    QString path() const;
    QByteArray nativePath() const;

    // Makes a file of `size` bytes (sparse above 64 KiB) at the relative byte path `rel`.
    QByteArray file(const QByteArray& rel, qint64 size = 0);
    // Makes (or overwrites) the file at `rel` holding `bytes`; returns its absolute path.
    QByteArray write(const QByteArray& rel, const QByteArray& bytes);
    // Makes a folder at the relative byte path `rel`.
    QByteArray dir(const QByteArray& rel);
    // Makes a symbolic link at `rel` pointing at `target`.
    QByteArray symlink(const QByteArray& rel, const QByteArray& target);
    // Makes a hard link at `rel` to the existing file at `existing` (both relative).
    QByteArray hardLink(const QByteArray& rel, const QByteArray& existing);
    // Makes `levels` nested folders under the folder `rel`, each name `nameLength` bytes long,
    // and a file "f" of `size` bytes in the deepest; works past PATH_MAX. Returns the file's
    // absolute path.
    QByteArray deepFile(const QByteArray& rel, int levels, int nameLength, qint64 size = 0);
    // The absolute byte path of `rel`.
    QByteArray abs(const QByteArray& rel) const;
    bool exists(const QByteArray& rel) const;

private:
    QTemporaryDir dir_;
};
