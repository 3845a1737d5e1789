#pragma once

#include "finders/folder_map.h"
#include "finders/folder_row_delete.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <vector>

class QPainter;

// The fill of a folder tile at `depth` below its walk's root (0 is the root); the colours
// repeat every mapDepthColours levels.
constexpr int mapDepthColours = 6;
QColor mapDepthColour(int depth);
// The fill of the tile of a folder's own files.
QColor mapFilesColour();
// The fill of a deleted or recycled folder.
QColor mapDeletedColour();

// Draws laid-out tiles whose top lies `topDepth` levels below the walk's root. A folder whose
// state is Deleted or Recycled is drawn as one hatched tile with the word its row shows, and
// what lay inside it is not drawn.
void drawFolderMap(QPainter& painter, const FolderTree& tree, const std::vector<MapTile>& tiles,
                   int topDepth, const std::function<FolderRowState(quint32 node)>& state);

// The map of a folder-hog scan: tiles whose areas are their bytes. A click makes a tile the
// current one, a double click (or Enter) zooms into a folder, Backspace goes back up; the
// arrow keys move between the tiles of one folder. Hovering shows the tile's path, bytes and
// share of the drive.
class FolderMapView : public QWidget {
    Q_OBJECT
public:
    explicit FolderMapView(QWidget* parent = nullptr);

    // The tree shown (not owned; null for none) and how to learn a folder's deletion state.
    void setTree(const FolderTree* tree);
    void setStateSource(std::function<FolderRowState(quint32 node)> state);
    const FolderTree* tree() const { return tree_; }

    // The folder filling the map (FolderTree::None: every walk's root).
    quint32 top() const { return top_; }
    void zoomTo(quint32 node);
    // Back to the folder above the top; false at the top already.
    bool zoomOut();
    // The current tile's folder; FolderTree::None when none.
    quint32 currentNode() const;
    const MapTile* currentTile() const;
    // Makes the folder's tile current, zooming out to the folder above it when it is not on
    // the map; nothing happens when the folder has no tile even then.
    void showNode(quint32 node);
    // Moves the current tile as an arrow key does.
    void moveCurrent(int dx, int dy);

    const std::vector<MapTile>& tiles() const { return tiles_; }
    int currentIndex() const { return current_; }
    int topDepth() const;
    // The map as a picture of `size`, laid out afresh for it.
    QImage picture(const QSize& size) const;
    // Redraws after a folder's state changed.
    void refresh();

    static MapLayoutOptions layoutOptions(const QFontMetrics& metrics);

Q_SIGNALS:
    // The person chose the tile of `node` (a click, or the arrow keys).
    void nodeChosen(quint32 node);
    void zoomed(quint32 top);
    // The pointer is over a tile (its hover text), or over none ("").
    void hovered(const QString& text);
    void menuRequested(quint32 node, const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    void relayout();
    void setCurrent(int index, bool chosen);
    void tellCurrent();
    FolderRowState stateOf(quint32 node) const;

    const FolderTree* tree_ = nullptr;
    std::function<FolderRowState(quint32)> state_;
    quint32 top_ = FolderTree::None;
    std::vector<MapTile> tiles_;
    int current_ = -1;
    int hover_ = -1;
    QPixmap picture_; // the tiles drawn, redrawn when the layout or a state changes
    bool dirty_ = true;
};
