#pragma once

#include <QString>
#include <QStringList>

// File type names from the shared MIME-info database: the class of ".ext" is the MIME type
// whose glob is "*.ext" (spelt so, or differing only in case where the glob allows it; the
// heaviest when several claim it), its description is that type's comment. The database is
// read once per process.

// The extension of a file name: the text from its last "." to the end, provided no "/"
// follows it; empty otherwise.
QString extensionOf(const QString& fileName);
// The type name of an extension with its dot (".txt"): the type's description, else its class
// name; for an extension the database does not know, the extension without its dot in upper
// case followed by " File" (".xyz" gives "XYZ File"); for "" or a text holding "*", "".
QString extensionToType(const QString& extension);
// The type shown for a symbolic link: "link to " and its target, a control character or an
// undecodable byte in it escaped (platform/native_path.h); "link" when the target is unknown.
QString linkTypeText(const QString& target);
// "*.*", then "*" + every known extension of one to four characters after the dot, each once,
// sorted without regard to case.
QStringList listKnownExtensions();
