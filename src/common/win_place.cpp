#include "common/win_place.h"

// The stored value is the ten numbers, each followed by `Delimiter`: flags (2 when a
// minimised window restores to maximised), show state (1 normal, 2 minimised, 3 maximised),
// minimised x and y (-1: not used), maximised x and y (where the maximised window sits, -1
// when it is not maximised), and the normal rectangle's left, top, right and bottom, right and
// bottom exclusive (right = left + width). The rectangle is the window's client area in
// screen pixels, so storing and restoring it is exact whatever frame the window system adds.
// Saving never throws (windows save as they are destroyed): a refused write goes to the
// application's general error report.

#include "common/application.h"
#include "common/profile.h"
#include "common/screen_centre.h"
#include "platform/program_path.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <array>

namespace {
enum Field { Flags, ShowState, MinX, MinY, MaxX, MaxY, Left, Top, Right, Bottom, FieldCount };
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
constexpr int kRestoreToMaximized = 2;
// Stored coordinates beyond any real desktop are brought into this range before use, so no
// arithmetic on them can overflow.
constexpr qint64 kCoordinateLimit = 1000000;

// Moves `rect` onto the nearest screen when no screen shows any of it (a monitor that was
// unplugged since the placement was stored).
QRect onAScreen(QRect rect) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens)
        if (screen->availableGeometry().intersects(rect))
            return rect;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return rect;
    const QRect area = primary->availableGeometry();
    rect.moveTopLeft(area.topLeft());
    return rect;
}

// The key: `Identifier`, or the owner's object name when the window named itself only after
// making its placement component.
QString keyOf(const TWinPlace& place, const QWidget* owner) {
    if (place.Identifier.isEmpty() && owner)
        return owner->objectName();
    return place.Identifier;
}
} // namespace

TWinPlace::TWinPlace(QWidget* owner)
    : IniFileName(QStringLiteral("WinPlace.INI")), Section(programFilePath()), owner_(owner) {
    if (owner_)
        Identifier = owner_->objectName();
}

TWinPlace* makeWinPlace(QWidget* window, const QString& identifier) {
    auto* place = new TWinPlace(window);
    place->IniFileName = QStringLiteral("zelkova.ini");
    place->Identifier = identifier;
    if (place->storedValue().isEmpty())
        centreOnScreen(window);
    return place;
}

QString TWinPlace::storedValue() const {
    return Profile(IniFileName).readString(Section, keyOf(*this, owner_), QString());
}

void TWinPlace::savePlacement() {
    // A window that was never shown has no placement of its own yet: stop silently.
    if (!owner_ || !owner_->isWindow() || !owner_->windowHandle())
        return;
    // The normal (restored) rectangle; for a maximised window Qt keeps the one it will
    // un-maximise to.
    const QRect normal = owner_->normalGeometry();
    if (!normal.isValid())
        return;

    std::array<qint64, FieldCount> v{};
    const Qt::WindowStates state = owner_->windowState();
    const bool maximized = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    v[Flags] = 0;
    v[ShowState] = kShowNormal;
    if (state & Qt::WindowMinimized) {
        v[ShowState] = kShowMinimized;
        if (maximized)
            v[Flags] = kRestoreToMaximized;
    } else if (maximized) {
        v[ShowState] = kShowMaximized;
    }
    v[MinX] = v[MinY] = -1;
    v[MaxX] = v[MaxY] = -1;
    if (v[ShowState] == kShowMaximized) {
        v[MaxX] = owner_->geometry().x();
        v[MaxY] = owner_->geometry().y();
    }
    v[Left] = normal.left();
    v[Top] = normal.top();
    v[Right] = qint64(normal.left()) + normal.width();
    v[Bottom] = qint64(normal.top()) + normal.height();

    QString text;
    for (const qint64 n : v)
        text += QString::number(n) + Delimiter;
    runReportingErrors([&] {
        Profile(IniFileName).writeString(Section, keyOf(*this, owner_), text);
        return true;
    });
}

void TWinPlace::restorePlacement() {
    if (!owner_)
        return;
    std::array<int, FieldCount> v{};
    v[ShowState] = kShowNormal;
    QString rest = storedValue();
    for (int i = 0; i < FieldCount; ++i) {
        const qsizetype at = Delimiter.isEmpty() ? -1 : rest.indexOf(Delimiter);
        QString number;
        if (at < 0) {
            number = rest;
            rest.clear();
        } else {
            number = rest.left(at);
            rest = rest.mid(at + Delimiter.size()).left(255);
        }
        bool ok = false;
        const int n = number.toInt(&ok);
        if (ok)
            v[i] = n;
    }
    if (v[Left] >= v[Right])
        return;

    auto clamp = [](qint64 n) { return int(qBound(-kCoordinateLimit, n, kCoordinateLimit)); };
    const int left = clamp(v[Left]);
    const int top = clamp(v[Top]);
    const int width = clamp(qint64(v[Right]) - v[Left]);
    const int height = qMax(0, clamp(qint64(v[Bottom]) - v[Top]));
    const QRect rect = onAScreen(QRect(left, top, width, height));

    // Back to the normal state first, so that the rectangle set is the normal one and a
    // later maximise keeps it for un-maximising.
    const Qt::WindowStates plain =
        owner_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    if (owner_->windowState() != plain)
        owner_->setWindowState(plain);
    owner_->setGeometry(rect);
    if (v[ShowState] == kShowMaximized)
        owner_->setWindowState(plain | Qt::WindowMaximized);
    else if (v[ShowState] == kShowMinimized)
        owner_->setWindowState(
            plain | Qt::WindowMinimized |
            ((v[Flags] & kRestoreToMaximized) ? Qt::WindowMaximized : Qt::WindowNoState));
}
