#include "widgets/column_width.h"

#include "widgets/string_grid.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double kClassicLetterWidth = 6.0;
// The room the described layouts leave free beside the columns (the scroll bar's).
constexpr int kFreeRoom = 25;
// The least described width of a name or path column and of a text column.
constexpr int kLeastNameDescribed = 80;
constexpr int kLeastTextDescribed = 60;

// `text` with every digit replaced by the widest digit of the font.
QString widestDigitForm(const QString& text, const QFontMetrics& metrics) {
    QChar widest = u'0';
    for (char16_t d = u'1'; d <= u'9'; ++d)
        if (metrics.horizontalAdvance(QChar(d)) > metrics.horizontalAdvance(widest))
            widest = QChar(d);
    QString out = text;
    for (QChar& c : out)
        if (c >= u'0' && c <= u'9')
            c = widest;
    return out;
}

bool grows(ColumnKind kind) {
    return kind == ColumnKind::Name || kind == ColumnKind::Path;
}

// Spreads `amount` pixels (negative: takes them) over the columns `which`, in proportion to
// `weights`, so that the parts add up to `amount` exactly.
void spread(std::vector<int>& widths, const std::vector<int>& which,
            const std::vector<double>& weights, int amount) {
    double total = 0;
    for (int c : which)
        total += weights[std::size_t(c)];
    if (which.empty() || total <= 0)
        return;
    double before = 0;
    int given = 0;
    for (int c : which) {
        before += weights[std::size_t(c)];
        const int upto = int(std::lround(amount * before / total));
        widths[std::size_t(c)] += upto - given;
        given = upto;
    }
}

// Narrows the columns `which` by up to `excess` pixels in all, in proportion to what each can
// give above its least width. Returns what is still in excess.
int narrow(std::vector<int>& widths, const std::vector<int>& least, const std::vector<int>& which,
           int excess) {
    std::vector<double> slack(widths.size(), 0.0);
    int available = 0;
    for (int c : which) {
        slack[std::size_t(c)] = std::max(0, widths[std::size_t(c)] - least[std::size_t(c)]);
        available += int(slack[std::size_t(c)]);
    }
    const int taken = std::min(excess, available);
    if (taken > 0)
        spread(widths, which, slack, -taken);
    return excess - taken;
}

} // namespace

double averageLetterWidth(const QFontMetrics& metrics) {
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return double(metrics.horizontalAdvance(letters)) / double(letters.size());
}

int columnWidth(int described, const QFontMetrics& metrics, const QStringList& samples, int inset) {
    int width = int(std::lround(described * averageLetterWidth(metrics) / kClassicLetterWidth));
    for (const QString& text : samples)
        width = std::max(width, metrics.horizontalAdvance(text) + 2 * inset);
    return width;
}

std::vector<int> planColumnWidths(const std::vector<ColumnPlan>& columns,
                                  const QStringList& headings, const QFontMetrics& metrics,
                                  int clientWidth, int inset) {
    const std::size_t n = columns.size();
    std::vector<int> widths(n), least(n);
    std::vector<double> described(n);
    std::vector<int> growing, texts;
    int used = 0;
    for (std::size_t c = 0; c < n; ++c) {
        const ColumnPlan& plan = columns[c];
        const QStringList heading{headings.value(qsizetype(c))};
        QStringList samples = plan.samples;
        if (plan.kind == ColumnKind::Figure)
            for (QString& s : samples)
                s = widestDigitForm(s, metrics);
        widths[c] = columnWidth(plan.described, metrics, samples + heading, inset);
        least[c] = widths[c];
        described[c] = std::max(1, plan.described);
        if (grows(plan.kind)) {
            least[c] =
                columnWidth(std::min(plan.described, kLeastNameDescribed), metrics, heading, inset);
            growing.push_back(int(c));
        } else if (plan.kind == ColumnKind::Text) {
            least[c] =
                columnWidth(std::min(plan.described, kLeastTextDescribed), metrics, heading, inset);
            texts.push_back(int(c));
        }
        used += widths[c];
    }
    if (n == 0)
        return widths;
    const int spare = clientWidth - kFreeRoom - used;
    if (spare > 0) {
        const std::vector<int>& takers = !growing.empty() ? growing
                                         : !texts.empty() ? texts
                                                          : std::vector<int>{int(n - 1)};
        spread(widths, takers, described, spare);
    } else if (spare < 0) {
        narrow(widths, least, growing, narrow(widths, least, texts, -spare));
    }
    return widths;
}

void layoutResultColumns(StringGrid& grid, const std::vector<ColumnPlan>& columns,
                         int clientWidth) {
    grid.setColumnPlan(columns);
    grid.layoutColumns(clientWidth);
}
