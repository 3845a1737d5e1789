#pragma once

#include <QString>
#include <functional>

class QWidget;

// The windows a finder's rows hand a file to: the viewer, the details window and the folder
// browser. They live in a layer beside the finders, so the program hands them to each finder
// window it opens; an action with no opener (a window given none, as in tests) does nothing.
struct FileOpeners {
    // Shows the file at the exact `path`, modally.
    std::function<void(const QString& path, QWidget* parent)> view;
    std::function<void(const QString& path, QWidget* parent)> details;
    // Opens the browser at the exact `folder` with the file `name` of that folder selected and
    // `mask` as its file-match pattern, modally.
    std::function<void(QWidget* parent, const QString& folder, const QString& name,
                       const QString& mask)>
        browse;
};
