// The code page's table against Qt's own converter for it, on the Qt builds that have one.

#include "link/Cp1251.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace rt570 {
namespace {

constexpr char kName[] = "windows-1251";

bool qtHasTheCodePage() {
    return QStringDecoder(kName).isValid() && QStringEncoder(kName).isValid();
}

TEST(Cp1251, TableAgreesWithQtsConverterOnEveryByte) {
    if (!qtHasTheCodePage())
        GTEST_SKIP() << "this Qt build has no converter for the code page";
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        all += byte;
        QStringDecoder decoder(kName);
        const QString character = decoder.decode(byte);
        ASSERT_FALSE(decoder.hasError()) << b;
        EXPECT_EQ(cp1251::decodeWithTable(byte), character) << b;
        bool unmappable = true;
        EXPECT_EQ(cp1251::encodeWithTable(character, &unmappable), byte) << b;
        EXPECT_FALSE(unmappable) << b;
    }
    // The same in one piece, and through the converter that encode() and decode() pick.
    const QString text = cp1251::decodeWithTable(all);
    EXPECT_EQ(cp1251::decode(all), text);
    EXPECT_EQ(cp1251::encode(text), all);
    EXPECT_EQ(cp1251::encodeWithTable(text), all);
}

TEST(Cp1251, EachCharacterOutsideTheCodePageBecomesOneQuestionMark) {
    const QString loneHigh = QString(QChar(0xD800)) + QLatin1Char('x');
    const QString loneLow = QString(QChar(0xDC00));
    const struct {
        QString text;
        QByteArray bytes;
    } cases[] = {
        {QStringLiteral("a\u4e2dб"), "a?\xE1"},
        {QString::fromUtf8("\U0001F600c"), "?c"}, // one character of two UTF-16 units
        {QStringLiteral("\u0101\uFFFD"), "??"},
        {loneHigh, "?x"},
        {loneLow, "?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.toStdString());
        bool unmappable = false;
        EXPECT_EQ(cp1251::encodeWithTable(c.text, &unmappable), c.bytes);
        EXPECT_TRUE(unmappable);
        unmappable = false;
        EXPECT_EQ(cp1251::encode(c.text, &unmappable), c.bytes);
        EXPECT_TRUE(unmappable);
        if (qtHasTheCodePage()) {
            // Qt's converter refuses the same characters, one substitute byte for each.
            QStringEncoder encoder(kName);
            QByteArray substituted = encoder.encode(c.text);
            EXPECT_TRUE(encoder.hasError());
            EXPECT_EQ(substituted.replace('\x1A', '?'), c.bytes);
        }
    }
}

} // namespace
} // namespace rt570
