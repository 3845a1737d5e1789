#include "platform/file_types.h"
#include "platform/native_path.h"

#include <QMimeDatabase>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {
QString comment(const char* type) {
    return QMimeDatabase().mimeTypeForName(type).comment();
}
} // namespace

TEST(FileTypes, TakesTheExtensionAfterTheLastDot) {
    EXPECT_EQ(extensionOf("report.txt"), ".txt");
    EXPECT_EQ(extensionOf("archive.tar.gz"), ".gz");
    EXPECT_EQ(extensionOf(".bashrc"), ".bashrc");
    EXPECT_EQ(extensionOf("/a.d/b.C"), ".C");
    EXPECT_EQ(extensionOf("/a.d/noext"), "");
    EXPECT_EQ(extensionOf("noext"), "");
    EXPECT_EQ(extensionOf("trailing."), ".");
}

TEST(FileTypes, NamesTypesFromTheMimeDatabase) {
    ASSERT_FALSE(comment("text/plain").isEmpty());
    EXPECT_EQ(extensionToType(".txt"), comment("text/plain"));
    EXPECT_EQ(extensionToType(".TXT"), comment("text/plain")); // the glob ignores case
    // A case-sensitive glob is taken as spelt: ".C" and ".c" are different languages.
    EXPECT_EQ(extensionToType(".C"), comment("text/x-c++src"));
    EXPECT_EQ(extensionToType(".c"), comment("text/x-csrc"));
    // Several types claim "*.htm"; the heaviest claim wins.
    EXPECT_EQ(extensionToType(".htm"), comment("text/html"));
    EXPECT_NE(extensionToType(".bak"), "BAK File");
    EXPECT_FALSE(extensionToType(".bak").isEmpty());
}

TEST(FileTypes, UnknownExtensionsAndPatterns) {
    EXPECT_EQ(extensionToType(".xyzq"), "XYZQ File");
    EXPECT_EQ(extensionToType(".Xy1"), "XY1 File");
    EXPECT_EQ(extensionToType(""), "");
    EXPECT_EQ(extensionToType("*.bak"), "");
    EXPECT_EQ(extensionToType("*.xyzq"), "");
    EXPECT_EQ(extensionToType(".xyzq"), "XYZQ File"); // the same again, from the cache
    // Undecodable bytes of the extension stay as they are.
    EXPECT_EQ(toNative(extensionToType(fromNative(QByteArray(".q\xff")))),
              QByteArray("Q\xff File"));
}

TEST(FileTypes, ListsShortKnownExtensionsSortedOnce) {
    const QStringList list = listKnownExtensions();
    ASSERT_GT(list.size(), 100);
    EXPECT_EQ(list.front(), "*.*");
    EXPECT_TRUE(list.contains("*.htm"));
    EXPECT_TRUE(list.contains("*.txt"));
    EXPECT_TRUE(list.contains("*.c"));
    EXPECT_FALSE(list.contains("*.C")); // the same pattern without regard to case
    // Four characters after the dot are offered, five are not.
    EXPECT_TRUE(list.contains("*.html"));
    EXPECT_FALSE(list.contains("*.xhtml"));

    const QRegularExpression shape(QStringLiteral("^\\*\\.[^.*?\\[\\]]{1,4}$"));
    QSet<QString> seen;
    for (qsizetype i = 1; i < list.size(); ++i) {
        EXPECT_TRUE(shape.match(list[i]).hasMatch()) << list[i].toStdString();
        EXPECT_FALSE(seen.contains(list[i].toLower())) << list[i].toStdString();
        seen.insert(list[i].toLower());
        if (i > 1) {
            EXPECT_LE(list[i - 1].compare(list[i], Qt::CaseInsensitive), 0)
                << list[i - 1].toStdString() << " " << list[i].toStdString();
        }
    }
}
