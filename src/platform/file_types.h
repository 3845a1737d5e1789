#pragma once

#include <QString>
#include <QStringList>

// File type names from the shared MIME-info database: the class of ".ext" is the MIME type
// whose glob is "*.ext", its description is that type's comment.

// The extension of a file name: the text from its last "." to the end, provided no "/"
// follows it; empty otherwise.
QString extensionOf(const QString& fileName);
// The type description of an extension (".txt"); see the rules in file_types.cpp.
QString extensionToType(const QString& extension);
// "*.*", then "*" + every known extension of at most four characters after the dot, sorted
// without regard to case.
QStringList listKnownExtensions();
