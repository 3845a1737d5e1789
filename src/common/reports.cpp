#include "common/reports.h"

#include "common/message_boxes.h"
#include "common/ui.h"
#include "platform/clock.h"
#include "platform/date_text.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace {
const QString kPrintError = QStringLiteral("Error printing report ... quitting");

QString printedLine() {
    const QDateTime now = currentDateTime();
    return QStringLiteral("Printed : ") + shortDateText(now.date()) + QStringLiteral("  ") +
           longTimeText(now.time());
}

// One row of a grid report: each cell left-justified in a field of (column width / 6)
// characters and followed by one blank; a longer text is written whole.
QString gridRowLine(const ReportGrid& grid, int row) {
    QString line;
    const int columns = grid.reportColumnCount();
    for (int c = 0; c < columns; ++c) {
        const int field = qMax(0, grid.reportColumnWidth(c) / 6);
        line += grid.reportCell(c, row).leftJustified(field, u' ');
        line += u' ';
    }
    return line;
}

// The reports' printer font.
QFont courierFont() {
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(9);
    return font;
}

// Writes lines on appPrinter() as a text device in the given font, one line a printed line at
// the font's line spacing, a new page when the next line would not fit.
class TextPrinter {
public:
    bool begin(const QFont& font) {
        QPrinter& printer = appPrinter();
        if (!painter_.begin(&printer))
            return false;
        painter_.setFont(font);
        const QFontMetrics metrics = painter_.fontMetrics();
        lineSpacing_ = qMax(1, metrics.lineSpacing());
        ascent_ = metrics.ascent();
        pageHeight_ = printer.height();
        return true;
    }

    bool writeLine(const QString& text) {
        if (y_ > 0 && y_ + lineSpacing_ > pageHeight_) {
            if (!appPrinter().newPage())
                return false;
            y_ = 0;
        }
        if (!text.isEmpty())
            painter_.drawText(0, y_ + ascent_, text);
        y_ += lineSpacing_;
        return true;
    }

    // Ends the job; false when the device could not finish it (for example a full disk).
    bool end() { return painter_.end(); }

private:
    QPainter painter_;
    int lineSpacing_ = 1;
    int ascent_ = 0;
    int pageHeight_ = 0;
    int y_ = 0;
};

// Prints the header lines, then `count` body lines made one at a time by `bodyLine`, so a
// report of a million rows never holds all its texts at once.
template <class BodyLine>
bool printReport(const QStringList& header, qint64 count, BodyLine&& bodyLine,
                 const QFont& font = courierFont()) {
    TextPrinter out;
    if (!out.begin(font)) {
        plainErrorBox(kPrintError);
        return false;
    }
    for (const QString& line : header) {
        if (!out.writeLine(line)) {
            out.end();
            plainErrorBox(kPrintError);
            return false;
        }
    }
    bool ok = true;
    {
        BusyCursor busy;
        for (qint64 i = 0; i < count && ok; ++i)
            ok = out.writeLine(bodyLine(i));
    }
    ok = out.end() && ok;
    if (!ok)
        plainErrorBox(kPrintError);
    return ok;
}

QStringList listBoxHeader(const QString& title) {
    return {QStringLiteral("   ") + title, QStringLiteral("   ") + printedLine(), QString(),
            QString()};
}

QStringList gridHeader(const QString& title) {
    return {title, printedLine(), QString(), QString()};
}
} // namespace

QPrinter& appPrinter() {
    // Made on first use and never destroyed: it must not outlive the application object's
    // print support at exit.
    static QPrinter* printer = new QPrinter(QPrinter::ScreenResolution);
    return *printer;
}

QStringList listBoxReportLines(const QStringList& lines, const QString& title) {
    QStringList out = listBoxHeader(title);
    for (const QString& line : lines)
        out << QStringLiteral("   ") + line;
    return out;
}

QStringList gridReportLines(const ReportGrid& grid, const QString& title) {
    QStringList out = gridHeader(title);
    const int rows = grid.reportRowCount();
    for (int r = 0; r < rows; ++r)
        out << gridRowLine(grid, r);
    return out;
}

bool printListBox(const QStringList& lines, const QString& title) {
    return printReport(listBoxHeader(title), lines.size(),
                       [&](qint64 i) { return QStringLiteral("   ") + lines[qsizetype(i)]; });
}

bool printGrid(const ReportGrid& grid, const QString& title) {
    return printReport(gridHeader(title), grid.reportRowCount(),
                       [&](qint64 i) { return gridRowLine(grid, int(i)); });
}

bool printTextLines(qint64 count, const std::function<QString(qint64)>& line, const QFont& font) {
    return printReport({}, count, line, font);
}

bool printPicture(const QString& title, const std::function<void(QPainter&, const QRect&)>& draw) {
    QPrinter& printer = appPrinter();
    QPainter painter;
    if (!painter.begin(&printer)) {
        plainErrorBox(kPrintError);
        return false;
    }
    painter.setFont(courierFont());
    const QFontMetrics metrics = painter.fontMetrics();
    int y = 0;
    for (const QString& line : gridHeader(title)) {
        painter.drawText(0, y + metrics.ascent(), line);
        y += metrics.lineSpacing();
    }
    {
        BusyCursor busy;
        draw(painter, QRect(0, y, printer.width(), printer.height() - y));
    }
    if (!painter.end()) {
        plainErrorBox(kPrintError);
        return false;
    }
    return true;
}
