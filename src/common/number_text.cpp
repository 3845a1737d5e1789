#include "common/number_text.h"

#include <QLocale>

QString KiloToMega(qint64 kilobytes) {
    if (kilobytes < 1024)
        return QStringLiteral("KB (") + QString::number(kilobytes * 1024) +
               QStringLiteral(" bytes)");
    // "%4.1f": at least four characters, one decimal, with the locale's decimal separator.
    QString mega = QString::asprintf("%4.1f", double(kilobytes) / 1024.0);
    mega.replace(u'.', QLocale::system().decimalPoint());
    return QStringLiteral("KB (") + mega + QStringLiteral(" Meg)");
}

QString formatSizeK(qint64 kilobytes, qint64 sizeBytes) {
    if (kilobytes >= 1)
        return QString::number(kilobytes).rightJustified(6, u' ');
    // Tenths of a kilobyte (size div 103); a file that is not empty shows at least 0.1.
    qint64 tenths = sizeBytes > 0 ? sizeBytes / 103 : 0;
    if (tenths == 0 && sizeBytes > 0)
        tenths = 1;
    return QStringLiteral("      0.") + QString::number(tenths);
}

QString formatThousands(qint64 n) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::OmitGroupSeparator);
    return locale.toString(n);
}
