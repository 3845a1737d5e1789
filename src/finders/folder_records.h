#pragma once

#include "finders/byte_arena.h"
#include "finders/file_records.h"
#include "finders/scan_engine.h"
#include "platform/seen_files.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

// The size text of a folder line: whole kilobytes right-aligned to 7 characters, or six
// blanks and the tenths ("0.4") below 1 K, then " K".
QString folderSizeText(qint64 bytes);
// A folder's share of its drive: the percentage with two decimals while the folder is smaller
// than the drive, else "???" (also for a drive of unknown size).
QString driveShareText(qint64 bytes, qint64 driveBytes);

// The records of the folder-hog finder, filled by a walk (it is the walk's sink): per listed
// folder its exact path, 64-bit byte total, file and subfolder counts and the latest access
// stamp among its counted files.
//   MainFolders: one record per folder directly under the walk's root, with the totals of
//     its whole tree; its subfolders are counted at every depth the walk enters, and the
//     root's own files count nowhere.
//   AllFolders: one record per folder walked (the root among them), with its own files and
//     its direct subfolders, those the walk does not enter (hidden ones) included.
// Every file the walk lists counts; the walk's file mask decides which kinds those are. A file
// with several hard links counts once per scan, as du counts it: the first of its names the
// walk meets adds its bytes and its count, later names add nothing.
class FolderRecords : public ScanSink {
public:
    enum class Mode { MainFolders, AllFolders };

    explicit FolderRecords(Mode mode = Mode::AllFolders) : mode_(mode) {}
    FolderRecords(const FolderRecords&) = delete;
    FolderRecords& operator=(const FolderRecords&) = delete;

    Mode mode() const { return mode_; }
    // Empties the store and sets the mode for a new scan.
    void clear(Mode mode);
    // The size of the drive walked next, for the share of the records it yields; -1 unknown.
    void setDriveBytes(qint64 bytes) { drives_.push_back(bytes); }
    // Gives back the room kept for growth once the walk is over, and forgets the files
    // counted.
    void compact();
    // Records beyond FileRecords::DefaultLimit are refused: onRefused runs once.
    std::function<void()> onRefused;
    bool refused() const { return refused_; }

    // ScanSink.
    void enterFolder(const QByteArray& path, int depth) override;
    void folderNotEntered(const QByteArray& parent, const char* name, int error) override;
    void file(const ScanFile& file) override;
    void leaveFolder(const QByteArray& path, int depth) override;

    quint32 count() const { return quint32(records_.size()); }
    qint64 bytes(quint32 rec) const { return records_[rec].bytes; }
    quint32 files(quint32 rec) const { return records_[rec].files; }
    quint32 subfolders(quint32 rec) const { return records_[rec].subfolders; }
    // The latest access of the counted files as a packed file date-time; 0 when no file was
    // counted or none has a date that can be packed.
    quint32 latestAccessFileDate(quint32 rec) const;
    // Sort key of the latest access: later gives larger, no date the smallest.
    double latestAccessKey(quint32 rec) const { return double(records_[rec].latest); }
    QByteArray nativePath(quint32 rec) const;
    QString path(quint32 rec) const; // the exact path, as on disk

    // The six text fields: size text, share, files, subfolders, latest access date, path.
    static constexpr int FieldCount = 6;
    QString field(quint32 rec, int index) const;
    QString line(quint32 rec) const; // the fields joined by tabs
    // The records largest first; equal totals in walk order.
    std::vector<quint32> largestFirst() const;

    // The folder chain behind the records, for drawing them as a tree. Every kept folder is a
    // node, numbered in walk order (a parent before its subfolders); AllFolders keeps each
    // folder walked, MainFolders the roots and the folders directly under them. A walk's root
    // has no parent node and holds its whole path as its name.
    static constexpr quint32 NoNode = 0xFFFFFFFFu;
    quint32 nodeCount() const { return quint32(nodes_.size()); }
    quint32 nodeOf(quint32 rec) const { return records_[rec].node; }
    quint32 parentNode(quint32 node) const { return nodes_[node].parent; }
    QByteArray nodeName(quint32 node) const {
        return QByteArray(paths_.at(nodes_[node].name), qsizetype(nodes_[node].nameLength));
    }
    // The size of the drive the record's folder lies on; -1 when unknown.
    qint64 driveBytes(quint32 rec) const { return drives_[records_[rec].drive]; }

private:
    struct Tally {
        qint64 bytes = 0;
        quint32 files = 0;
        quint32 subfolders = 0;
        quint32 latest = FileStamps::Outside;
    };
    struct Record : Tally {
        quint32 drive; // the folder's drive in drives_
        quint32 node;  // the folder's entry in nodes_
    };
    // A folder named by its parent and its own name, so a path is stored once per folder and
    // not again in each folder below it. The walk's root holds its whole path.
    struct Node {
        static constexpr quint32 NoParent = 0xFFFFFFFFu;
        quint32 parent;
        quint32 name; // arena handle
        quint32 nameLength;
    };
    // The tally that a file or subfolder of the folder being walked counts in, or null.
    Tally* counting();

    Mode mode_;
    FileStamps stamps_;
    SeenFiles counted_;              // the files of several links counted so far
    std::vector<qint64> drives_{-1}; // the drive sizes, by walk; the last one is current
    bool refused_ = false;
    std::vector<Tally> open_;       // the folders being walked, by depth
    std::vector<quint32> openNode_; // their nodes (NoParent where none is kept)
    std::vector<Node> nodes_;
    std::vector<Record> records_;
    ByteArena paths_;
};
