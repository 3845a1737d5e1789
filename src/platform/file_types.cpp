#include "platform/file_types.h"

#include "platform/native_path.h"

#include <QFile>
#include <QHash>
#include <QMimeDatabase>
#include <QMutex>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>
#include <vector>

// The MIME database's glob index ("globs2" in each mime folder, the shared MIME-info
// database's own list of weight:type:glob[:flags] lines) is read once per process: asking
// QMimeDatabase for every type's patterns loads each type's description file and takes the
// better part of a second, while the index reads in a millisecond. Descriptions come from
// QMimeDatabase. The database is read only, so caching it for the run changes no result.

namespace {
struct GlobType {
    int weight = 50;
    QString type;
    bool caseSensitive = false;
};

struct GlobIndex {
    // Extension with its dot (".txt", as spelt in the glob) -> types claiming "*" + it, in
    // the order of the index files (heaviest first there).
    QHash<QString, std::vector<GlobType>> byExtension;
    QStringList known; // for listKnownExtensions, finished
};

bool isPlainExtension(QStringView ext) {
    // ".xyz": one dot, then no further dot and no wildcard.
    if (ext.size() < 2 || ext[0] != u'.')
        return false;
    for (qsizetype i = 1; i < ext.size(); ++i) {
        const QChar c = ext[i];
        if (c == u'.' || c == u'*' || c == u'?' || c == u'[' || c == u']')
            return false;
    }
    return true;
}

void readGlobFile(const QString& path, bool weighted, QSet<QString>& hiddenTypes,
                  GlobIndex& index) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QSet<QString> noGlobsHere;
    std::vector<std::pair<QString, GlobType>> entries;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> parts = line.split(':');
        GlobType g;
        QString glob;
        if (weighted) { // weight:type:glob[:flags[:...]]
            if (parts.size() < 3)
                continue;
            g.weight = parts[0].toInt();
            g.type = QString::fromUtf8(parts[1]);
            glob = QString::fromUtf8(parts[2]);
            g.caseSensitive = parts.size() > 3 && parts[3].split(',').contains("cs");
        } else { // type:glob
            if (parts.size() < 2)
                continue;
            g.type = QString::fromUtf8(parts[0]);
            glob = QString::fromUtf8(parts[1]);
        }
        if (glob == u"__NOGLOBS__") {
            noGlobsHere.insert(g.type);
            continue;
        }
        if (hiddenTypes.contains(g.type) || !glob.startsWith(u"*."))
            continue;
        const QString ext = glob.mid(1);
        if (isPlainExtension(ext))
            entries.emplace_back(ext, std::move(g));
    }
    for (auto& [ext, g] : entries)
        index.byExtension[ext].push_back(std::move(g));
    // "__NOGLOBS__" in a folder of higher priority drops a type's globs from the folders below;
    // otherwise the folders' globs add up.
    hiddenTypes.unite(noGlobsHere);
}

GlobIndex buildIndex() {
    GlobIndex index;
    QSet<QString> hiddenTypes;
    // Highest priority first: $XDG_DATA_HOME/mime, then each of $XDG_DATA_DIRS.
    const QStringList folders =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("mime"),
                                  QStandardPaths::LocateDirectory);
    for (const QString& folder : folders) {
        if (QFile::exists(folder + QStringLiteral("/globs2")))
            readGlobFile(folder + QStringLiteral("/globs2"), true, hiddenTypes, index);
        else
            readGlobFile(folder + QStringLiteral("/globs"), false, hiddenTypes, index);
    }
    // Heaviest claim first; equal weights keep the index's order.
    for (auto& list : index.byExtension)
        std::stable_sort(list.begin(), list.end(),
                         [](const GlobType& a, const GlobType& b) { return a.weight > b.weight; });

    // Known extensions: up to four characters after the dot, once each without regard to case
    // (the lower-case spelling kept where both exist), sorted without regard to case.
    QHash<QString, QString> byFolded;
    for (auto it = index.byExtension.cbegin(); it != index.byExtension.cend(); ++it) {
        const QString& ext = it.key();
        if (ext.size() > 5)
            continue;
        const QString folded = ext.toLower();
        auto found = byFolded.find(folded);
        if (found == byFolded.end())
            byFolded.insert(folded, ext);
        else if (ext == folded || (found.value() != folded && ext < found.value()))
            found.value() = ext;
    }
    QStringList list;
    for (const QString& ext : std::as_const(byFolded))
        list << QStringLiteral("*") + ext;
    std::sort(list.begin(), list.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    index.known = QStringList{QStringLiteral("*.*")} + list;
    return index;
}

const GlobIndex& globIndex() {
    static const GlobIndex index = buildIndex();
    return index;
}

// The MIME type whose glob is "*" + `extension`: a glob spelt exactly so first, then one that
// differs only in case and is not marked case-sensitive.
QString classOf(const QString& extension) {
    const GlobIndex& index = globIndex();
    auto exact = index.byExtension.constFind(extension);
    if (exact != index.byExtension.cend() && !exact->empty())
        return exact->front().type;
    const QString folded = changeCase(extension, LetterCase::Lower);
    auto loose = index.byExtension.constFind(folded);
    if (loose != index.byExtension.cend()) {
        for (const GlobType& g : *loose) {
            if (!g.caseSensitive)
                return g.type;
        }
    }
    return QString();
}

QString lookUp(const QString& extension) {
    QString className;
    if (extension.startsWith(u'.') && !extension.contains(u'*'))
        className = classOf(extension);
    QString description;
    if (!className.isEmpty())
        description = QMimeDatabase().mimeTypeForName(className).comment();
    if (!description.isEmpty())
        return description;
    if (!className.isEmpty())
        return className;
    // Unknown: ".xyz" is "XYZ File"; the empty extension and patterns name nothing.
    if (!extension.isEmpty() && !extension.contains(u'*'))
        return changeCase(extension.mid(1), LetterCase::Upper) + QStringLiteral(" File");
    return QString();
}
} // namespace

QString linkTypeText(const QString& target) {
    return target.isEmpty() ? QStringLiteral("link")
                            : QStringLiteral("link to ") + escapeForLine(target);
}

QString extensionOf(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || fileName.indexOf(u'/', dot) >= 0)
        return QString();
    return fileName.mid(dot);
}

QString extensionToType(const QString& extension) {
    static QMutex mutex;
    static QHash<QString, QString> cache;
    QMutexLocker lock(&mutex);
    auto it = cache.constFind(extension);
    if (it != cache.cend())
        return it.value();
    const QString type = lookUp(extension);
    cache.insert(extension, type);
    return type;
}

QStringList listKnownExtensions() {
    return globIndex().known;
}
