#pragma once

#include "finders/dup_records.h"

#include <QString>

// The printed title of the duplicate and file-hog lists.

// "larger or equal to " + kb1, "smaller or equal to " + kb1, or
// "in between " + kb1 + " and " + kb2 (the size captions of the two number fields).
QString sizePhrase(SizeMode mode, const QString& kb1, const QString& kb2);
// "Duplicates " or "File Hogs ", the size phrase, " matching ", the pattern, " on drive(s) ",
// and the drive list (each ticked drive's caption followed by one blank).
QString printTitle(bool duplicatesMode, const QString& sizePhrase, const QString& pattern,
                   const QString& driveList);
