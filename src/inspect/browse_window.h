#pragma once

#include <QString>

class QWidget;

// Opens the folder browser modally, as every opener does: the window is made, shown and
// destroyed when it closes. With `folder` given it opens at that exact folder (on the drive
// that holds it), with the file `fileName` of that folder selected and `mask` as its
// file-match pattern; an empty mask keeps "*.*".
void browseFolder(QWidget* parent, const QString& folder = {}, const QString& fileName = {},
                  const QString& mask = {});
