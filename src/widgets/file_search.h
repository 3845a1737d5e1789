#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

// Finds `needle` in the first `size` bytes of an open file, reading it in blocks with pread.
// Forward: the first match starting at or after `from`. Backward: the last match starting
// before `from`. Without `matchCase` ASCII letters match either case. Returns the match's
// offset; nothing for no match or an empty needle.
std::optional<std::int64_t> findInFile(int fd, std::int64_t size, const QByteArray& needle,
                                       std::int64_t from, bool backward, bool matchCase);
