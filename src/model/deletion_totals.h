#pragma once

#include <QtGlobal>

// The running totals of what the program has deleted, kept in section "Zelkova" of
// "zelkova.ini": "Ndelete" and "SizeDelete" for files deleted for good, "NWaste" and
// "SizeWaste" for files sent to the trash, and "DelDate", the day number on which counting
// began. All 64-bit.

// Adds one run's counts. A stored counter above 0 grows by the amount (stopping at the top of
// the 64-bit range); a missing, zero, negative or malformed one starts again from the amount.
// A zero or negative amount leaves its key as it is: no total can be made to shrink or turn
// negative. "DelDate" is written with today's day number when it is unset and the run counted
// something; an existing date is never changed. Throws ProfileWriteError when the settings
// file cannot be written.
void addToDeletionTotals(qint64 deletedFiles, qint64 deletedBytes, qint64 recycledFiles,
                         qint64 recycledBytes);

// Writes -1 ("nothing counted") to all five keys.
void resetDeletionTotals();
