#pragma once

#include "finders/dup_records.h"
#include "finders/finder_window.h"
#include "widgets/column_width.h"

#include <QStringList>
#include <functional>
#include <vector>

class QAction;
class StringGrid;

// The pop-up menu of a grid of file records, with its Sort items by name.
struct FileSortMenu : FinderMenu {
    QAction *Size1 = nullptr, *Date1 = nullptr, *AccessDate1 = nullptr;
    QAction *Name1 = nullptr, *Type1 = nullptr;
    // Names the Sort items after the menu is built.
    void nameSorts();
};

// The columns of the file-hog list and of the temporary files: size, modified date and time,
// access date, the whole path and the type. The widths are the design's scaled to the grid's
// font; sizes, dates and times are never cut, and the room a wider window gives goes to the
// path.
const QStringList& fileListHeader();
std::vector<ColumnPlan> fileListColumns();
// The size column's widest texts: a size of gigabytes and the smallest.
QStringList sampleSizeTexts();

// The Sort items of a grid of file records (size, modified date, access date, name, type)
// and their keys: numbers taken from the records, never the cell texts, so sizes of
// 1,000,000 K and more stay in order and a million rows sort without making their texts.
// The name and type ranks are made the first time they are sorted by.
class FileRecordSort {
public:
    explicit FileRecordSort(const DupRecords& records) : records_(records) {}

    static std::vector<SortItem> items(const QString& accessCaption);
    // The keys of the rows of `grid`, which shows the records.
    std::vector<std::function<double(int row)>> keys(const StringGrid& grid);
    // Makes the ranks that `item` of `menu` sorts by, when it needs them.
    void prepare(QAction* item, const FileSortMenu& menu);
    void clear();

private:
    const DupRecords& records_;
    std::vector<quint32> pathRank_, typeRank_;
};
