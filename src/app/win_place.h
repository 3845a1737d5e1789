#pragma once

#include <QString>

class QWidget;

// Remembers where the person left a window: its normal rectangle and whether it was
// maximised or minimised, stored as ten numbers in a settings file.
//
// The ten numbers, each followed by `Delimiter`: flags (2 when a minimised window restores
// to maximised), show state (1 normal, 2 minimised, 3 maximised), minimised x and y (-1: not
// used), maximised x and y (where the maximised window sits, -1 when it is not maximised),
// and the normal rectangle's left, top, right and bottom, right and bottom exclusive
// (right = left + width). The rectangle is the window's client area in screen pixels, so
// storing and restoring it is exact on every window system.
class TWinPlace {
public:
    // The window's code sets the properties after construction. Section starts as the
    // program file's full path, Identifier as the owner's object name.
    explicit TWinPlace(QWidget* owner);

    QString IniFileName; // default "WinPlace.INI"
    QString Section;     // default the program file's full path
    QString Identifier;  // default the owner's object name (taken when used, if still empty)
    QString Delimiter = QStringLiteral(" ");

    // Stores the current placement (called when the window is destroyed). Nothing is stored
    // when the window has no placement yet (never shown). A refused write is shown through the
    // application's general error report; it never throws, so it is safe in a destructor.
    void savePlacement();
    // Applies the stored placement, if any (called at the end of showing the window).
    void restorePlacement();
    // The stored value ("" when none): windows read it at creation to decide on centring.
    QString storedValue() const;

private:
    QString identifier() const;

    QWidget* owner_;
};
