#include "finders/file_grid.h"

#include "common/number_text.h"
#include "platform/date_text.h"
#include "widgets/string_grid.h"

void FileSortMenu::nameSorts() {
    Size1 = sorts[0];
    Date1 = sorts[1];
    AccessDate1 = sorts[2];
    Name1 = sorts[3];
    Type1 = sorts[4];
}

const QStringList& fileListHeader() {
    static const QStringList header{"Size in K", "Modified", "Time", "Access", "FileName", "Type"};
    return header;
}

QStringList sampleSizeTexts() {
    return {formatSizeK(3145728, 3LL << 30) + QStringLiteral(" K"),
            formatSizeK(0, 100) + QStringLiteral(" K")};
}

std::vector<ColumnPlan> fileListColumns() {
    const QStringList dates = sampleDateTexts();
    using K = ColumnKind;
    return {{K::Figure, 54, sampleSizeTexts()},
            {K::Fixed, 64, dates},
            {K::Fixed, 64, sampleTimeTexts()},
            {K::Fixed, 64, dates},
            {K::Path, 296},
            {K::Text, 120}};
}

std::vector<SortItem> FileRecordSort::items(const QString& accessCaption) {
    return {{"Size1", QStringLiteral("&Size"), 0, SortKind::Text, true},
            {"Date1", QStringLiteral("&Date"), 1, SortKind::Date, true},
            {"AccessDate1", accessCaption, 3, SortKind::Date, true},
            {"Name1", QStringLiteral("&Name"), 4, SortKind::Text, false},
            {"Type1", QStringLiteral("&Type"), 5, SortKind::Text, false}};
}

std::vector<std::function<double(int row)>> FileRecordSort::keys(const StringGrid& grid) {
    const auto key = [&grid](int row) { return grid.rowKey(row); };
    return {[this, key](int row) { return double(records_.size(key(row))); },
            [this, key](int row) { return records_.writeDateKey(key(row)); },
            [this, key](int row) { return records_.accessDateKey(key(row)); },
            [this, key](int row) { return double(pathRank_[key(row)]); },
            [this, key](int row) { return double(typeRank_[records_.typeIndex(key(row))]); }};
}

void FileRecordSort::prepare(QAction* item, const FileSortMenu& menu) {
    if (item == menu.Name1 && pathRank_.empty())
        pathRank_ = records_.pathRanks();
    if (item == menu.Type1 && typeRank_.empty())
        typeRank_ = records_.typeRanks();
}

void FileRecordSort::clear() {
    pathRank_.clear();
    typeRank_.clear();
}
