#pragma once

#include <QString>

class QWidget;

// Opens the file viewer on `fileName` modally, as every opener does: the window is made,
// shown and destroyed when it closes.
void viewFile(const QString& fileName, QWidget* parent = nullptr);
