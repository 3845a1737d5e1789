#include "platform/native_path.h"

#include <gtest/gtest.h>

TEST(NativePath, RoundTripsEveryByteSequence) {
    const QByteArray samples[] = {
        "plain.txt",
        "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80",    // valid UTF-8 up to four bytes
        "bad\xff\xfe name\x80",                         // bytes that never decode
        "truncated \xe2\x82",                           // a sequence cut short
        "overlong \xc0\xaf and surrogate \xed\xa0\x80", // forbidden encodings
        "tab\there\nnewline \x01",
    };
    for (const QByteArray& bytes : samples)
        EXPECT_EQ(toNative(fromNative(bytes)), bytes) << bytes.toHex().constData();
}

TEST(NativePath, DecodesValidUtf8AsText) {
    EXPECT_EQ(fromNative(QByteArray("caf\xc3\xa9")), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_EQ(fromNative(QByteArray("\xf0\x9f\x98\x80")).size(), 2); // a surrogate pair
    EXPECT_EQ(fromNative(QByteArray("a\xff")), QString::fromUtf16(u"a\xdcff"));
}

TEST(NativePath, EscapesSeparatorsAndUndecodableBytesForLines) {
    EXPECT_EQ(escapeForLine(QStringLiteral("a\tb\nc\\d")), QStringLiteral("a\\tb\\nc\\\\d"));
    EXPECT_EQ(escapeForLine(fromNative(QByteArray("x\xff"))), QStringLiteral("x\\xff"));
    EXPECT_EQ(escapeForLine(QStringLiteral("caf\u00e9")), QStringLiteral("caf\u00e9"));
}
