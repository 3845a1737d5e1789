#include "finders/folder_map_view.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>
#include <map>

// ---- drawing

QColor mapDepthColour(int depth) {
    static const QRgb colours[mapDepthColours] = {0x8fb8de, 0x9fd6a0, 0xf2c879,
                                                  0xe79c9c, 0xc3a5dc, 0x86cfc7};
    return QColor(colours[((depth % mapDepthColours) + mapDepthColours) % mapDepthColours]);
}

QColor mapFilesColour() {
    return QColor(0xdddddd);
}

QColor mapDeletedColour() {
    return QColor(0x6e6e6e);
}

namespace {
// The word a deleted folder's row shows instead of its size, or the size while listed.
QString stateOrSize(FolderRowState state, qint64 bytes) {
    if (state == FolderRowState::Listed)
        return mapSizeText(bytes);
    return folderRowSizeCell(state, QString()).trimmed();
}

// A folder's own files: one grey tile, with "Files" and their size where there is room.
void drawFilesTile(QPainter& p, const QRect& r, qint64 bytes) {
    const QFontMetrics fm = p.fontMetrics();
    p.fillRect(r, mapFilesColour());
    p.setPen(mapFilesColour().darker(150));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    if (r.width() > fm.horizontalAdvance(QStringLiteral("Files 999.9 MB")) + 4 &&
        r.height() > 2 * fm.height() + 4) {
        p.setPen(Qt::black);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("Files\n") + mapSizeText(bytes));
    }
}

// A folder tile's strip of name and size. The name gives way before the size; a strip too
// short for both shows the name.
void drawTileLabel(QPainter& p, const QRect& strip, const QString& name, const QString& size) {
    const QFontMetrics fm = p.fontMetrics();
    const QString tail = QStringLiteral("  ") + size;
    const int room = strip.width() - fm.horizontalAdvance(tail);
    const QString text = room >= fm.horizontalAdvance(QStringLiteral("www"))
                             ? fm.elidedText(name, Qt::ElideRight, room) + tail
                             : fm.elidedText(name, Qt::ElideRight, strip.width());
    p.drawText(strip, Qt::AlignLeft | Qt::AlignVCenter, text);
}
} // namespace

void drawFolderMap(QPainter& p, const FolderTree& tree, const std::vector<MapTile>& tiles,
                   int topDepth, const std::function<FolderRowState(quint32 node)>& state) {
    const QFontMetrics fm = p.fontMetrics();
    const MapLayoutOptions o = FolderMapView::layoutOptions(fm);
    int skipBelow = -1; // the level of a deleted folder whose insides are not drawn
    for (const MapTile& t : tiles) {
        if (skipBelow >= 0) {
            if (t.level > skipBelow)
                continue;
            skipBelow = -1;
        }
        const QRect r = t.rect();
        if (t.kind == MapTile::Files) {
            drawFilesTile(p, r, tree.own(t.node));
            continue;
        }
        const FolderRowState s = state ? state(t.node) : FolderRowState::Listed;
        const bool gone = !folderRowDeletable(s);
        const QColor fill = gone ? mapDeletedColour() : mapDepthColour(topDepth + t.level);
        p.fillRect(r, fill);
        if (gone) {
            p.fillRect(r, QBrush(QColor(0xbbbbbb), Qt::BDiagPattern));
            skipBelow = t.level;
        }
        p.setPen(fill.darker(170));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        const QString size = stateOrSize(s, tree.total(t.node));
        p.setPen(gone ? Qt::white : Qt::black);
        if (t.labelled) {
            drawTileLabel(p,
                          QRect(r.x() + o.border + 2, r.y() + o.border,
                                r.width() - 2 * o.border - 4, o.header),
                          tree.name(t.node), size);
        } else if (gone && r.width() > fm.horizontalAdvance(size) + 4 && r.height() > fm.height()) {
            p.drawText(r, Qt::AlignCenter, size);
        }
    }
}

// ---- what screen readers see

namespace {

// One tile of the map: its path is its name, its bytes and share its description.
class MapTileAccessible : public QAccessibleInterface {
public:
    MapTileAccessible(FolderMapView* view, quint32 node, MapTile::Kind kind)
        : view_(view), node_(node), kind_(kind) {}

    int index() const {
        if (!view_)
            return -1;
        const std::vector<MapTile>& tiles = view_->tiles();
        for (size_t i = 0; i < tiles.size(); ++i)
            if (tiles[i].node == node_ && tiles[i].kind == kind_)
                return int(i);
        return -1;
    }
    bool isValid() const override { return view_ && view_->tree() && index() >= 0; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return view_ ? QAccessible::queryAccessibleInterface(view_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        const int i = index();
        if (i < 0)
            return QString();
        const MapTile& tile = view_->tiles()[size_t(i)];
        const QStringList lines = mapTileHover(*view_->tree(), tile).split(u'\n');
        switch (t) {
        case QAccessible::Name:
            return lines.value(0);
        case QAccessible::Description:
        case QAccessible::Value:
            return lines.mid(1).join(QStringLiteral(", "));
        default:
            return QString();
        }
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const int i = index();
        if (i < 0)
            return QRect();
        const QRect r = view_->tiles()[size_t(i)].rect();
        return QRect(view_->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.focusable = true;
        s.selectable = true;
        const int i = index();
        if (i < 0) {
            s.invisible = true;
            return s;
        }
        if (i == view_->currentIndex()) {
            s.selected = true;
            s.focused = view_->hasFocus();
        }
        return s;
    }

private:
    QPointer<FolderMapView> view_;
    quint32 node_;
    MapTile::Kind kind_;
};

// The map as a list of the tiles that share the current tile's folder: the arrow keys move
// among them, and the focused one is read out.
class FolderMapAccessible : public QAccessibleWidget {
public:
    explicit FolderMapAccessible(FolderMapView* view)
        : QAccessibleWidget(view, QAccessible::List) {}
    ~FolderMapAccessible() override {
        for (const auto& [key, id] : made_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return int(group().size()); }
    QAccessibleInterface* child(int index) const override {
        const std::vector<int> g = group();
        return index >= 0 && index < int(g.size()) ? tile(g[size_t(index)]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const std::vector<int> g = group();
        for (size_t i = 0; i < g.size(); ++i)
            if (tile(g[i]) == child)
                return int(i);
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int hit = tileAt(view()->tiles(), view()->mapFromGlobal(QPoint(x, y)));
        for (int i : group())
            if (i == hit)
                return tile(i);
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const int i = view()->currentIndex();
        return i >= 0 && view()->hasFocus() ? tile(i) : nullptr;
    }

    // The interface of tile `index`, made once per tile and kept.
    QAccessibleInterface* tile(int index) const {
        const MapTile& t = view()->tiles()[size_t(index)];
        const quint64 key = (quint64(t.node) << 1) | t.kind;
        auto it = made_.find(key);
        if (it == made_.end()) {
            auto* iface = new MapTileAccessible(view(), t.node, t.kind);
            it = made_.emplace(key, QAccessible::registerAccessibleInterface(iface)).first;
        }
        return QAccessible::accessibleInterface(it->second);
    }

private:
    FolderMapView* view() const { return static_cast<FolderMapView*>(widget()); }
    std::vector<int> group() const {
        const std::vector<MapTile>& tiles = view()->tiles();
        std::vector<int> out;
        if (tiles.empty())
            return out;
        const int at = std::max(view()->currentIndex(), 0);
        const auto [first, last] = siblingSpan(tiles, at);
        for (int i = first; i <= last; ++i)
            if (tiles[size_t(i)].level == tiles[size_t(at)].level)
                out.push_back(i);
        return out;
    }
    mutable std::map<quint64, QAccessible::Id> made_;
};

QAccessibleInterface* makeMapInterface(const QString&, QObject* object) {
    if (auto* view = qobject_cast<FolderMapView*>(object))
        return new FolderMapAccessible(view);
    return nullptr;
}

} // namespace

// ---- the view

FolderMapView::FolderMapView(QWidget* parent) : QWidget(parent) {
    static const bool installed = [] {
        QAccessible::installFactory(makeMapInterface);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("FolderMap"));
    setAccessibleName(QStringLiteral("Folder map"));
    setAccessibleDescription(QStringLiteral(
        "The folders as tiles whose areas are their bytes. The arrow keys move between the "
        "tiles of a folder, Enter zooms into the current folder and Backspace goes back up; "
        "the menu key opens the folder's menu. The list holds every folder."));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

MapLayoutOptions FolderMapView::layoutOptions(const QFontMetrics& metrics) {
    MapLayoutOptions o;
    o.header = metrics.height() + 2;
    o.border = 2;
    o.minSide = 3;
    return o;
}

void FolderMapView::setTree(const FolderTree* tree) {
    tree_ = tree;
    // One walk's root opens zoomed into, so its folders are the first tiles the arrow keys
    // move between; Backspace still shows the root's own tile.
    top_ = FolderTree::None;
    if (tree_ && tree_->children(FolderTree::None).size() == 1)
        top_ = tree_->children(FolderTree::None).front();
    current_ = hover_ = -1;
    relayout();
}

void FolderMapView::setStateSource(std::function<FolderRowState(quint32 node)> state) {
    state_ = std::move(state);
}

FolderRowState FolderMapView::stateOf(quint32 node) const {
    return state_ ? state_(node) : FolderRowState::Listed;
}

int FolderMapView::topDepth() const {
    return tree_ && top_ != FolderTree::None ? tree_->depth(top_) + 1 : 0;
}

void FolderMapView::relayout() {
    const MapTile* was = currentTile();
    const quint32 wasNode = was ? was->node : FolderTree::None;
    const MapTile::Kind wasKind = was ? was->kind : MapTile::Folder;
    tiles_.clear();
    if (tree_)
        tiles_ = layoutFolderMap(*tree_, top_, rect(), layoutOptions(fontMetrics()));
    current_ = hover_ = -1;
    for (size_t i = 0; i < tiles_.size() && wasNode != FolderTree::None; ++i)
        if (tiles_[i].node == wasNode && tiles_[i].kind == wasKind)
            current_ = int(i);
    if (current_ < 0 && !tiles_.empty())
        current_ = 0;
    dirty_ = true;
    update();
}

void FolderMapView::refresh() {
    dirty_ = true;
    update();
}

const MapTile* FolderMapView::currentTile() const {
    return current_ >= 0 && current_ < int(tiles_.size()) ? &tiles_[size_t(current_)] : nullptr;
}

quint32 FolderMapView::currentNode() const {
    const MapTile* t = currentTile();
    return t ? t->node : FolderTree::None;
}

void FolderMapView::zoomTo(quint32 node) {
    if (!tree_ || node == top_)
        return;
    top_ = node;
    relayout();
    Q_EMIT zoomed(top_);
    tellCurrent();
}

bool FolderMapView::zoomOut() {
    if (!tree_ || top_ == FolderTree::None)
        return false;
    const quint32 from = top_;
    top_ = tree_->parent(top_);
    relayout();
    if (const int i = tileOf(tiles_, from); i >= 0)
        current_ = i;
    Q_EMIT zoomed(top_);
    tellCurrent();
    return true;
}

void FolderMapView::showNode(quint32 node) {
    if (!tree_ || node == FolderTree::None || node == top_)
        return;
    int i = tileOf(tiles_, node);
    if (i < 0) {
        // Not on the map: show the folder above it, where it has a tile if it is big enough.
        top_ = tree_->parent(node);
        relayout();
        Q_EMIT zoomed(top_);
        i = tileOf(tiles_, node);
    }
    if (i >= 0)
        setCurrent(i, false);
}

void FolderMapView::setCurrent(int index, bool chosen) {
    if (index < 0 || index >= int(tiles_.size()))
        return;
    current_ = index;
    update();
    if (chosen)
        Q_EMIT nodeChosen(tiles_[size_t(index)].node);
    tellCurrent();
}

void FolderMapView::moveCurrent(int dx, int dy) {
    if (current_ < 0)
        return;
    const int to = neighbourTile(tiles_, current_, dx, dy);
    if (to != current_)
        setCurrent(to, true);
}

void FolderMapView::tellCurrent() {
    if (!QAccessible::isActive() || current_ < 0 || !hasFocus())
        return;
    auto* map = dynamic_cast<FolderMapAccessible*>(QAccessible::queryAccessibleInterface(this));
    if (!map)
        return;
    QAccessibleEvent focus(map->tile(current_), QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

QImage FolderMapView::picture(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Window));
    if (!tree_)
        return image;
    QPainter p(&image);
    p.setFont(font());
    const auto tiles =
        layoutFolderMap(*tree_, top_, QRect(QPoint(), size), layoutOptions(fontMetrics()));
    drawFolderMap(p, *tree_, tiles, topDepth(), [this](quint32 n) { return stateOf(n); });
    return image;
}

// ---- events

void FolderMapView::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    if (dirty_ || picture_.size() != size() * dpr) {
        picture_ = QPixmap(size() * dpr);
        picture_.setDevicePixelRatio(dpr);
        picture_.fill(palette().color(QPalette::Window));
        QPainter p(&picture_);
        p.setFont(font());
        if (tree_)
            drawFolderMap(p, *tree_, tiles_, topDepth(), [this](quint32 n) { return stateOf(n); });
        if (tiles_.empty()) {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(rect(), Qt::AlignCenter,
                       tree_ ? QStringLiteral("No folder holds any bytes.")
                             : QStringLiteral("No folders to show."));
        }
        dirty_ = false;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
    if (hover_ >= 0 && hover_ < int(tiles_.size())) {
        p.setPen(QPen(Qt::white, 1));
        p.drawRect(tiles_[size_t(hover_)].rect().adjusted(0, 0, -1, -1));
    }
    if (const MapTile* t = currentTile()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 3));
        p.drawRect(t->rect().adjusted(1, 1, -2, -2));
        if (hasFocus()) {
            p.setPen(QPen(Qt::black, 1, Qt::DotLine));
            p.drawRect(t->rect().adjusted(3, 3, -4, -4));
        }
    }
}

void FolderMapView::resizeEvent(QResizeEvent*) {
    relayout();
}

void FolderMapView::mousePressEvent(QMouseEvent* event) {
    const int i = tileAt(tiles_, event->position().toPoint());
    if (i >= 0 && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton))
        setCurrent(i, true);
}

void FolderMapView::mouseDoubleClickEvent(QMouseEvent* event) {
    const int i = tileAt(tiles_, event->position().toPoint());
    // On a folder's own files, the folder is zoomed into.
    if (i >= 0 && event->button() == Qt::LeftButton)
        zoomTo(tiles_[size_t(i)].node);
}

void FolderMapView::mouseMoveEvent(QMouseEvent* event) {
    const int i = tileAt(tiles_, event->position().toPoint());
    if (i == hover_)
        return;
    hover_ = i;
    update();
    Q_EMIT hovered(i >= 0 && tree_ ? mapTileHover(*tree_, tiles_[size_t(i)]) : QString());
}

void FolderMapView::leaveEvent(QEvent*) {
    if (hover_ < 0)
        return;
    hover_ = -1;
    update();
    Q_EMIT hovered(QString());
}

bool FolderMapView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int i = tileAt(tiles_, help->pos());
        if (i >= 0 && tree_)
            QToolTip::showText(help->globalPos(), mapTileHover(*tree_, tiles_[size_t(i)]), this,
                               tiles_[size_t(i)].rect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

void FolderMapView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        moveCurrent(-1, 0);
        break;
    case Qt::Key_Right:
        moveCurrent(1, 0);
        break;
    case Qt::Key_Up:
        moveCurrent(0, -1);
        break;
    case Qt::Key_Down:
        moveCurrent(0, 1);
        break;
    case Qt::Key_Home:
        setCurrent(0, true);
        break;
    case Qt::Key_Space:
        setCurrent(current_, true);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (const MapTile* t = currentTile())
            zoomTo(t->node);
        break;
    case Qt::Key_Backspace:
        zoomOut();
        break;
    case Qt::Key_F10:
        if (!(event->modifiers() & Qt::ShiftModifier))
            return QWidget::keyPressEvent(event);
        if (const MapTile* t = currentTile())
            Q_EMIT menuRequested(t->node, mapToGlobal(t->rect().center()));
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void FolderMapView::contextMenuEvent(QContextMenuEvent* event) {
    int i = current_;
    if (event->reason() == QContextMenuEvent::Mouse)
        i = tileAt(tiles_, event->pos());
    if (i < 0)
        return;
    const MapTile& t = tiles_[size_t(i)];
    Q_EMIT menuRequested(t.node, event->reason() == QContextMenuEvent::Mouse
                                     ? event->globalPos()
                                     : mapToGlobal(t.rect().center()));
}

void FolderMapView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
    tellCurrent();
}

void FolderMapView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
