#pragma once

#include <cstdint>
#include <string>

// A deterministic tree for the duplicate finders' contents search, real data in every file
// (nothing sparse): 20,000 names in 300 folders, about 5 GB, no hidden names, no empty files.
// - Duplicate groups of assorted sizes, 2 to 6 copies each: small (1 byte to 1 MiB), medium
//   (1 to 16 MiB) and a few large (50 to 200 MiB).
// - Sets of files of one size that differ in one byte: the first, the last or the middle one
//   (above 8 KiB the first and last 4 KiB of such files then agree), among them a few large.
// - Files of contents of their own, whose sizes may still meet.
// - Hard links: further names of some group members, set members and files of their own, in
//   another folder or the same one, a few files with two further names.
// The same seed gives the same tree, byte for byte.
struct DupTreeFigures {
    std::int64_t names = 0;    // the names of files, every hard link counted
    std::int64_t files = 0;    // distinct files
    std::int64_t folders = 0;  // the root included
    std::int64_t bytes = 0;    // the distinct files' sizes together
    std::int64_t groups = 0;   // duplicate groups made on purpose ...
    std::int64_t copies = 0;   // ... and their files
    std::int64_t sets = 0;     // sets of one size that differ in one byte ...
    std::int64_t setFiles = 0; // ... and their files
    std::int64_t links = 0;    // names beyond a file's first

    // One line for the log.
    std::string text() const;
};

// The tree's figures, without touching the disk.
DupTreeFigures planDupTree(std::uint64_t seed);

// Writes the tree under `root`, unless a complete one of that seed is there already (a stamp
// beside the root tells); a partial or different one is replaced.
DupTreeFigures makeDupTree(const std::string& root, std::uint64_t seed);
