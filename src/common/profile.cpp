#include "common/profile.h"

#include "platform/file_lock.h"
#include "platform/native_path.h"
#include "platform/whole_file.h"

#include <QDir>
#include <QHash>
#include <QSet>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace {
constexpr qsizetype kMaxStringLength = 1023;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// The file's text as reader and writer work on it (LF line ends, no byte-order mark), and
// what it takes to write it back in the file's own style.
struct ProfileText {
    QByteArray text;
    QByteArray lineEnd = "\n";
    bool byteOrderMark = false;
};

ProfileText decode(QByteArray bytes) {
    ProfileText t;
    const qsizetype markLength = qsizetype(std::strlen(kByteOrderMark));
    if (bytes.startsWith(kByteOrderMark)) {
        t.byteOrderMark = true;
        while (bytes.startsWith(kByteOrderMark))
            bytes.remove(0, markLength);
    }
    if (bytes.contains('\r')) {
        const qsizetype lf = bytes.indexOf('\n');
        if (lf < 0)
            t.lineEnd = "\r";
        else if (lf > 0 && bytes[lf - 1] == '\r')
            t.lineEnd = "\r\n";
        bytes.replace("\r\n", "\n");
        bytes.replace('\r', '\n');
    }
    // Two files joined end to end put the second one's byte-order mark at the start of a line;
    // there it is nothing, so the section or key after it reads as usual.
    const QByteArray lineMark = QByteArray("\n") + kByteOrderMark;
    while (bytes.contains(lineMark))
        bytes.replace(lineMark, "\n");
    t.text = bytes;
    return t;
}

QByteArray encode(const ProfileText& t) {
    QByteArray out = t.text;
    if (t.lineEnd != "\n")
        out.replace('\n', t.lineEnd);
    if (t.byteOrderMark)
        out.prepend(kByteOrderMark);
    return out;
}

ProfileWriteError writeRefused(const QString& path) {
    return ProfileWriteError(QStringLiteral("Unable to write to ") + path);
}

// One readable line of the file, as views into the file's bytes.
struct ProfileLine {
    enum Kind { Other, Section, Key };
    Kind kind = Other;
    QByteArrayView raw;   // the whole line without its line break
    QByteArrayView name;  // section or key name, blanks trimmed
    QByteArrayView value; // a key's value, blanks trimmed
};

QByteArrayView trimBlanks(QByteArrayView line) {
    qsizetype b = 0, e = line.size();
    while (b < e && (line[b] == ' ' || line[b] == '\t'))
        ++b;
    while (e > b && (line[e - 1] == ' ' || line[e - 1] == '\t'))
        --e;
    return line.sliced(b, e - b);
}

bool hasControlBytes(QByteArrayView line) {
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && u != '\t')
            return true;
    }
    return false;
}

// Calls `visit` with every readable line of LF-ended text in order, in one pass without copying;
// stops early when `visit` returns false. Unreadable lines are skipped: those holding control
// characters, those without "=" that are neither blank, a ";" comment nor a section line, section
// lines without "]", and keys outside a readable section.
template <class Visit> void forEachReadableLine(QByteArrayView data, Visit&& visit) {
    bool inReadableSection = false;
    const char* base = data.data();
    const qsizetype n = data.size();
    qsizetype pos = 0;
    while (pos < n) {
        const void* nl = std::memchr(base + pos, '\n', size_t(n - pos));
        const qsizetype end = nl ? static_cast<const char*>(nl) - base : n;
        QByteArrayView line(base + pos, end - pos);
        pos = end + 1;
        if (hasControlBytes(line))
            continue;
        const QByteArrayView t = trimBlanks(line);
        ProfileLine pl;
        pl.raw = line;
        if (t.isEmpty() || t.startsWith(';')) {
            if (!visit(pl))
                return;
            continue;
        }
        if (t.startsWith('[')) {
            const qsizetype close = t.lastIndexOf(']');
            inReadableSection = close > 0;
            if (!inReadableSection)
                continue;
            pl.kind = ProfileLine::Section;
            pl.name = trimBlanks(t.sliced(1, close - 1));
            if (!visit(pl))
                return;
            continue;
        }
        const qsizetype eq = t.indexOf('=');
        if (eq < 0 || !inReadableSection)
            continue;
        pl.kind = ProfileLine::Key;
        pl.name = trimBlanks(t.first(eq));
        if (pl.name.isEmpty())
            continue;
        pl.value = trimBlanks(t.sliced(eq + 1));
        if (!visit(pl))
            return;
    }
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool sameName(QByteArrayView stored, const QString& wanted) {
    return sameName(fromNative(stored.data(), stored.size()).trimmed(), wanted);
}

// Calls `visit` with every readable key of the first section `section`, in file order; stops
// early when `visit` returns false.
template <class Visit>
void forEachKeyOfSection(QByteArrayView data, const QString& section, Visit&& visit) {
    const QString s = section.trimmed();
    enum { Before, Inside, After } where = Before;
    forEachReadableLine(data, [&](const ProfileLine& l) {
        if (l.kind == ProfileLine::Section) {
            if (where == Inside)
                where = After;
            else if (where == Before && sameName(l.name, s))
                where = Inside;
            return where != After;
        }
        if (where == Inside && l.kind == ProfileLine::Key)
            return visit(l);
        return true;
    });
}

// The value of the first key `key` in the first section `section`, decoded; only that value
// is decoded, and the scan stops there.
std::optional<QString> lookUp(QByteArrayView data, const QString& section, const QString& key) {
    const QString k = key.trimmed();
    std::optional<QString> found;
    forEachKeyOfSection(data, section, [&](const ProfileLine& l) {
        if (!sameName(l.name, k))
            return true;
        found = fromNative(l.value.data(), l.value.size());
        return false;
    });
    return found;
}

// The value of a hexadecimal digit, or -1.
int hexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Decimal with an optional sign, or "0x"/"0X" and hexadecimal digits. Hexadecimal takes up
// to 64 bits as two's complement, so 0xFFFFFFFFFFFFFFFF is -1.
std::optional<qint64> parseInteger(const QString& text) {
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) {
        quint64 v = 0;
        for (qsizetype i = 2; i < text.size(); ++i) {
            const int d = hexValue(text[i]);
            if (d < 0 || v > (std::numeric_limits<quint64>::max() >> 4))
                return std::nullopt;
            v = (v << 4) | quint64(d);
        }
        return qint64(v);
    }
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulate as a negative number so that the smallest qint64 is readable too.
    qint64 v = 0;
    constexpr qint64 kMin = std::numeric_limits<qint64>::min();
    for (; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < '0' || u > '9')
            return std::nullopt;
        const int d = u - '0';
        if (v < (kMin + d) / 10)
            return std::nullopt;
        v = v * 10 - d;
    }
    if (!negative) {
        if (v == kMin)
            return std::nullopt;
        v = -v;
    }
    return v;
}

bool holdsControlCharacters(const QString& s) {
    for (const QChar c : s)
        if (c.unicode() < 0x20 && c != u'\t')
            return true;
    return false;
}

// A value cut to the longest string a read returns.
QString limitedValue(const QString& v) {
    qsizetype len = qMin(v.size(), kMaxStringLength);
    // Never cut a character in half.
    if (len < v.size() && len > 0 && v.at(len - 1).isHighSurrogate() && v.at(len).isLowSurrogate())
        --len;
    return v.left(len);
}

QString readStringFrom(QByteArrayView text, const QString& section, const QString& key,
                       const QString& def) {
    const std::optional<QString> v = lookUp(text, section, key);
    return v ? limitedValue(*v) : def;
}

// Every readable key of the first section `section`, in file order.
QList<std::pair<QString, QString>> sectionFrom(QByteArrayView data, const QString& section) {
    QList<std::pair<QString, QString>> keys;
    forEachKeyOfSection(data, section, [&](const ProfileLine& l) {
        keys.append({fromNative(l.name.data(), l.name.size()).trimmed(),
                     limitedValue(fromNative(l.value.data(), l.value.size()))});
        return true;
    });
    return keys;
}

qint64 readIntegerFrom(QByteArrayView text, const QString& section, const QString& key,
                       qint64 def) {
    const std::optional<QString> v = lookUp(text, section, key);
    if (!v)
        return def;
    return parseInteger(*v).value_or(def);
}

// `data` with the keys of section `section` set to their values, in one pass: a key already
// there is changed in place (its first occurrence, keeping its spelling), the others follow
// the section's last key in the order given, and a new section goes at the end. Lines that
// cannot be read are left out.
QByteArray withEntries(QByteArrayView data, const QString& section,
                       const QList<std::pair<QString, QString>>& entries) {
    std::vector<ProfileLine> lines;
    forEachReadableLine(data, [&](const ProfileLine& l) {
        lines.push_back(l);
        return true;
    });

    // Each key, folded, to its entry (the last of a key given twice).
    QHash<QString, qsizetype> wanted;
    for (qsizetype e = 0; e < entries.size(); ++e)
        wanted.insert(entries[e].first.toCaseFolded(), e);
    // The line after the first section `section`'s header (-1: no such section), the line
    // after the section's last key, and per line the entry it takes (-1: kept as it is).
    qsizetype sectionAt = -1, afterLastKey = -1;
    std::vector<qsizetype> replacedBy(lines.size(), -1);
    QSet<qsizetype> placed;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const ProfileLine& l = lines[size_t(i)];
        if (l.kind == ProfileLine::Section) {
            if (sectionAt >= 0)
                break;
            if (sameName(l.name, section))
                sectionAt = afterLastKey = i + 1;
        } else if (sectionAt >= 0 && l.kind == ProfileLine::Key) {
            afterLastKey = i + 1;
            const QString name = fromNative(l.name.data(), l.name.size()).trimmed().toCaseFolded();
            const auto it = wanted.constFind(name);
            if (it != wanted.constEnd() && !placed.contains(*it)) {
                replacedBy[size_t(i)] = *it;
                placed.insert(*it);
            }
        }
    }

    QByteArray added;
    for (qsizetype e = 0; e < entries.size(); ++e)
        if (!placed.contains(e) && wanted.value(entries[e].first.toCaseFolded()) == e)
            added += toNative(entries[e].first) + '=' + toNative(entries[e].second) + '\n';
    QByteArray out;
    out.reserve(data.size() + added.size() + toNative(section).size() + 8);
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const ProfileLine& l = lines[size_t(i)];
        if (i == afterLastKey)
            out += added;
        const qsizetype e = replacedBy[size_t(i)];
        if (e >= 0) // the key keeps its spelling as the file has it
            out += l.name.toByteArray() + '=' + toNative(entries[e].second);
        else
            out += l.raw;
        out += '\n';
    }
    if (afterLastKey == qsizetype(lines.size()))
        out += added;
    if (sectionAt < 0) {
        if (!lines.empty() && !trimBlanks(lines.back().raw).isEmpty())
            out += '\n';
        out += '[' + toNative(section) + "]\n" + added;
    }
    return out;
}

// The file's text; an unreadable file reads as empty.
QByteArray currentText(const QString& path) {
    return decode(readWholeFile(toNative(path)).value_or(QByteArray())).text;
}

} // namespace

QString settingsFilePath(const QString& bareName) {
    if (QDir::isAbsolutePath(bareName))
        return bareName;
    QString base = fromNative(qgetenv("XDG_CONFIG_HOME"));
    if (!QDir::isAbsolutePath(base))
        base = fromNative(qgetenv("HOME")) + QStringLiteral("/.config");
    return base + QStringLiteral("/zelkova/") + bareName;
}

ProfileWriteError::ProfileWriteError(const QString& message)
    : std::runtime_error(message.toStdString()), message_(message) {}

QString ProfileWriteError::message() const {
    return message_;
}

Profile::Profile(const QString& bareName) : path_(settingsFilePath(bareName)) {}

QString Profile::fileName() const {
    return path_;
}

QString Profile::readString(const QString& section, const QString& key, const QString& def) const {
    return readStringFrom(currentText(path_), section, key, def);
}

qint64 Profile::readInteger(const QString& section, const QString& key, qint64 def) const {
    return readIntegerFrom(currentText(path_), section, key, def);
}

QList<std::pair<QString, QString>> Profile::readSection(const QString& section) const {
    return sectionFrom(currentText(path_), section);
}

void Profile::writeInteger(const QString& section, const QString& key, qint64 value) {
    writeString(section, key, QString::number(value));
}

void Profile::writeString(const QString& section, const QString& key, const QString& value) {
    update([&](ProfileUpdate& file) { file.writeString(section, key, value); });
}

void Profile::update(const std::function<void(ProfileUpdate&)>& edit) {
    const QByteArray native = toNative(path_);
    const qsizetype slash = native.lastIndexOf('/');
    if (slash > 0 && !makeFolders(native.left(slash)))
        throw writeRefused(path_);
    const FileLock lock(native + ".lock");
    if (!lock.locked())
        throw writeRefused(path_);
    // A file that is there but cannot be read is left alone rather than replaced with less.
    const std::optional<QByteArray> bytes = readWholeFile(native);
    if (!bytes)
        throw writeRefused(path_);
    ProfileText file = decode(*bytes);
    ProfileUpdate changes(path_, file.text);
    edit(changes);
    if (!changes.changed_)
        return;
    file.text = changes.text_;
    if (!replaceWholeFile(native, encode(file)))
        throw writeRefused(path_);
}

ProfileUpdate::ProfileUpdate(const QString& fileName, const QByteArray& text)
    : fileName_(fileName), text_(text) {}

QString ProfileUpdate::readString(const QString& section, const QString& key,
                                  const QString& def) const {
    return readStringFrom(text_, section, key, def);
}

qint64 ProfileUpdate::readInteger(const QString& section, const QString& key, qint64 def) const {
    return readIntegerFrom(text_, section, key, def);
}

void ProfileUpdate::writeInteger(const QString& section, const QString& key, qint64 value) {
    writeString(section, key, QString::number(value));
}

void ProfileUpdate::writeString(const QString& section, const QString& key, const QString& value) {
    writeStrings(section, {{key, value}});
}

void ProfileUpdate::writeStrings(const QString& section,
                                 const QList<std::pair<QString, QString>>& entries) {
    const QString s = section.trimmed();
    // Text that would break the file's lines, or read back as another key, is refused.
    if (holdsControlCharacters(s))
        throw writeRefused(fileName_);
    QList<std::pair<QString, QString>> trimmed;
    trimmed.reserve(entries.size());
    for (const auto& [key, value] : entries) {
        const QString k = key.trimmed();
        if (holdsControlCharacters(k) || holdsControlCharacters(value) || k.isEmpty() ||
            k.contains(u'=') || k.startsWith(u'[') || k.startsWith(u';'))
            throw writeRefused(fileName_);
        trimmed.append({k, value});
    }
    text_ = withEntries(text_, s, trimmed);
    changed_ = true;
}
