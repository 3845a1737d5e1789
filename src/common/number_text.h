#pragma once

#include <QString>

// The program's house style for numbers and sizes. All 64-bit.

// The caption of a size field: "KB (256000 bytes)" below 1024 K, "KB ( 9.8 Meg)" from there.
QString KiloToMega(qint64 kilobytes);
// The right-justified kilobyte text of a file size (callers append " K").
QString formatSizeK(qint64 kilobytes, qint64 sizeBytes);
// The number with the locale's thousands separators and no decimals.
QString formatThousands(qint64 n);
