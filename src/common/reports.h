#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFont;
class QPainter;
class QRect;
class QPrinter;

// What a report needs of a grid: its cells as text and its column widths in screen pixels.
class ReportGrid {
public:
    virtual ~ReportGrid() = default;
    virtual int reportColumnCount() const = 0;
    virtual int reportRowCount() const = 0; // the header row 0 included
    virtual QString reportCell(int column, int row) const = 0;
    virtual int reportColumnWidth(int column) const = 0;
};

// The program-wide printer that the print dialog configures and the reports print on.
QPrinter& appPrinter();

// The lines of the two reports (without the printing), for showing and testing.
QStringList listBoxReportLines(const QStringList& lines, const QString& title);
QStringList gridReportLines(const ReportGrid& grid, const QString& title);

// Prints a list of lines, or a grid, as a titled report on appPrinter(): Courier 9 pt, one
// line a printed line, new pages when full. On failure shows "Error printing report ...
// quitting" and returns false.
bool printListBox(const QStringList& lines, const QString& title);
bool printGrid(const ReportGrid& grid, const QString& title);
// Prints `count` plain lines, made one at a time by `line` (from 0), on appPrinter() in
// `font`: no title, one line a printed line, new pages when full. Failures are handled as for
// the reports.
bool printTextLines(qint64 count, const std::function<QString(qint64)>& line, const QFont& font);
// Prints a picture on one page of appPrinter(): the title and the printed line in Courier 9 pt,
// then `draw` paints into the rest of the page (in the printer's pixels). Failures are handled
// as for the reports.
bool printPicture(const QString& title, const std::function<void(QPainter&, const QRect&)>& draw);
