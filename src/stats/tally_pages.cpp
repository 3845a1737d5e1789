#include "stats/tally_pages.h"

#include "widgets/gauge.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

using statpage::label;

TallyPage::TallyPage(const Setup& s) : layout_(new QVBoxLayout(this)), first_(s.first) {
    auto* grid = new QGridLayout;
    const QStringList heads{QStringLiteral("% of total # files"), QStringLiteral("# Files"),
                            QStringLiteral("% of total size"), QStringLiteral("File Sizes")};
    for (int c = 0; c < heads.size(); ++c) {
        QLabel* h = label(this, QStringLiteral("Heading%1").arg(c + 1), heads[c]);
        h->setAlignment(Qt::AlignCenter);
        grid->addWidget(h, 0, c + 1);
    }
    rows.resize(first_ + size_t(s.captions.size()));
    for (int i = 0; i < s.captions.size(); ++i) {
        const QString& k = s.keys[i];
        TallyRow& r = rows[first_ + size_t(i)];
        r.caption = label(this, QStringLiteral("lblRow") + s.names.count + k, s.captions[i]);
        r.countGauge = statpage::gauge(this, s.names.countGauge + k, s.countColour);
        r.count = statpage::numberLabel(this, s.names.count + k);
        r.bytesGauge = statpage::gauge(this, s.names.bytesGauge + k, s.bytesColour);
        r.bytes = statpage::numberLabel(this, s.names.bytes + k);
        QWidget* const cells[] = {r.caption, r.countGauge, r.count, r.bytesGauge, r.bytes};
        for (int c = 0; c < 5; ++c)
            grid->addWidget(cells[c], i + 1, c);
    }
    layout_->addLayout(grid);
    layout_->addStretch();
}

void TallyPage::showTallies(std::span<const Tally> tallies, std::optional<Tally> whole) {
    const std::span<const Tally> shown = tallies.subspan(first_);
    const Tally w = whole.value_or(sumOf(shown));
    for (size_t i = first_; i < rows.size(); ++i)
        rows[i].show(tallies[i], w);
}

QLabel* TallyPage::addNote(const QString& name, const QString& text) {
    QLabel* l = label(this, name, text);
    l->setWordWrap(true);
    layout_->insertWidget(layout_->count() - 1, l); // above the stretch
    return l;
}

namespace {
QStringList numbered(int from, int to) {
    QStringList keys;
    for (int n = from; n <= to; ++n)
        keys << QString::number(n);
    return keys;
}
} // namespace

// ---- "Sizes"

SizesPage::SizesPage()
    : TallyPage(
          {1,
           {QStringLiteral("0 - 16 K"), QStringLiteral("16K - 32K"), QStringLiteral("32K - 128K"),
            QStringLiteral("128K - 1Mb"), QStringLiteral("1Mb - 2Mb"), QStringLiteral("2Mb - 4Mb"),
            QStringLiteral("4Mb - 8Mb"), QStringLiteral("8Mb - 16Mb"), QStringLiteral("Over 16Mb")},
           numbered(1, 9),
           {QStringLiteral("gaFsN"), QStringLiteral("lblSizeN"), QStringLiteral("gaFsS"),
            QStringLiteral("lblSize")},
           statpage::kNavy,
           statpage::kTeal}) {
    lblCluster = addNote(QStringLiteral("lblCluster"), QString());
}

void SizesPage::showClusterSize(const QString& drive, qint64 clusterSize) {
    const QString size = QString::number(clusterSize);
    lblCluster->setText(QStringLiteral("Since drive ") + drive +
                        QStringLiteral(" is partitioned into ") + size +
                        QStringLiteral(" bytes per cluster, the smallest file of only 1 byte will "
                                       "consume ") +
                        size +
                        QStringLiteral(" bytes.  The actual space that each file uses will be "
                                       "rounded up to the next multiple of ") +
                        size + QStringLiteral(" bytes."));
}

// ---- "Accessed", "Created", "Modified"

namespace {
TallyPage::Setup ageSetup(StatTallies::AgeSet set) {
    static const TallyPage::Names names[3] = {{QStringLiteral("gaFaN"), QStringLiteral("lblAgeN"),
                                               QStringLiteral("gaFaS"), QStringLiteral("lblAgeS")},
                                              {QStringLiteral("gaFcN"), QStringLiteral("lblCr"),
                                               QStringLiteral("gaFcS"), QStringLiteral("lblCrS")},
                                              {QStringLiteral("gaFwN"), QStringLiteral("lblWr"),
                                               QStringLiteral("gaFwS"), QStringLiteral("lblFw")}};
    return {0,
            {QStringLiteral("Not recorded"), QStringLiteral("<= 7 days"),
             QStringLiteral("8 - 30 days"), QStringLiteral("31 - 60 days"),
             QStringLiteral("61-120 days"), QStringLiteral("121-365 days"),
             QStringLiteral("1 - 2 years"), QStringLiteral("2 - 3 years"),
             QStringLiteral("3 - 4 years"), QStringLiteral("Over 4 years")},
            numbered(0, 9),
            names[set],
            statpage::kPurple,
            statpage::kNavy};
}

QStringList ageNotes(StatTallies::AgeSet set) {
    switch (set) {
    case StatTallies::Accessed:
        return {QStringLiteral("Note: prior versions of Windows and DOS did not store the file "
                               "access date."),
                QStringLiteral("Files never recorded as being accessed are probably old files "
                               "that were converted to Windows 95.")};
    case StatTallies::Created:
        return {QStringLiteral("Note: prior versions of Windows and DOS did not store the file "
                               "creation date independent of the last file modification or "
                               "file write date."),
                QStringLiteral("Files never recorded as being created are probably old files "
                               "that were converted to Windows 95.")};
    case StatTallies::Modified:
        break;
    }
    return {QStringLiteral("Note: prior versions of Windows and DOS treated the file "
                           "creation date synonomously  with the last file modification "
                           "date.  Therefore all files have a file modification date.")};
}
} // namespace

AgePage::AgePage(StatTallies::AgeSet set) : TallyPage(ageSetup(set)), set_(set) {
    const QStringList notes = ageNotes(set);
    for (int i = 0; i < notes.size(); ++i)
        addNote(QStringLiteral("lblNote%1").arg(i + 1), notes[i]);
}

// ---- "Attributes"

AttributesPage::AttributesPage()
    : TallyPage({0,
                 {QStringLiteral("Hidden"), QStringLiteral("Read-only"), QStringLiteral("System"),
                  QStringLiteral("Archive")},
                 {QStringLiteral("Hidden"), QStringLiteral("ReadOnly"), QStringLiteral("System"),
                  QStringLiteral("Archive")},
                 {QStringLiteral("gaN"), QStringLiteral("lblN"), QStringLiteral("gaSz"),
                  QStringLiteral("lblSz")},
                 statpage::kNavy,
                 statpage::kTeal}) {}

void AttributesPage::fill(const StatTallies& t) {
    // A file counts under every attribute it carries, so the rows overlap: their bars are
    // shares of all the files and bytes processed, not of the rows' sum.
    const std::array<Tally, 4> rows{t.hidden, t.readOnly, t.system, t.archive};
    showTallies(rows, Tally{t.filesProcessed, t.totalBytes});
}
