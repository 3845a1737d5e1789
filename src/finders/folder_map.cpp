#include "finders/folder_map.h"

#include "common/number_text.h"
#include "common/size_sum.h"
#include "finders/folder_records.h"
#include "platform/native_path.h"

#include <algorithm>
#include <cmath>

// ---- the tree

void FolderTree::clear() {
    records_ = nullptr;
    totals_ = {};
    record_ = {};
    first_ = {};
    kids_ = {};
    roots_ = {};
    grandTotal_ = 0;
}

void FolderTree::build(const FolderRecords& records) {
    clear();
    records_ = &records;
    const quint32 n = records.nodeCount();
    totals_.assign(n, 0);
    record_.assign(n, None);
    for (quint32 r = 0; r < records.count(); ++r) {
        const quint32 node = records.nodeOf(r);
        record_[node] = r;
        totals_[node] = records.bytes(r);
    }
    // Nodes come in walk order, a parent before its subfolders: from the last to the first,
    // each total is complete when it is added to its parent's.
    first_.assign(size_t(n) + 1, 0);
    for (quint32 i = n; i-- > 0;) {
        const quint32 p = records.parentNode(i);
        if (p == None) {
            roots_.push_back(i);
            grandTotal_ = addSize(grandTotal_, totals_[i]);
        } else {
            totals_[p] = addSize(totals_[p], totals_[i]);
            ++first_[p + 1];
        }
    }
    for (quint32 i = 0; i < n; ++i)
        first_[i + 1] += first_[i];
    kids_.resize(first_[n]);
    std::vector<quint32> fill(first_.begin(), first_.end() - 1);
    for (quint32 i = 0; i < n; ++i)
        if (const quint32 p = records.parentNode(i); p != None)
            kids_[fill[p]++] = i;
    fill = {};
    const auto larger = [&](quint32 a, quint32 b) { return totals_[a] > totals_[b]; };
    for (quint32 i = 0; i < n; ++i)
        std::stable_sort(kids_.begin() + first_[i], kids_.begin() + first_[i + 1], larger);
    std::reverse(roots_.begin(), roots_.end());
    std::stable_sort(roots_.begin(), roots_.end(), larger);
}

qint64 FolderTree::own(quint32 node) const {
    return record_[node] == None ? 0 : records_->bytes(record_[node]);
}

quint32 FolderTree::nodeOfRecord(quint32 rec) const {
    return records_->nodeOf(rec);
}

quint32 FolderTree::parent(quint32 node) const {
    return node == None ? None : records_->parentNode(node);
}

std::span<const quint32> FolderTree::children(quint32 node) const {
    if (node == None)
        return roots_;
    return std::span<const quint32>(kids_).subspan(first_[node], first_[node + 1] - first_[node]);
}

int FolderTree::depth(quint32 node) const {
    int d = 0;
    for (quint32 p = parent(node); p != None; p = parent(p))
        ++d;
    return d;
}

QString FolderTree::name(quint32 node) const {
    return fromNative(records_->nodeName(node));
}

QString FolderTree::path(quint32 node) const {
    std::vector<quint32> chain;
    for (quint32 n = node; n != None; n = parent(n))
        chain.push_back(n);
    QByteArray path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (it != chain.rbegin() && !path.endsWith('/'))
            path += '/';
        path += records_->nodeName(*it);
    }
    return fromNative(path);
}

qint64 FolderTree::driveBytes(quint32 node) const {
    // A folder without a record (a main-folders root) takes its drive from a subfolder.
    while (node != None && record_[node] == None)
        node = children(node).empty() ? None : children(node).front();
    return node == None ? -1 : records_->driveBytes(record_[node]);
}

size_t FolderTree::bytesHeld() const {
    return totals_.capacity() * sizeof(qint64) +
           (record_.capacity() + first_.capacity() + kids_.capacity() + roots_.capacity()) *
               sizeof(quint32);
}

// ---- the layout

namespace {

struct Item {
    double value;
    quint32 node;
    MapTile::Kind kind;
};

struct RectF {
    double x, y, w, h;
};

class Layout {
public:
    Layout(const FolderTree& tree, const MapLayoutOptions& o, std::vector<MapTile>& out)
        : tree_(tree), o_(o), out_(out) {}

    // Lays out the items of `node` (its subfolders and, beside them, its own files) in `r`.
    void content(quint32 node, const QRect& r, int level) {
        if (r.width() <= 0 || r.height() <= 0)
            return;
        const size_t base = items_.size();
        const std::span<const quint32> kids = tree_.children(node);
        const qint64 own = node == FolderTree::None ? 0 : tree_.own(node);
        // A folder without subfolders is its own files: they get a tile only at the top.
        bool ownPlaced = own <= 0 || (kids.empty() && level > 0);
        for (quint32 k : kids) {
            const qint64 t = tree_.total(k);
            if (t <= 0)
                break; // largest first: the rest are empty too
            if (!ownPlaced && own >= t) {
                items_.push_back({double(own), node, MapTile::Files});
                ownPlaced = true;
            }
            items_.push_back({double(t), k, MapTile::Folder});
        }
        if (!ownPlaced)
            items_.push_back({double(own), node, MapTile::Files});
        const size_t end = items_.size();
        double sum = 0;
        for (size_t i = base; i < end; ++i)
            sum += items_[i].value;
        if (end > base && sum > 0)
            squarify(base, end, sum,
                     RectF{double(r.x()), double(r.y()), double(r.width()), double(r.height())},
                     level);
        items_.resize(base);
    }

private:
    // The worst aspect ratio of a row of areas summing to `s`, between `lo` and `hi`, laid
    // along a side of length `side`.
    static double worst(double s, double lo, double hi, double side) {
        const double s2 = s * s, side2 = side * side;
        return std::max(side2 * hi / s2, s2 / (side2 * lo));
    }

    void squarify(size_t i, size_t end, double sum, RectF r, int level) {
        const double scale = r.w * r.h / sum; // area per byte
        while (i < end && r.w > 0 && r.h > 0) {
            // Items smaller than a pixel take no tile: the rest stays the parent's.
            if (items_[i].value * scale < 1.0)
                return;
            const double side = std::min(r.w, r.h);
            size_t j = i + 1;
            double s = items_[i].value * scale;
            double ratio = worst(s, s, s, side);
            while (j < end) {
                const double a = items_[j].value * scale;
                const double next = worst(s + a, a, items_[i].value * scale, side);
                if (next > ratio)
                    break;
                ratio = next;
                s += a;
                ++j;
            }
            const bool last = j == end;
            // The row takes a strip along the shorter side; the last row takes all that is
            // left, so rounding never leaves a sliver.
            const double thick = last ? (r.w >= r.h ? r.w : r.h) : s / side;
            const bool column = r.w >= r.h; // the strip runs down the left side
            double at = column ? r.y : r.x;
            const double along = column ? r.y + r.h : r.x + r.w;
            for (size_t k = i; k < j; ++k) {
                const double len = items_[k].value * scale / thick;
                const double next = k + 1 == j ? along : at + len;
                const QRect cell =
                    column ? snap(r.x, at, r.x + thick, next) : snap(at, r.y, next, r.y + thick);
                place(items_[k], cell, level);
                at = next;
            }
            if (column) {
                r.x += thick;
                r.w -= thick;
            } else {
                r.y += thick;
                r.h -= thick;
            }
            i = j;
        }
    }

    // Edges are rounded, never sizes: tiles that share an edge share its pixel.
    static QRect snap(double x0, double y0, double x1, double y1) {
        const int l = int(std::lround(x0)), t = int(std::lround(y0));
        return QRect(l, t, int(std::lround(x1)) - l, int(std::lround(y1)) - t);
    }

    void place(const Item& item, const QRect& r, int level) {
        if (r.width() < o_.minSide || r.height() < o_.minSide)
            return;
        MapTile tile{qint16(r.x()), qint16(r.y()),  qint16(r.width()), qint16(r.height()),
                     item.node,     quint16(level), item.kind,         false};
        if (item.kind == MapTile::Files) {
            out_.push_back(tile);
            return;
        }
        QRect inner = r.adjusted(o_.border, o_.border, -o_.border, -o_.border);
        if (inner.height() >= 2 * o_.header && inner.width() >= 2 * o_.header) {
            tile.labelled = true;
            inner.setTop(inner.top() + o_.header);
        }
        out_.push_back(tile);
        content(item.node, inner, level + 1);
    }

    const FolderTree& tree_;
    const MapLayoutOptions& o_;
    std::vector<MapTile>& out_;
    std::vector<Item> items_; // a stack: the items of each folder being laid out
};

} // namespace

std::vector<MapTile> layoutFolderMap(const FolderTree& tree, quint32 top, const QRect& area,
                                     const MapLayoutOptions& options) {
    std::vector<MapTile> tiles;
    if (tree.empty() || area.isEmpty())
        return tiles;
    // The tile coordinates are 16 bits wide.
    const QRect clipped = area.intersected(QRect(0, 0, 32767, 32767));
    Layout(tree, options, tiles).content(top, clipped, 0);
    return tiles;
}

int tileAt(const std::vector<MapTile>& tiles, const QPoint& p) {
    // Parents come before what lies inside them: the last hit is the innermost.
    for (size_t i = tiles.size(); i-- > 0;)
        if (tiles[i].rect().contains(p))
            return int(i);
    return -1;
}

int tileOf(const std::vector<MapTile>& tiles, quint32 node) {
    for (size_t i = 0; i < tiles.size(); ++i)
        if (tiles[i].node == node && tiles[i].kind == MapTile::Folder)
            return int(i);
    return -1;
}

std::pair<int, int> siblingSpan(const std::vector<MapTile>& tiles, int index) {
    // Between the parent's tile and the next tile of a lower level.
    const quint16 level = tiles[size_t(index)].level;
    size_t first = size_t(index), last = size_t(index);
    while (first > 0 && tiles[first - 1].level >= level)
        --first;
    while (last + 1 < tiles.size() && tiles[last + 1].level >= level)
        ++last;
    return {int(first), int(last)};
}

int neighbourTile(const std::vector<MapTile>& tiles, int from, int dx, int dy) {
    if (from < 0 || from >= int(tiles.size()))
        return from;
    const MapTile& f = tiles[size_t(from)];
    const auto [first, last] = siblingSpan(tiles, from);
    const QPoint c = f.rect().center();
    int best = from;
    qint64 bestScore = 0;
    for (size_t i = size_t(first); i <= size_t(last); ++i) {
        if (i == size_t(from) || tiles[i].level != f.level)
            continue;
        const QPoint d = tiles[i].rect().center() - c;
        const int ahead = d.x() * dx + d.y() * dy; // distance in the chosen direction
        if (ahead <= 0)
            continue;
        const int aside = std::abs(dx != 0 ? d.y() : d.x());
        const qint64 score = qint64(ahead) + 2 * qint64(aside);
        if (best == from || score < bestScore) {
            best = int(i);
            bestScore = score;
        }
    }
    return best;
}

// ---- texts

QString mapSizeText(qint64 bytes) {
    if (bytes < 1024)
        return QString::number(bytes) + QStringLiteral(" bytes");
    static const char* const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double v = double(bytes);
    int u = -1;
    while (v >= 1024 && u < 5) {
        v /= 1024;
        ++u;
    }
    return QString::number(v, 'f', 1) + u' ' + QLatin1String(units[u]);
}

QString mapTileName(const FolderTree& tree, const MapTile& tile) {
    if (tile.kind == MapTile::Files)
        return QStringLiteral("Files in ") + tree.name(tile.node);
    return tree.name(tile.node);
}

QString mapTileHover(const FolderTree& tree, const MapTile& tile) {
    const qint64 bytes = tile.kind == MapTile::Files ? tree.own(tile.node) : tree.total(tile.node);
    // The share as the list shows it: "???" for a folder as large as the drive or larger.
    const QString share = driveShareText(bytes, tree.driveBytes(tile.node));
    const QString path = tile.kind == MapTile::Files
                             ? QStringLiteral("Files in ") + tree.path(tile.node)
                             : tree.path(tile.node);
    return path + u'\n' + formatThousands(bytes) + QStringLiteral(" bytes (") + mapSizeText(bytes) +
           QStringLiteral(")\n") + share + QStringLiteral(" % of the drive");
}
