#pragma once

#include <QString>

class QWidget;

// Remembers where the person left a window: its normal rectangle and whether it was
// maximised or minimised, stored as ten numbers in a settings file.
class TWinPlace {
public:
    explicit TWinPlace(QWidget* owner);

    QString IniFileName; // default "WinPlace.INI"
    QString Section;     // default the program file's full path
    QString Identifier;  // default the owner's object name
    QString Delimiter = QStringLiteral(" ");

    // Stores the current placement (called when the window is destroyed).
    void savePlacement();
    // Applies the stored placement, if any (called at the end of showing the window).
    void restorePlacement();
    // The stored value ("" when none): windows read it at creation to decide on centring.
    QString storedValue() const;

private:
    QWidget* owner_;
};

// The placement of one of the program's windows, kept in "zelkova.ini" under `identifier`. A
// window that has no stored placement yet is centred on the screen. The window saves the
// placement and deletes it when it is destroyed.
TWinPlace* makeWinPlace(QWidget* window, const QString& identifier);
