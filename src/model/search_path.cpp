#include "model/search_path.h"

QString stripSearchPathMarker(const QString& text) {
    QString out = text;
    out.remove(kSearchPathMarker);
    return out;
}

QString joinFolderAndName(const QString& folder, const QString& name) {
    if (folder.endsWith(u'/'))
        return folder + name;
    return folder + u'/' + name;
}

QString pathFromFolderAndName(const QString& folderCell, const QString& nameCell) {
    qsizetype end = nameCell.size();
    while (end > 0 && nameCell.at(end - 1) == u' ')
        --end;
    return joinFolderAndName(stripSearchPathMarker(folderCell), nameCell.left(end));
}
