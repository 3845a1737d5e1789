#include "stats/stat_page_parts.h"

#include "common/number_text.h"
#include "widgets/gauge.h"

#include <QLabel>

namespace statpage {

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

QLabel* numberLabel(QWidget* parent, const QString& name) {
    QLabel* l = label(parent, name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(110);
    return l;
}

TGauge* gauge(QWidget* parent, const QString& name, const QColor& fore) {
    auto* g = new TGauge(parent);
    g->setObjectName(name);
    g->setForeColor(fore);
    g->setMinimumWidth(120);
    return g;
}

} // namespace statpage

void TallyRow::show(const Tally& tally, const Tally& whole) {
    count->setText(formatThousands(tally.count));
    bytes->setText(formatThousands(tally.bytes));
    if (const auto pct = gaugePercent(tally.count, whole.count))
        countGauge->setProgress(*pct);
    if (const auto pct = gaugePercent(tally.bytes, whole.bytes))
        bytesGauge->setProgress(*pct);
}

Tally sumOf(std::span<const Tally> tallies) {
    Tally sum;
    for (const Tally& t : tallies) {
        sum.count += t.count;
        sum.bytes = addSize(sum.bytes, t.bytes);
    }
    return sum;
}
