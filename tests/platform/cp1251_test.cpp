#include "platform/cp1251.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Cp1251, RussianTextRoundTripsByteForByte)
{
    const QString text = QStringLiteral("Обрыв связи с ЛОРИК! №5 «ё» °C");
    const QByteArray bytes = ToCp1251(text);
    EXPECT_EQ(bytes, QByteArray("\xCE\xE1\xF0\xFB\xE2 \xF1\xE2\xFF\xE7\xE8 \xF1 \xCB\xCE\xD0\xC8\xCA! \xB9"
                                "5 \xAB\xB8\xBB \xB0"
                                "C"));
    EXPECT_EQ(FromCp1251(bytes), text);
}

TEST(Cp1251, EveryByteDecodesAndReencodes)
{
    for (int b = 0; b < 256; ++b) {
        const char c = char(b);
        const QByteArray one(&c, 1);
        EXPECT_EQ(ToCp1251(FromCp1251(one)), one) << b;
    }
}

TEST(Cp1251, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(ToCp1251(QStringLiteral("a\u4e2db")), QByteArray("a?b"));
    EXPECT_EQ(ToCp1251(QString::fromUtf8("x\xF0\x9F\x98\x80y")), QByteArray("x?y"));
    EXPECT_EQ(FromCp1251(QByteArray("\x98")), QString(QChar(0x0098))); // unassigned, kept as it is
    EXPECT_EQ(Utf8ToCp1251("кПа"), std::string("\xEA\xCF\xE0"));
    EXPECT_EQ(Cp1251ToUtf8("\xEA\xCF\xE0"), std::string("кПа"));
}
