#include "common/fit_text.h"

#include <QApplication>
#include <QFontMetrics>
#include <gtest/gtest.h>

// A shortened text shows where it was cut, keeps the ends its mode keeps and fits its room; a
// text that fits comes back whole. Texts far longer than could show (a path of 250 KB), made
// of letters without width, or of letters outside the basic plane are cut the same way.
TEST(ElideText, ShowsWhereItCutKeepsItsEndsAndFits) {
    const QFontMetrics fm(QApplication::font());
    const QChar ellipsis(0x2026);
    QString deep;
    for (int level = 0; level < 1000; ++level)
        deep += u'/' + QString(249, QChar(u'a' + level % 26)) + u'x';
    const QString accents = u'a' + QString(3000, QChar(0x0301)) + u'z';
    QString faces;
    for (int i = 0; i < 1000; ++i)
        faces += QString::fromUcs4(U"\U0001F600");
    const struct {
        QString text;
        Qt::TextElideMode mode;
        int room;
    } cases[] = {
        {"readonly.txt", Qt::ElideRight, 400},
        {"/home/zkuser/projects/alpha/src", Qt::ElideMiddle, 400},
        {"a_rather_long_file_name_that_goes_on.txt", Qt::ElideRight, 60},
        {"/home/zkuser/projects/alpha/src", Qt::ElideMiddle, 90},
        {"/home/zkuser/projects/beta/src", Qt::ElideMiddle, 90},
        {deep, Qt::ElideMiddle, 300},
        {deep, Qt::ElideRight, 300},
        {deep, Qt::ElideLeft, 300},
        {accents, Qt::ElideRight, 200},
        {accents, Qt::ElideMiddle, 200},
        {faces, Qt::ElideRight, 100},
    };
    for (const auto& c : cases) {
        const QString out = elideText(c.text, c.mode, fm, c.room);
        const std::string what = c.text.left(40).toStdString() + " " + std::to_string(c.mode);
        if (c.text.size() < 100 && fm.horizontalAdvance(c.text) <= c.room) {
            EXPECT_EQ(out, c.text) << what;
            continue;
        }
        EXPECT_LE(fm.horizontalAdvance(out), c.room) << what;
        EXPECT_LT(out.size(), 4000) << what;
        EXPECT_TRUE(out.isValidUtf16()) << what;
        ASSERT_EQ(out.count(ellipsis), 1) << what << " " << out.toStdString();
        const qsizetype at = out.indexOf(ellipsis);
        EXPECT_TRUE(c.text.startsWith(out.left(at))) << what;
        EXPECT_TRUE(c.text.endsWith(out.mid(at + 1))) << what;
        if (c.mode == Qt::ElideMiddle) {
            EXPECT_GT(at, 0) << what;
            EXPECT_LT(at, out.size() - 1) << what;
        }
    }
    // Two paths alike but for a middle folder still read apart by their ends.
    EXPECT_NE(elideText("/home/zkuser/projects/alpha/src/lib", Qt::ElideMiddle, fm, 120),
              elideText("/home/zkuser/projects/alpha/doc/lib", Qt::ElideMiddle, fm, 120));
}
