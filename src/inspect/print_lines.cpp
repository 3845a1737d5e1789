#include "inspect/print_lines.h"

QString selectionPrintLine(const QString& shown, std::int64_t line, const LineSpan& span) {
    QString text = shown;
    if (line == span.endLine)
        text.truncate(qMax(0, span.endColumn));
    if (line == span.startLine) {
        const qsizetype blanks = qMin<qsizetype>(qMax(0, span.startColumn), text.size());
        text.replace(0, blanks, QString(blanks, u' '));
    }
    return text;
}
