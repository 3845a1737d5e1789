#include "clean/temp_extensions.h"

#include "common/profile.h"
#include "platform/file_types.h"
#include "platform/native_path.h"

#include <QMap>
#include <cstring>
#include <limits>

namespace {
const QString kSection = QStringLiteral("TempFiles");

QStringList entriesOf(std::initializer_list<const char*> extensions) {
    QStringList out;
    for (const char* e : extensions)
        out << entryFor(QStringLiteral("*") + QLatin1String(e));
    return out;
}

bool isAscii(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

// n of a key "File<n>" (any letter case, n in decimal without leading zeros); 0 otherwise.
qint64 fileKeyNumber(const QString& key) {
    if (key.size() < 5 || key.size() > 22 ||
        !key.startsWith(QLatin1String("file"), Qt::CaseInsensitive))
        return 0;
    const QStringView digits = QStringView(key).mid(4);
    if (digits[0] == u'0')
        return 0;
    qint64 n = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9' || n > (std::numeric_limits<qint64>::max() - 9) / 10)
            return 0;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}
} // namespace

QString entryPattern(const QString& entry) {
    const qsizetype tab = entry.indexOf(u'\t');
    return tab < 0 ? entry : entry.left(tab);
}

QString entryFor(const QString& pattern) {
    return pattern + u'\t' + extensionToType(extensionOf(pattern));
}

QString matchKey(const QString& entry) {
    return changeCase(entryPattern(entry).mid(1), LetterCase::Lower);
}

QString nameExtension(const QString& name) {
    return changeCase(extensionOf(name), LetterCase::Lower);
}

bool isThisFileTemporary(const QString& name, const QStringList& entries) {
    const QString ext = nameExtension(name);
    if (ext.isEmpty())
        return false;
    for (const QString& e : entries)
        if (matchKey(e) == ext)
            return true;
    return false;
}

TempMatcher::TempMatcher(const QStringList& entries) {
    for (const QString& e : entries) {
        const QString key = matchKey(e);
        if (key.isEmpty() || keys_.contains(key))
            continue;
        keys_ << key;
        const QByteArray bytes = toNative(key);
        longest_ = std::max(longest_, int(bytes.size()));
        if (isAscii(key))
            asciiKeys_.emplace_back(bytes.constData(), size_t(bytes.size()));
    }
}

bool TempMatcher::matches(const char* name, int length) const {
    const void* dot = memrchr(name, '.', size_t(length));
    if (!dot || keys_.isEmpty())
        return false;
    const char* ext = static_cast<const char*>(dot);
    const int n = int(name + length - ext);
    // A longer extension can still be a key when lower-casing shortens it; only ASCII ones
    // are ruled out by their length.
    char lower[64];
    bool ascii = n <= int(sizeof lower);
    for (int i = 0; ascii && i < n; ++i) {
        const char c = ext[i];
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
        else
            lower[i] = (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
    }
    if (ascii) {
        if (n > longest_)
            return false;
        for (const std::string& k : asciiKeys_)
            if (int(k.size()) == n && std::memcmp(k.data(), lower, size_t(n)) == 0)
                return true;
        return false;
    }
    return keys_.contains(changeCase(fromNative(ext, n), LetterCase::Lower));
}

QStringList builtInTempEntries() {
    return entriesOf({".tmp", ".fts", ".bak", ".$$$"});
}

QStringList defaultTempEntries() {
    return entriesOf({".tmp", ".temp", ".fts", ".bak", ".old", ".$$$"});
}

bool addTempEntry(QStringList& list, const QString& entry) {
    if (list.contains(entry, Qt::CaseInsensitive))
        return false;
    list << entry;
    return true;
}

QStringList ReadInFromDisk(const QString& iniName) {
    const Profile profile(iniName);
    const qint64 number = profile.readInteger(kSection, QStringLiteral("Number"), -1);
    if (number < 0)
        return builtInTempEntries();
    // The keys File1 .. File<Number> that are present, in number order; the first of a key
    // that occurs twice, as a read by key would give.
    QMap<qint64, QString> byNumber;
    for (const auto& [key, value] : profile.readSection(kSection)) {
        const qint64 n = fileKeyNumber(key);
        if (n >= 1 && n <= number && !byNumber.contains(n))
            byNumber.insert(n, value);
    }
    QStringList entries;
    for (const QString& value : std::as_const(byNumber))
        if (!value.isEmpty())
            entries << entryFor(entryPattern(value));
    return entries;
}

void WriteOutToDisk(const QStringList& entries, const QString& iniName) {
    QList<std::pair<QString, QString>> keys;
    keys.reserve(entries.size() + 1);
    keys.append({QStringLiteral("Number"), QString::number(entries.size())});
    for (qsizetype i = 0; i < entries.size(); ++i)
        keys.append({QStringLiteral("File") + QString::number(i + 1), entryPattern(entries[i])});
    Profile(iniName).update([&](ProfileUpdate& file) { file.writeStrings(kSection, keys); });
}
