#include "stats/overhang_page.h"

#include "common/number_text.h"
#include "stats/stat_page_parts.h"
#include "widgets/gauge.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

using statpage::label;

namespace {
// The row of the drive's own cluster size; 0 when it is none of the five.
int clusterRow(qint64 clusterSize) {
    for (size_t i = 0; i < StatTallies::kClusterSizes.size(); ++i)
        if (StatTallies::kClusterSizes[i] == clusterSize)
            return int(i) + 1;
    return 0;
}
} // namespace

OverhangPage::OverhangPage() {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label(this, QStringLiteral("Label80"), QStringLiteral("Cluster overhang")));
    buildRows();
    layout->addLayout(grid_);
    buildTotals();
    layout->addWidget(pnlOverhang);
    buildMemo();
    layout->addWidget(Memo1, 1);
}

void OverhangPage::buildRows() {
    grid_ = new QGridLayout;
    const QStringList heads{QStringLiteral("Partion size"), QStringLiteral("Cluster size"),
                            QStringLiteral("Percent wasted"), QStringLiteral("Wasted space")};
    for (int c = 0; c < 4; ++c)
        grid_->addWidget(label(this, QStringLiteral("Heading%1").arg(c + 1), heads[c]), 0, c + 1);
    const QStringList partitions{QStringLiteral("255 Mb "), QStringLiteral("256 Mb - 511 Mb"),
                                 QStringLiteral("512 Mb - 1023 Mb"),
                                 QStringLiteral("1 Gig - 2047 Mb"),
                                 QStringLiteral("2 Gig - 4095 Mb")};
    imArrow = label(this, QStringLiteral("imArrow"), QStringLiteral("\u27a4"));
    imArrow->setAccessibleName(QStringLiteral("Your cluster size"));
    imArrow->hide();
    for (int n = 1; n <= 5; ++n) {
        const QString k = QString::number(n);
        const size_t i = size_t(n);
        grid_->addWidget(label(this, QStringLiteral("lblPart") + k, partitions[n - 1]), n, 1);
        const QString cluster =
            QString::number(StatTallies::kClusterSizes[i - 1] / 1024) + QLatin1Char('K');
        grid_->addWidget(label(this, QStringLiteral("lblClus") + k, cluster), n, 2);
        gaOver[i] = statpage::gauge(this, QStringLiteral("gaOver") + k, statpage::kNavy);
        grid_->addWidget(gaOver[i], n, 3);
        lblOver[i] = statpage::numberLabel(this, QStringLiteral("lblOver") + k);
        grid_->addWidget(lblOver[i], n, 4);
    }
    grid_->setColumnMinimumWidth(0, 20);
}

void OverhangPage::buildTotals() {
    pnlOverhang = new QWidget(this);
    pnlOverhang->setObjectName(QStringLiteral("pnlOverhang"));
    auto* panel = new QGridLayout(pnlOverhang);
    lblNumFiles = label(pnlOverhang, QStringLiteral("lblNumFiles"));
    lblSize = label(pnlOverhang, QStringLiteral("lblSize"));
    lblLbl = label(pnlOverhang, QStringLiteral("lblLbl"));
    panel->addWidget(lblNumFiles, 0, 0, 1, 2);
    panel->addWidget(
        label(pnlOverhang, QStringLiteral("Label90"), QStringLiteral("Total file sizes:")), 1, 0);
    panel->addWidget(lblSize, 1, 1);
    panel->addWidget(lblLbl, 2, 0, 1, 2);
    pnlOverhang->hide();
}

void OverhangPage::buildMemo() {
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFrameStyle(QFrame::NoFrame);
    // The lines were broken for a memo of one fixed width: one that ends in a blank runs on into
    // the next, so the memo wraps them as one paragraph at its own width.
    const QStringList lines{
        QStringLiteral("This page is an illustration of the amount of disk space wasted due to "
                       "'cluster overhang.'  This is the smallest amount of space a "),
        QStringLiteral("file will actually use.   The arrow points to your actual cluster size, "
                       "the other numbers are hypothetical."),
        QString(),
        QStringLiteral("Due to the design of both Windows 95 and DOS the hard disk is divided "
                       "into clusters.  Files are stored in clusters. A file of one "),
        QStringLiteral("byte will take an entire cluster and a file that's one byte larger than "
                       "a cluster will take two clusters.  The larger the partition, the "),
        QStringLiteral("more overhang or waste is involved."),
        QString(),
        QStringLiteral("Solutions are to either repartition your hard disk or use disk "
                       "compression.")};
    QString text;
    for (const QString& line : lines)
        text += line.endsWith(u' ') ? line : line + u'\n';
    text.chop(1);
    Memo1->setPlainText(text);
}

void OverhangPage::fill(const StatTallies& t, qint64 clusterSize) {
    qint64 total = 0;
    for (size_t n = 1; n <= 9; ++n)
        total = addSize(total, t.sizes[n].bytes);
    for (size_t n = 1; n <= 5; ++n)
        lblOver[n]->setText(formatThousands(t.overhang[n - 1]));
    const int row = clusterRow(clusterSize);
    imArrow->setVisible(row > 0);
    if (row > 0)
        grid_->addWidget(imArrow, row, 0); // beside the row's cluster size
    pnlOverhang->show();
    lblSize->setText(formatThousands(total / 1048576) + QStringLiteral(" Mb"));
    lblNumFiles->setText(QStringLiteral("Number of files scanned: ") +
                         formatThousands(t.filesProcessed));
    if (row > 0)
        lblLbl->setText(QStringLiteral("Actual space used  ") +
                        formatThousands(addSize(total, t.overhang[size_t(row - 1)]) / 1048576) +
                        QStringLiteral(" Mb"));
    for (size_t n = 1; n <= 5; ++n) {
        const qint64 waste = t.overhang[n - 1];
        if (const auto pct = gaugePercent(waste, addSize(waste, total)))
            gaOver[n]->setProgress(*pct);
    }
}
