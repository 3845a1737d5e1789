#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// An entry of the temporary extension list is one line of text: a pattern such as "*.tmp", a
// tab, and the file type of the pattern's extension. The list lives in section "TempFiles" of
// the settings file as "Number" and "File1" ... "File<Number>", each the pattern of an entry.

// The pattern of an entry: its text before the first tab (the whole text without a tab).
QString entryPattern(const QString& entry);
// The entry of a pattern: the pattern, a tab and the type of the pattern's extension.
QString entryFor(const QString& pattern);
// The match key of an entry: its text from the second character up to the first tab,
// lower-cased; ".tmp" for the entry of "*.tmp".
QString matchKey(const QString& entry);
// The extension of a bare file name, lower-cased: from its last "." to the end; "" when the
// name holds no ".".
QString nameExtension(const QString& name);
// Whether the extension of a bare file name equals the match key of one of `entries`. An
// empty key (the entry of "*" or ".") matches nothing: it would stand for every name without
// a dot, every program and README on the disk.
bool isThisFileTemporary(const QString& name, const QStringList& entries);

// The same test on a name's bytes as the walk hands them over, with the keys worked out once,
// so names that cannot match cost a few byte comparisons.
class TempMatcher {
public:
    explicit TempMatcher(const QStringList& entries = {});
    bool matches(const char* name, int length) const;
    bool empty() const { return keys_.isEmpty(); }

private:
    QStringList keys_;                   // lower-cased, none empty
    std::vector<std::string> asciiKeys_; // the keys that are plain ASCII, as bytes
    int longest_ = 0;                    // the longest key, in bytes
};

// The entries loaded when the settings file holds no list: ".tmp", ".fts", ".bak", ".$$$".
QStringList builtInTempEntries();
// The entries the Defaults button offers: ".tmp", ".temp", ".fts", ".bak", ".old", ".$$$".
QStringList defaultTempEntries();
// Adds `entry` unless `list` holds an entry equal to it without regard to case.
bool addTempEntry(QStringList& list, const QString& entry);

// Loads the list from section "TempFiles" of the settings file `iniName`: the entries
// File1 ... File<Number> in order, empty ones skipped, each value read up to a tab a hand
// edit may have left in it; the built-in entries when Number is
// absent or negative; none for Number 0. The section is read once, so a huge Number in a
// hand-edited file costs no more than the keys that are there.
QStringList ReadInFromDisk(const QString& iniName = QStringLiteral("zelkova.ini"));
// Saves the list: Number and the pattern of each entry, all in one replacement of the file.
// Throws ProfileWriteError when the file cannot be written (or a pattern cannot be stored);
// then the file keeps the list it had.
void WriteOutToDisk(const QStringList& entries,
                    const QString& iniName = QStringLiteral("zelkova.ini"));
