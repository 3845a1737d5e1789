#include "widgets/number_field.h"

#include "support/scripted_ui.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

bool showsRed(const TNumberField& f) {
    return f.editor()->palette().color(QPalette::Base) == QColor(Qt::red) &&
           f.editor()->palette().color(QPalette::Text) == QColor(Qt::black);
}

void retype(TNumberField& f, const QString& text) {
    f.editor()->selectAll();
    QTest::keyClick(f.editor(), Qt::Key_Delete);
    QTest::keyClicks(f.editor(), text);
}

} // namespace

TEST(NumberField, TypingShowsRedWhileWrongAndKeepsTheLastGoodNumber) {
    TNumberField f;
    f.setValue(250);
    EXPECT_EQ(f.editor()->text(), "250");
    EXPECT_FALSE(showsRed(f));

    retype(f, "12x");
    EXPECT_FALSE(f.isValid());
    EXPECT_TRUE(showsRed(f));
    EXPECT_EQ(f.value(), 12);

    QTest::keyClick(f.editor(), Qt::Key_Backspace);
    EXPECT_TRUE(f.isValid());
    EXPECT_FALSE(showsRed(f));
    EXPECT_EQ(f.value(), 12);

    for (const char* wrong : {"", "20000", "-1", "1 2", "+5", "abc"}) {
        retype(f, "77");
        retype(f, QString::fromLatin1(wrong));
        EXPECT_FALSE(f.isValid()) << wrong;
        EXPECT_TRUE(showsRed(f)) << wrong;
    }
    retype(f, "10000");
    EXPECT_TRUE(f.isValid());
    EXPECT_EQ(f.value(), 10000);
    retype(f, "0");
    EXPECT_TRUE(f.isValid());
    EXPECT_EQ(f.value(), 0);
}

TEST(NumberField, SetValueAndRangeKeepTheNumberInside) {
    TNumberField f;
    QSignalSpy changed(&f, &TNumberField::valueChanged);
    f.setValue(20000);
    EXPECT_EQ(f.value(), 10000);
    f.setValue(-3);
    EXPECT_EQ(f.value(), 0);
    EXPECT_EQ(changed.count(), 2);
    f.setValue(0);
    EXPECT_EQ(changed.count(), 2);

    f.setRange(10, 50);
    EXPECT_EQ(f.value(), 10);
    retype(f, "9");
    EXPECT_FALSE(f.isValid());
    retype(f, "51");
    EXPECT_FALSE(f.isValid());
    retype(f, "50");
    EXPECT_TRUE(f.isValid());
    EXPECT_EQ(f.value(), 50);
    // A refused text is replaced by the set number.
    retype(f, "zz");
    f.setValue(20);
    EXPECT_EQ(f.editor()->text(), "20");
    EXPECT_FALSE(showsRed(f));
}

TEST(NumberField, SpinStepsByOneAndStopsAtTheEnds) {
    TNumberField f;
    QSignalSpy released(&f, &TNumberField::spinReleased);
    f.setValue(9999);
    QTest::mouseClick(f.upButton(), Qt::LeftButton);
    EXPECT_EQ(f.value(), 10000);
    QTest::mouseClick(f.upButton(), Qt::LeftButton);
    EXPECT_EQ(f.value(), 10000); // no wrap to 0
    EXPECT_EQ(f.editor()->text(), "10000");
    EXPECT_EQ(released.count(), 2);

    f.setValue(1);
    QTest::mouseClick(f.downButton(), Qt::LeftButton);
    QTest::mouseClick(f.downButton(), Qt::LeftButton);
    EXPECT_EQ(f.value(), 0); // no wrap to 10000
    EXPECT_EQ(released.count(), 4);

    // A click without the mouse (keyboard, screen reader) reports once too.
    f.upButton()->click();
    EXPECT_EQ(f.value(), 1);
    EXPECT_EQ(released.count(), 5);

    // Spinning from a wrong text starts from the last good number and clears the red.
    retype(f, "40");
    retype(f, "4x");
    QTest::mouseClick(f.upButton(), Qt::LeftButton);
    EXPECT_EQ(f.value(), 5);
    EXPECT_TRUE(f.isValid());
    EXPECT_FALSE(showsRed(f));

    QTest::keyClick(f.editor(), Qt::Key_Up);
    EXPECT_EQ(f.value(), 6);
    QTest::keyClick(f.editor(), Qt::Key_Down);
    QTest::keyClick(f.editor(), Qt::Key_Down);
    EXPECT_EQ(f.value(), 4);
}

TEST(NumberField, LeavingTheFieldReportsAndRefusesAWrongText) {
    ScriptedUi scripted;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* f = new TNumberField(&window);
    auto* other = new QLineEdit(&window);
    layout->addWidget(f);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    f->setValue(250);
    QSignalSpy exited(f, &TNumberField::exited);

    f->setFocus(Qt::OtherFocusReason);
    retype(*f, "300");
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exited.count(), 1);
    EXPECT_EQ(f->value(), 300);
    EXPECT_TRUE(scripted.sounds.empty());

    // 2000 is passed on the way to 20000; leaving gives back the number held before.
    f->setFocus(Qt::OtherFocusReason);
    retype(*f, "20000");
    EXPECT_EQ(f->value(), 2000);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(exited.count(), 2);
    EXPECT_EQ(f->value(), 300);
    EXPECT_EQ(f->editor()->text(), "300");
    EXPECT_FALSE(showsRed(*f));
    EXPECT_EQ(scripted.sounds.size(), 1u);
}

TEST(NumberField, PartsCarryAccessibleNames) {
    TNumberField f;
    f.setAccessibleNames("Size in K");
    auto name = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(f.editor()), "Size in K");
    EXPECT_EQ(name(f.upButton()), "Increase Size in K");
    EXPECT_EQ(name(f.downButton()), "Decrease Size in K");
}
