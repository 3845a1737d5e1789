#include "inspect/dropped_file.h"
#include "inspect/print_lines.h"
#include "platform/native_path.h"

#include <gtest/gtest.h>

TEST(SelectionPrintLine, BlanksBeforeTheStartAndCutsAtTheEnd) {
    const QString line = QStringLiteral("0123456789abcdef");
    const LineSpan one{2, 4, 2, 10};
    EXPECT_EQ(selectionPrintLine(line, 2, one), QStringLiteral("    456789"));

    const LineSpan several{2, 4, 5, 3};
    EXPECT_EQ(selectionPrintLine(line, 2, several), QStringLiteral("    456789abcdef"));
    EXPECT_EQ(selectionPrintLine(line, 3, several), line);
    EXPECT_EQ(selectionPrintLine(line, 5, several), QStringLiteral("012"));
    // A start column past a short line blanks what there is.
    EXPECT_EQ(selectionPrintLine(QStringLiteral("ab"), 2, several), QStringLiteral("  "));
}

TEST(DroppedFilePath, DecodesTheFirstLocalFileToItsExactBytes) {
    const QByteArray longName(200, 'n');
    const struct {
        QByteArray list;
        QByteArray path; // "" when the drop names no local file
    } cases[] = {
        {"file:///tmp/a%20b.txt\r\n", "/tmp/a b.txt"},
        {"file:///tmp/line%0Abreak\r\n", "/tmp/line\nbreak"},
        {"file:///tmp/caf%E9%FF\r\n", "/tmp/caf\xE9\xFF"},
        {"file:///tmp/" + longName + "\r\n", "/tmp/" + longName},
        {"file:///first\r\nfile:///second\r\n", "/first"},
        {"# a comment\r\nfile://localhost/here%23and%3Fthere\r\n", "/here#and?there"},
        {"http://example.org/page\r\n", ""},
        {"http://example.org/page\r\nfile:///local\r\n", "/local"},
        {"file://elsewhere/remote\r\n", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const QString path = droppedFilePath(c.list);
        EXPECT_EQ(toNative(path), c.path) << c.list.toStdString();
    }
}
