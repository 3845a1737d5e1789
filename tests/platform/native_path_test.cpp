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

TEST(NativePath, ChangingCaseKeepsUndecodableBytes) {
    struct Case {
        QByteArray name;
        LetterCase to;
        QByteArray expected;
    };
    const Case cases[] = {
        {"x\xff.dat", LetterCase::Upper, "X\xff.DAT"},
        {"X\xfe.DAT", LetterCase::Lower, "x\xfe.dat"},
        {"\xff\xfe", LetterCase::Upper, "\xff\xfe"},
        {"a\xff-b\xfe-c", LetterCase::Upper, "A\xff-B\xfe-C"},
        // A character beyond the first plane is a surrogate pair whose low half lies among
        // the stand-ins' code points; it stays one character.
        {"a\xf0\x90\x82\x80\xff", LetterCase::Upper, "A\xf0\x90\x82\x80\xff"},
        {"stra\xc3\x9f"
         "e\x80",
         LetterCase::Upper, "STRASSE\x80"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toNative(changeCase(fromNative(c.name), c.to)), c.expected)
            << c.name.toHex().constData();
}
