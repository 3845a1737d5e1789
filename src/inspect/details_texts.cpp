#include "inspect/details_texts.h"

#include "common/number_text.h"
#include "inspect/version_info.h"
#include "platform/date_text.h"
#include "platform/dir_entry.h"
#include "platform/drives.h"
#include "platform/entry_info.h"
#include "platform/file_time.h"
#include "platform/file_types.h"
#include "platform/link_free_path.h"
#include "platform/native_path.h"
#include "platform/unique_fd.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {
// Day of the week counted 1 for Sunday to 7 for Saturday.
int weekDay(const QDate& date) {
    return date.dayOfWeek() % 7 + 1;
}

QString plural(qint64 n, const char* unit) {
    return QString::number(n) + QLatin1String(unit) + (n > 1 ? QStringLiteral("s") : QString());
}

// Whole years and the months left over, from a span of `months` that covers `years`
// calendar years: the year just begun is counted in months, and twelve or more of them carry.
std::pair<qint64, qint64> yearsAndMonths(qint64 months, qint64 years) {
    qint64 y = years - 1;
    qint64 m = months - (years - 1) * 12;
    if (m >= 12) {
        y += m / 12;
        m %= 12;
    }
    return {y, m};
}

QString pastText(const QDate& date, const QDate& today, qint64 days) {
    const qint64 weeks = (days + weekDay(date) - 1) / 7;
    const qint64 months =
        (qint64(today.year()) * 12 + today.month()) - (qint64(date.year()) * 12 + date.month());
    const qint64 years = today.year() - date.year();
    if (weeks == 0)
        return QStringLiteral("This week");
    if (weeks == 1)
        return QStringLiteral("Last week");
    if (months < 3)
        return QString::number(weeks) + QStringLiteral(" weeks ago");
    if (years <= 2)
        return plural(months, " month") + QStringLiteral(" ago");
    const auto [y, m] = yearsAndMonths(months, years);
    QString text = QString::number(y) + QStringLiteral(" years ");
    if (m > 0)
        text += plural(m, " month") + QLatin1Char(' ');
    return text + QStringLiteral("ago");
}

QString futureText(const QDate& date, const QDate& today, qint64 days) {
    const qint64 weeks = (days + weekDay(today) - 1) / 7;
    const qint64 months =
        (qint64(date.year()) * 12 + date.month()) - (qint64(today.year()) * 12 + today.month());
    const qint64 years = date.year() - today.year();
    if (7 - weekDay(today) >= days)
        return QStringLiteral("This week");
    if (weeks < 2)
        return QStringLiteral("Next week");
    if (months < 3)
        return QString::number(weeks) + QStringLiteral(" weeks");
    if (years <= 2)
        return plural(months, " month");
    const auto [y, m] = yearsAndMonths(months, years);
    QString text = QString::number(y) + QStringLiteral(" years");
    if (m > 0)
        text += QLatin1Char(' ') + plural(m, " month");
    return text;
}
} // namespace

QString relativeDateText(const QDate& date, const QDate& today) {
    if (!date.isValid() || !today.isValid())
        return QString();
    const qint64 days = std::llabs(date.daysTo(today));
    const bool future = date > today;
    if (days == 0)
        return QStringLiteral("Today");
    if (days == 1)
        return future ? QStringLiteral("Tomorrow") : QStringLiteral("Yesterday");
    return future ? futureText(date, today, days) : pastText(date, today, days);
}

QString clusterLine(qint64 size, qint64 clusterSize) {
    QString cluster = QStringLiteral("???"), used = cluster, wasted = cluster;
    if (clusterSize > 0) {
        // Neither figure is made by multiplying back, so no size can overflow them.
        const qint64 rest = size % clusterSize;
        cluster = formatThousands(clusterSize);
        used = formatThousands(size / clusterSize + (rest ? 1 : 0));
        wasted = formatThousands(rest ? clusterSize - rest : 0);
    }
    return QStringLiteral("Cluster size: ") + cluster + QStringLiteral("  Clusters used : ") +
           used + QStringLiteral("  Wasted bytes : ") + wasted;
}

QString attributeWords(unsigned attributes) {
    static const std::pair<unsigned, const char*> words[] = {
        {faReadOnly, " ReadOnly"}, {faHidden, " Hidden"},       {faSysFile, " System"},
        {faVolumeID, " VolumeID"}, {faDirectory, " Directory"}, {faArchive, " Archive"}};
    QString text;
    for (const auto& [bit, word] : words)
        if (attributes & bit)
            text += QLatin1String(word);
    return text;
}

QString detailsDateText(qint64 unixSeconds, const QDate& today) {
    const quint32 packed = packFileTime(unixSeconds);
    if (packed == 0)
        return QStringLiteral("???");
    QDate date = packedDate(packed);
    if (!date.isValid())
        date = QDate(1980, 1, 1);
    return shortDateText(date) + QStringLiteral("  ") + relativeDateText(date, today);
}

std::optional<FileDetails> readFileDetails(const QString& fileName, const QDate& today) {
    // The folders are opened without following links, as the walks that listed the path did,
    // and the entry itself is looked at where it lies, never opened unless it is a regular file.
    QByteArray name;
    const UniqueFd folder(openParentLinkFree(toNative(fileName), name));
    EntryInfo info;
    if (folder.fd < 0 || !statAt(folder.fd, name.constData(), info))
        return std::nullopt;
    FileDetails d;
    if (info.isRegular())
        readVersionInfoAt(folder.fd, name.constData(), d.version);
    d.regular = info.isRegular();
    d.fileType = S_ISLNK(info.mode)
                     ? linkTypeText(linkTargetAt(folder.fd, name.constData()).value_or(QString()))
                     : extensionToType(extensionOf(fromNative(name)));
    d.fileName = fileName;
    d.sizeBytes = formatThousands(info.size) + QStringLiteral(" bytes");
    // The cluster size of the file system the entry itself lies on, which for a mount point
    // is not its folder's.
    const UniqueFd entry(::openat(folder.fd, name.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    const auto geometry = entry.fd >= 0 ? diskGeometryOf(entry.fd) : std::nullopt;
    d.sizeK = clusterLine(info.size, geometry ? geometry->bytesPerCluster() : 0);
    d.access = detailsDateText(info.accessTime, today);
    d.create = detailsDateText(info.creationTime, today);
    d.modify = detailsDateText(info.writeTime, today);
    d.attributes = attributeWords(info.attributes);
    return d;
}

QStringList detailsReportLines(const FileDetails& d) {
    // A tab or line break in the name would split the report's lines.
    QStringList lines{QStringLiteral("Name of file : \t") + escapeForLine(d.fileName),
                      QStringLiteral("Type of file : \t") + d.fileType,
                      QStringLiteral(" "),
                      QStringLiteral("Size of file : \t") + d.sizeBytes,
                      QStringLiteral("               \t") + d.sizeK,
                      QStringLiteral(" "),
                      QStringLiteral("Creation date     : \t") + d.create,
                      QStringLiteral("Modification date : \t") + d.modify,
                      QStringLiteral("Access date       : \t") + d.access,
                      QStringLiteral(" "),
                      QStringLiteral("Attributes : \t") + d.attributes,
                      QStringLiteral(" ")};
    return lines + d.version;
}
