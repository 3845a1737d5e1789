#pragma once

#include <QRect>
#include <QString>
#include <QtGlobal>
#include <span>
#include <utility>
#include <vector>

class FolderRecords;

// The folders of a folder-hog scan as a tree with subtree totals, made from the scan's records
// in one pass: no second walk and no record per file. Its vertices are the records' folder
// nodes (FolderRecords::nodeOf). A folder's own bytes are those of its record; its total adds
// the totals of its subfolders. The tree keeps 20 bytes per folder beside the records.
class FolderTree {
public:
    static constexpr quint32 None = 0xFFFFFFFFu;

    // Builds the tree of `records`, which must outlive it (names and paths are read there).
    void build(const FolderRecords& records);
    void clear();
    bool empty() const { return totals_.empty(); }

    quint32 count() const { return quint32(totals_.size()); }
    qint64 total(quint32 node) const { return node == None ? grandTotal_ : totals_[node]; }
    // The bytes of the folder's own files; 0 when it has no record (a main-folders root).
    qint64 own(quint32 node) const;
    // The folder's record, or None.
    quint32 record(quint32 node) const { return record_[node]; }
    quint32 nodeOfRecord(quint32 rec) const;
    quint32 parent(quint32 node) const;
    // The subfolders, largest total first; those of None are the walks' roots.
    std::span<const quint32> children(quint32 node) const;
    // Folders from the walk's root down to `node` (0 for a root).
    int depth(quint32 node) const;
    QString name(quint32 node) const; // a root's whole path, else the folder's own name
    QString path(quint32 node) const; // the exact path, as on disk
    // The size of the folder's drive, -1 when unknown.
    qint64 driveBytes(quint32 node) const;
    // The heap the tree holds.
    size_t bytesHeld() const;

private:
    const FolderRecords* records_ = nullptr;
    std::vector<qint64> totals_;
    std::vector<quint32> record_;
    std::vector<quint32> first_; // children of node n: kids_[first_[n] .. first_[n + 1])
    std::vector<quint32> kids_;
    std::vector<quint32> roots_;
    qint64 grandTotal_ = 0;
};

// One tile of a laid-out map: a folder, or the own files of the folder `node`.
struct MapTile {
    enum Kind : quint8 { Folder, Files };
    qint16 x, y, w, h;
    quint32 node;
    quint16 level; // nesting below the map's top, 0 for the top's own tiles
    Kind kind;
    bool labelled; // a folder tile with room for its name strip above its content
    QRect rect() const { return QRect(x, y, w, h); }
};
static_assert(sizeof(MapTile) == 16);

struct MapLayoutOptions {
    int header = 16; // height of a folder's name strip, when the tile has room for one
    int border = 1;  // the frame around a folder's content
    int minSide = 2; // tiles narrower or lower than this are not drawn (nor what is inside)
};

// A squarified tree map of `tree` below `top` (None: every root) in `area`: a folder's tile
// holds its subfolders and its own files, with areas proportional to their bytes within its
// content (its rectangle less the frame and the name strip). Tiles come parent first; tiles
// of siblings share their edges and never overlap. The top itself gets no tile.
std::vector<MapTile> layoutFolderMap(const FolderTree& tree, quint32 top, const QRect& area,
                                     const MapLayoutOptions& options = {});

// The index of the innermost tile at `p`, or -1.
int tileAt(const std::vector<MapTile>& tiles, const QPoint& p);
// The index of the tile of `node` (a Folder tile), or -1.
int tileOf(const std::vector<MapTile>& tiles, quint32 node);
// The tiles that share the parent and level of tile `index`: they lie in [first, last], among
// the tiles inside them (which have a higher level).
std::pair<int, int> siblingSpan(const std::vector<MapTile>& tiles, int index);
// The tile to move to from `from` in a direction (dx, dy of -1, 0, 1) among the tiles of the
// same level and parent: the nearest whose centre lies that way; `from` when none.
int neighbourTile(const std::vector<MapTile>& tiles, int from, int dx, int dy);

// The texts a tile shows and tells.
QString mapTileName(const FolderTree& tree, const MapTile& tile);
// The folder's exact path, its bytes and its share of the drive, one per line.
QString mapTileHover(const FolderTree& tree, const MapTile& tile);
// Bytes as a short text: "512 bytes", "1.5 KB" ... "2.0 TB".
QString mapSizeText(qint64 bytes);
