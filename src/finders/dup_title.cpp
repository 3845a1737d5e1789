#include "finders/dup_title.h"

QString sizePhrase(SizeMode mode, const QString& kb1, const QString& kb2) {
    switch (mode) {
    case SizeMode::Larger:
        return QStringLiteral("larger or equal to ") + kb1;
    case SizeMode::Smaller:
        return QStringLiteral("smaller or equal to ") + kb1;
    case SizeMode::Between:
        break;
    }
    return QStringLiteral("in between ") + kb1 + QStringLiteral(" and ") + kb2;
}

QString printTitle(bool duplicatesMode, const QString& sizePhrase, const QString& pattern,
                   const QString& driveList) {
    return (duplicatesMode ? QStringLiteral("Duplicates ") : QStringLiteral("File Hogs ")) +
           sizePhrase + QStringLiteral(" matching ") + pattern + QStringLiteral(" on drive(s) ") +
           driveList;
}
