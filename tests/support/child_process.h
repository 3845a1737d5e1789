#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Checks that root would pass regardless, or that need a private mount namespace, run in a
// forked child. The child's work returns a description of what went wrong ("" when all went
// well); it comes back through a pipe.
struct ChildResult {
    bool skipped = false; // the child could not set itself up (for example, no mounting)
    QString problems;     // "" when the work found nothing wrong
};

// Marks a result as skipped when returned by the child's work.
extern const QString kChildSkip;

// Runs `work` in a child that first drops to uid and gid 65534.
ChildResult runAsNobody(const std::function<QString()>& work);
// Runs `work` in a child with a private mount namespace of its own.
ChildResult runInMountNamespace(const std::function<QString()>& work);

// Where a file sent to the trash ended up: the path inside $XDG_DATA_HOME/Trash/files of the
// entry whose .trashinfo names `originalPath`; empty when none does.
QByteArray trashedAs(const QByteArray& originalPath);
// Removes that entry and its .trashinfo from the trash again.
void forgetTrashed(const QByteArray& originalPath);
// $XDG_DATA_HOME/Trash
QByteArray trashFolder();
