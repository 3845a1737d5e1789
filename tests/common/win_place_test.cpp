#include "common/win_place.h"

#include "common/profile.h"
#include "platform/program_path.h"
#include "support/scripted_ui.h"
#include "support/temp_tree.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
class WinPlaceTest : public ::testing::Test {
protected:
    TWinPlace placeFor(QWidget& w) {
        TWinPlace p(&w);
        p.IniFileName = ini;
        p.Section = QStringLiteral("frmDups");
        p.Identifier = QStringLiteral("frmMods");
        return p;
    }
    QString stored() const {
        return Profile(ini).readString(QStringLiteral("frmDups"), QStringLiteral("frmMods"), {});
    }
    void store(const QString& value) {
        Profile(ini).writeString(QStringLiteral("frmDups"), QStringLiteral("frmMods"), value);
    }
    // A shown window at a known normal rectangle.
    static void showAt(QWidget& w, const QRect& r) {
        w.setGeometry(r);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        ASSERT_EQ(w.geometry(), r);
    }

    TempTree tree;
    QString ini = tree.path() + QStringLiteral("/zelkova.ini");
};
} // namespace

TEST_F(WinPlaceTest, DefaultsAndIdentifierTakenWhenUsed) {
    QWidget w;
    TWinPlace p(&w);
    EXPECT_EQ(p.IniFileName, QStringLiteral("WinPlace.INI"));
    EXPECT_EQ(p.Section, programFilePath());
    EXPECT_EQ(p.Delimiter, QStringLiteral(" "));
    EXPECT_TRUE(p.Identifier.isEmpty());

    // The window names itself after making its placement component.
    w.setObjectName(QStringLiteral("frmView"));
    p.IniFileName = ini;
    showAt(w, QRect(40, 50, 200, 100));
    p.savePlacement();
    // Ten numbers each followed by the delimiter; reading trims the last blank as the profile
    // format does with every value.
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("]\nfrmView=0 1 -1 -1 -1 -1 40 50 240 150 \n"));
    EXPECT_EQ(Profile(ini).readString(programFilePath(), QStringLiteral("frmView"), {}),
              QStringLiteral("0 1 -1 -1 -1 -1 40 50 240 150"));
    EXPECT_EQ(p.storedValue(), QStringLiteral("0 1 -1 -1 -1 -1 40 50 240 150"));
}

TEST_F(WinPlaceTest, NormalRoundTripIsExact) {
    {
        QWidget w;
        showAt(w, QRect(120, 130, 300, 200));
        placeFor(w).savePlacement();
    }
    EXPECT_EQ(stored(), QStringLiteral("0 1 -1 -1 -1 -1 120 130 420 330"));

    QWidget again;
    showAt(again, QRect(10, 10, 50, 50));
    placeFor(again).restorePlacement();
    EXPECT_EQ(again.geometry(), QRect(120, 130, 300, 200));
    EXPECT_FALSE(again.isMaximized());

    // Saved again unchanged: the frame never creeps.
    placeFor(again).savePlacement();
    EXPECT_EQ(stored(), QStringLiteral("0 1 -1 -1 -1 -1 120 130 420 330"));
}

TEST_F(WinPlaceTest, MaximisedWindowReopensMaximisedAndUnmaximisesToItsNormalRectangle) {
    const QRect normal(100, 110, 320, 240);
    {
        QWidget w;
        showAt(w, normal);
        w.showMaximized();
        QTRY_VERIFY(w.isMaximized());
        w.hide(); // the window is saved as it is destroyed, after closing
        placeFor(w).savePlacement();
    }
    const QStringList fields = stored().split(u' ');
    ASSERT_EQ(fields.size(), 10);
    EXPECT_EQ(fields[1], QStringLiteral("3"));
    EXPECT_EQ(fields.mid(6, 4).join(u' '), QStringLiteral("100 110 420 350"));

    QWidget again;
    showAt(again, QRect(10, 10, 50, 50));
    placeFor(again).restorePlacement();
    QTRY_VERIFY(again.isMaximized());
    EXPECT_EQ(again.normalGeometry(), normal);
    again.showNormal();
    QTRY_COMPARE(again.geometry(), normal);

    // A window not shown yet takes the state and shows it when shown.
    QWidget later;
    placeFor(later).restorePlacement();
    later.show();
    QTRY_VERIFY(later.isMaximized());
    EXPECT_EQ(later.normalGeometry(), normal);
}

TEST_F(WinPlaceTest, EmptyOrMalformedValues) {
    QWidget w;
    const QRect start(30, 40, 150, 120);
    showAt(w, start);
    auto restored = [&](const QString& value) {
        w.setGeometry(start);
        store(value);
        placeFor(w).restorePlacement();
        return w.geometry();
    };

    EXPECT_EQ(restored(QString()), start);
    EXPECT_EQ(restored(QStringLiteral("0 1 -1 -1 -1 -1 200 20 200 300 ")), start); // right = left
    EXPECT_EQ(restored(QStringLiteral("0 1 -1 -1 -1 -1 200 20 100 300 ")), start); // right < left
    EXPECT_EQ(restored(QStringLiteral("0 1 -1 -1 -1 -1 10 20 abc 300 ")), start);  // right -> 0
    // Malformed fields default and the rest is applied; the last number needs no delimiter.
    EXPECT_EQ(restored(QStringLiteral("x y z -1 -1 -1 10 20 210 170")), QRect(10, 20, 200, 150));
    EXPECT_FALSE(w.isMaximized());
    // Garbage around a sound rectangle, numbers too large for 32 bits default to 0.
    EXPECT_EQ(restored(QStringLiteral("0 1 99999999999 -1 -1 -1 0 5 60 45 trailing junk")),
              QRect(0, 5, 60, 40));
}

TEST_F(WinPlaceTest, PlacementOffEveryScreenIsBroughtBack) {
    QWidget w;
    showAt(w, QRect(30, 40, 150, 120));
    store(QStringLiteral("0 1 -1 -1 -1 -1 -2147483648 -2147483648 -2147483000 -2147483000 "));
    placeFor(w).restorePlacement();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(area.intersects(w.geometry()));
    EXPECT_EQ(w.geometry().size(), QSize(648, 648));
}

TEST_F(WinPlaceTest, NothingIsSavedForAWindowNeverShownOrWhenTheWriteIsRefused) {
    {
        QWidget never;
        placeFor(never).savePlacement();
        EXPECT_EQ(stored(), QString());
    }

    tree.file("blocked");
    ScriptedUi seam;
    QWidget w;
    showAt(w, QRect(30, 40, 150, 120));
    TWinPlace p = placeFor(w);
    p.IniFileName = tree.path() + QStringLiteral("/blocked/zelkova.ini");
    p.savePlacement(); // must not throw: windows call it as they are destroyed
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].kind, MessageKind::Error);
    EXPECT_EQ(seam.lastMessage(), QStringLiteral("Unable to write to ") + p.IniFileName);
}
