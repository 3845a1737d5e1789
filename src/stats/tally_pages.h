#pragma once

#include "stats/stat_page_parts.h"

#include <QStringList>
#include <QWidget>
#include <optional>
#include <span>
#include <vector>

class QVBoxLayout;

// A page of tally rows under the headings "% of total # files", "# Files", "% of total size"
// and "File Sizes", with notes below them.
class TallyPage : public QWidget {
public:
    // What the names of a row's count bar, count, bytes bar and bytes begin with.
    struct Names {
        QString countGauge, count, bytesGauge, bytes;
    };
    struct Setup {
        size_t first = 0;     // the index of the first row's tally
        QStringList captions; // one per row
        QStringList keys;     // what each row's names end in
        Names names;
        QColor countColour, bytesColour;
    };

    explicit TallyPage(const Setup& setup);

    // Shows the tallies from the first row on; each bar shows its value as a share of
    // `whole`, by default its column's sum.
    void showTallies(std::span<const Tally> tallies, std::optional<Tally> whole = std::nullopt);

    // Indexed as the tallies; rows before the first are empty.
    std::vector<TallyRow> rows;

protected:
    // A word-wrapped note under the rows.
    QLabel* addNote(const QString& name, const QString& text);

private:
    QVBoxLayout* layout_;
    size_t first_;
};

// "Sizes": rows 1 .. 9 and a note on the drive's cluster size.
class SizesPage : public TallyPage {
public:
    SizesPage();
    void fill(const StatTallies& tallies) { showTallies(tallies.sizes); }
    // The note on the cluster size of the drive being collected.
    void showClusterSize(const QString& drive, qint64 clusterSize);

    QLabel* lblCluster = nullptr;
};

// "Accessed", "Created" or "Modified": the ages of one of the three time stamps, rows 0 .. 9.
class AgePage : public TallyPage {
public:
    explicit AgePage(StatTallies::AgeSet set);
    void fill(const StatTallies& tallies) { showTallies(tallies.ages[size_t(set_)]); }

private:
    StatTallies::AgeSet set_;
};

// "Attributes": hidden, read-only, system and archive.
class AttributesPage : public TallyPage {
public:
    AttributesPage();
    void fill(const StatTallies& tallies);
};
