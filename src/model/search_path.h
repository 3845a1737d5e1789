#pragma once

#include <QString>

// The marker that record builders append to a folder on the search path.
inline const QString kSearchPathMarker = QStringLiteral("*(SEARCHPATH)*");

// `text` with every occurrence of the search-path marker removed.
QString stripSearchPathMarker(const QString& text);
// folder + "/" (unless the folder already ends with "/") + name.
QString joinFolderAndName(const QString& folder, const QString& name);
// The path of a duplicates row from its "Folder" and "Filename" cells: the marker removed
// from the folder, the padding blanks removed from the name. Blanks that end a real name
// cannot be told from padding here, so a window that keeps records should build the path
// from them instead.
QString pathFromFolderAndName(const QString& folderCell, const QString& nameCell);
