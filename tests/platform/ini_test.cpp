// INI files: what a line means, duplicates, damage counting, and look-ups that stay right after
// keys and sections are removed.
#include "platform/ini.h"

#include <QBuffer>
#include <gtest/gtest.h>

using namespace platform;

namespace {
IniFile Parsed(const QByteArray& text)
{
    IniFile ini;
    ini.ParseBytes(text);
    return ini;
}
QString S(const char* utf8)
{
    return QString::fromUtf8(utf8);
}
} // namespace

TEST(Ini, WhatEachLineMeans)
{
    struct Row {
        const char* name;
        QByteArray text;
        const char* section;
        const char* key;
        const char* value; // nullptr: no such key
        int unread;
    } rows[] = {
        {"plain", "[A]\r\nk=v\r\n", "A", "k", "v", 0},
        {"value kept untrimmed, key trimmed", "[A]\n  k  = v \n", "A", "k", " v ", 0},
        {"last duplicate wins", "[A]\nk=1\nk=2\n", "A", "k", "2", 0},
        {"sections merge", "[A]\nk=1\n[B]\nx=0\n[A]\nj=3\n", "A", "j", "3", 0},
        {"comment and blank", "; c\n\n[A]\nk=v\n", "A", "k", "v", 0},
        {"key before any section", "k=v\n[A]\n", "A", "k", nullptr, 1},
        {"line without '='", "[A]\ngarbage\nk=v\n", "A", "k", "v", 1},
        {"'=' first", "[A]\n=v\n", "A", "", nullptr, 1},
        {"NUL inside", QByteArray("[A]\nk=v\0w\n", 10), "A", "k", nullptr, 1},
        {"no final newline", "[A]\nk=v", "A", "k", "v", 0},
        {"Windows-1251", "[\xD0\xE0\xE7\xE4\xE5\xEB]\n\xEA\xEB\xFE\xF7=\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5\n",
         "Раздел", "ключ", "значение", 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const IniFile ini = Parsed(r.text);
        EXPECT_EQ(ini.UnreadLines(), r.unread);
        EXPECT_EQ(ini.HasKey(S(r.section), S(r.key)), r.value != nullptr);
        if (r.value) {
            EXPECT_EQ(ini.Value(S(r.section), S(r.key)), S(r.value));
        }
    }
    // a duplicate keeps its first place; merged sections keep theirs
    const IniFile ini = Parsed("[A]\na=1\nb=2\na=3\n[B]\n[A]\nc=4\n");
    EXPECT_EQ(ini.Keys(QStringLiteral("A")),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(ini.Sections(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

TEST(Ini, LookUpsStayRightAfterRemovals)
{
    IniFile ini;
    for (int s = 0; s < 3; ++s)
        for (int k = 0; k < 5; ++k)
            ini.SetInt(QStringLiteral("S%1").arg(s), QStringLiteral("k%1").arg(k), s * 10 + k);
    ini.RemoveKey(QStringLiteral("S1"), QStringLiteral("k1"));
    ini.RemoveKey(QStringLiteral("S1"), QStringLiteral("nope"));
    ini.EraseSection(QStringLiteral("S0"));
    EXPECT_EQ(ini.Sections(), (QStringList{QStringLiteral("S1"), QStringLiteral("S2")}));
    EXPECT_FALSE(ini.HasKey(QStringLiteral("S1"), QStringLiteral("k1")));
    EXPECT_EQ(ini.IntValue(QStringLiteral("S1"), QStringLiteral("k4"), -1), 14);
    EXPECT_EQ(ini.IntValue(QStringLiteral("S2"), QStringLiteral("k0"), -1), 20);
    ini.SetInt(QStringLiteral("S1"), QStringLiteral("k4"), 99); // replaces in place
    ini.SetInt(QStringLiteral("S1"), QStringLiteral("k1"), 11); // appended again
    EXPECT_EQ(ini.Keys(QStringLiteral("S1")),
              (QStringList{QStringLiteral("k0"), QStringLiteral("k2"), QStringLiteral("k3"),
                           QStringLiteral("k4"), QStringLiteral("k1")}));
    EXPECT_EQ(ini.IntValue(QStringLiteral("S1"), QStringLiteral("k4"), -1), 99);
    ini.SetInt(QStringLiteral("S0"), QStringLiteral("again"), 1);
    EXPECT_EQ(ini.Sections().last(), QStringLiteral("S0"));
    // and what is written reads back the same
    const IniFile back = Parsed(ini.Serialize());
    EXPECT_EQ(back.Sections(), ini.Sections());
    EXPECT_EQ(back.Keys(QStringLiteral("S1")), ini.Keys(QStringLiteral("S1")));
    EXPECT_EQ(back.UnreadLines(), 0);
}

TEST(Ini, ALargeFileReadsWhole)
{
    QByteArray text = "[Big]\r\n";
    for (int i = 0; i < 100000; ++i)
        text += "key" + QByteArray::number(i) + '=' + QByteArray::number(i * 7) + "\r\n";
    text += "[Tail]\r\nlast=1\r\n";
    const IniFile ini = Parsed(text);
    EXPECT_EQ(ini.Keys(QStringLiteral("Big")).size(), 100000);
    EXPECT_EQ(ini.IntValue(QStringLiteral("Big"), QStringLiteral("key99999"), -1), 699993);
    EXPECT_EQ(ini.IntValue(QStringLiteral("Tail"), QStringLiteral("last"), -1), 1);
    EXPECT_EQ(ini.UnreadLines(), 0);
}
