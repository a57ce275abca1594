#include "gsm/NodeListReader.h"
#include "link/Cp1251.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rt570 {
namespace {

// The node list as the operator's editor saves it: Windows-1251 bytes.
QByteArray cp1251(const QString& text) {
    return cp1251::encode(text);
}

NodeDirectory parse(const char* utf8) {
    return parseNodeList(cp1251(QString::fromUtf8(utf8)));
}

TEST(NodeListFile, ReadsTheShippedExample) {
    const NodeDirectory nodes = LoadNodeDirectory(QStringLiteral(RT570_TEST_DATA "/gsm_csd.ini"));
    ASSERT_EQ(nodes.loaded, 3);
    EXPECT_EQ(nodes.entries[1].phone, "ATD+79161234567");
    EXPECT_EQ(nodes.entries[1].name, QStringLiteral("Котельная №1"));
    // A ";" inside a value is ordinary text.
    EXPECT_EQ(nodes.entries[2].name, QStringLiteral("ЦТП ул. Ленина; ввод 2"));
    EXPECT_EQ(nodes.entries[3].phone, "ATDT +7 (495) 123-45-67");
    // Entry 0 is never filled; keys of other sections are ignored.
    EXPECT_TRUE(nodes.entries[0].phone.isEmpty());
    EXPECT_TRUE(nodes.entries[0].name.isEmpty());
}

// The example the package installs: Windows-1251 as the window reads it, and phone texts that
// are dialled whole (15 characters at most).
TEST(NodeListFile, ReadsThePackagesExample) {
    const NodeDirectory nodes =
        LoadNodeDirectory(QStringLiteral(RT570_TESTS_DIR "/../packaging/examples/gsm_csd.ini"));
    ASSERT_EQ(nodes.loaded, 3);
    EXPECT_EQ(nodes.entries[1].name, QStringLiteral("Котельная №1"));
    EXPECT_EQ(nodes.entries[3].name, QStringLiteral("Насосная станция"));
    for (int n = 1; n <= nodes.loaded; ++n) {
        EXPECT_TRUE(nodes.entries[size_t(n)].phone.startsWith(QLatin1String("ATD"))) << n;
        EXPECT_LE(nodes.entries[size_t(n)].phone.size(), 15) << n;
    }
}

TEST(NodeListFile, MissingDirectoryOrEmptyFileGivesNoNodes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(LoadNodeDirectory(dir.filePath("gsm_csd.ini")).loaded, 0);
    // A directory where the file should be cannot be read: like a missing file.
    ASSERT_TRUE(QDir(dir.path()).mkdir("gsm_csd.ini"));
    EXPECT_EQ(LoadNodeDirectory(dir.filePath("gsm_csd.ini")).loaded, 0);
    QFile empty(dir.filePath("empty.ini"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    EXPECT_EQ(LoadNodeDirectory(dir.filePath("empty.ini")).loaded, 0);
}

TEST(NodeListFile, SectionAndKeysIgnoreCase) {
    const NodeDirectory nodes = parse("[BAZA]\r\nKOL_UZLOV=2\r\nTEL_1=111\r\nName_U2=Второй\r\n");
    EXPECT_EQ(nodes.loaded, 2);
    EXPECT_EQ(nodes.entries[1].phone, "111");
    EXPECT_EQ(nodes.entries[2].name, QStringLiteral("Второй"));
}

TEST(NodeListFile, CyrillicLookAlikesAreOtherNames) {
    // "bаza" with a Cyrillic "а" is another section; "tеl_1" with a Cyrillic "е" another key.
    EXPECT_EQ(parse("[bаza]\nkol_uzlov=1\ntel_1=1\n").loaded, 0);
    const NodeDirectory nodes = parse("[baza]\nkol_uzlov=1\ntеl_1=999\nТЕЛ=1\nтел=2\n");
    EXPECT_EQ(nodes.loaded, 1);
    EXPECT_TRUE(nodes.entries[1].phone.isEmpty());
}

TEST(NodeListFile, BlanksAndControlCharactersAreTrimmed) {
    const NodeDirectory nodes = parse(
        "  [ baza ]  \r\n\tkol_uzlov = 3 \r\n tel_1 =\x01 12 34\x7f\t\r\nname_u1=  A  B  \r\n");
    EXPECT_EQ(nodes.loaded, 3);
    EXPECT_EQ(nodes.entries[1].phone, "12 34");
    EXPECT_EQ(nodes.entries[1].name, "A  B");
}

TEST(NodeListFile, LineEndsCrLfCrAndLf) {
    const NodeDirectory nodes =
        parse("[baza]\rkol_uzlov=3\ntel_1=1\r\ntel_2=2\n\rtel_3=3\r\r\nname_u3=C");
    EXPECT_EQ(nodes.loaded, 3);
    EXPECT_EQ(nodes.entries[1].phone, "1");
    EXPECT_EQ(nodes.entries[2].phone, "2");
    EXPECT_EQ(nodes.entries[3].phone, "3");
    EXPECT_EQ(nodes.entries[3].name, "C"); // last line without a line end
}

TEST(NodeListFile, CommentLinesAndLinesWithoutEquals) {
    const NodeDirectory nodes = parse("[baza]\nkol_uzlov=2\n;tel_1=skipped\n  ; tel_2=skipped\n"
                                      "tel_2\ntel_1=a=b;c\n=orphan\n");
    EXPECT_EQ(nodes.loaded, 2);
    EXPECT_EQ(nodes.entries[1].phone, "a=b;c"); // split at the first "="
    EXPECT_TRUE(nodes.entries[2].phone.isEmpty());
}

TEST(NodeListFile, LastOccurrenceOfAKeyCounts) {
    const NodeDirectory nodes = parse("[baza]\nkol_uzlov=1\ntel_1=first\nTel_1=second\n");
    EXPECT_EQ(nodes.entries[1].phone, "second");
}

TEST(NodeListFile, LastSectionOfANameWinsWithoutMerging) {
    // The count sits only in the first [baza]: the second one replaces it entirely.
    EXPECT_EQ(
        parse("[baza]\nkol_uzlov=2\ntel_1=old\n[other]\nkol_uzlov=9\n[Baza]\ntel_1=new\n").loaded,
        0);
    const NodeDirectory nodes =
        parse("[baza]\nkol_uzlov=1\ntel_1=old\nname_u1=Old\n[x]\n[baza]\nkol_uzlov=1\ntel_1=new\n");
    EXPECT_EQ(nodes.loaded, 1);
    EXPECT_EQ(nodes.entries[1].phone, "new");
    EXPECT_TRUE(nodes.entries[1].name.isEmpty());
}

TEST(NodeListFile, KeysOutsideTheSectionAreIgnored) {
    EXPECT_EQ(parse("kol_uzlov=2\ntel_1=1\n[baza]\n").loaded, 0);
    EXPECT_EQ(parse("[baza]\nkol_uzlov=2\n[other]\ntel_1=1\n").entries[1].phone, "");
    // "[baza" is not a section header: its lines stay in the section opened before.
    const NodeDirectory nodes = parse("[baza]\nkol_uzlov=1\n[baza\ntel_1=kept\n");
    EXPECT_EQ(nodes.entries[1].phone, "kept");
}

TEST(NodeListFile, MissingPhoneOrNameKeepsThePositions) {
    NodeDirectory nodes = parse("[baza]\nkol_uzlov=3\ntel_1=11\ntel_2=22\n"
                                "name_u1=A\nname_u2=B\nname_u3=C\n");
    EXPECT_EQ(nodes.loaded, 3);
    EXPECT_EQ(nodes.phoneAt(2), ""); // third line picked: no tel_3
    EXPECT_EQ(nodes.phoneAt(1), "22");
    nodes = parse("[baza]\nkol_uzlov=2\ntel_1=11\ntel_2=22\nname_u1=A\n");
    EXPECT_TRUE(nodes.entries[2].name.isEmpty());
    EXPECT_EQ(nodes.phoneAt(1), "22");
    // No line selected: entry 0, always empty. Positions off the list give nothing.
    EXPECT_EQ(nodes.phoneAt(-1), "");
    EXPECT_EQ(nodes.phoneAt(-2), "");
    EXPECT_EQ(nodes.phoneAt(255), "");
    EXPECT_EQ(nodes.phoneAt(100000), "");
}

TEST(NodeListFile, KeysUseNumbersWithoutLeadingZeros) {
    const NodeDirectory nodes = parse("[baza]\nkol_uzlov=1\ntel_01=x\ntel_1 =y\n");
    EXPECT_EQ(nodes.entries[1].phone, "y");
}

TEST(NodeListFile, TextsAreWindows1251) {
    // "Узел" and "№" as Windows-1251 bytes; 0x98 has no letter and survives as U+0098.
    const QByteArray bytes(
        "[baza]\nkol_uzlov=1\nname_u1=\xD3\xE7\xE5\xEB \xB9\x31\ntel_1=1\x98\x32\n");
    const NodeDirectory nodes = parseNodeList(bytes);
    EXPECT_EQ(nodes.entries[1].name, QStringLiteral("Узел №1"));
    EXPECT_EQ(nodes.entries[1].phone,
              QString(QStringLiteral("1") + QChar(0x98) + QStringLiteral("2")));
}

TEST(NodeListCount, DecimalHexAndEverythingElse) {
    EXPECT_EQ(parseNodeCount(u"3"), 3);
    EXPECT_EQ(parseNodeCount(u"+3"), 3);
    EXPECT_EQ(parseNodeCount(u"007"), 7);
    EXPECT_EQ(parseNodeCount(u"-5"), -5);
    EXPECT_EQ(parseNodeCount(u"0x0A"), 10);
    EXPECT_EQ(parseNodeCount(u"0X1f"), 31);
    EXPECT_EQ(parseNodeCount(u"2147483647"), 2147483647);
    EXPECT_EQ(parseNodeCount(u"-2147483648"), -2147483647 - 1);
    for (const char16_t* bad : {u"", u"abc", u"3a", u"3 4", u"0x", u"+", u"-", u"-0x5", u"0x-5",
                                u"0xG", u"1.5", u"2147483648", u"-2147483649", u"999999999999",
                                u"0x80000000", u"99999999999999999999999999999999", u"３"})
        EXPECT_EQ(parseNodeCount(bad), 0) << QString::fromUtf16(bad).toStdString();
}

TEST(NodeListCount, DecidesHowManyNodesLoad) {
    EXPECT_EQ(parse("[baza]\nkol_uzlov = 3\n").loaded, 3);
    EXPECT_EQ(parse("[baza]\nkol_uzlov=0x0A\n").loaded, 10);
    EXPECT_EQ(parse("[baza]\nkol_uzlov=abc\n").loaded, 0);
    EXPECT_EQ(parse("[baza]\nkol_uzlov=-5\ntel_1=1\n").loaded, 0);
    EXPECT_EQ(parse("[baza]\nkol_uzlov=999999999999\n").loaded, 0);
    EXPECT_EQ(parse("[baza]\nkol_uzlov=0\ntel_1=1\n").entries[1].phone, "");
}

TEST(NodeListCount, AboveRoomLoadsTheFirst255) {
    QByteArray text("[baza]\nkol_uzlov=300\n");
    for (int n = 1; n <= 300; ++n)
        text += "tel_" + QByteArray::number(n) + "=" + QByteArray::number(n * 10) + "\n";
    const NodeDirectory nodes = parseNodeList(text);
    EXPECT_EQ(nodes.loaded, 255);
    EXPECT_EQ(nodes.entries[255].phone, "2550");
    EXPECT_EQ(nodes.phoneAt(254), "2550");
    EXPECT_EQ(parse("[baza]\nkol_uzlov=2147483647\n").loaded, 255);
}

TEST(NodeListHostile, ZeroByteEndsTheText) {
    const QByteArray bytes("[baza]\nkol_uzlov=2\ntel_1=12\0"
                           "34\ntel_2=99\n",
                           40);
    const NodeDirectory nodes = parseNodeList(bytes);
    EXPECT_EQ(nodes.loaded, 2);
    EXPECT_EQ(nodes.entries[1].phone, "12");
    EXPECT_TRUE(nodes.entries[2].phone.isEmpty());
    EXPECT_EQ(parseNodeList(QByteArray("\0[baza]\nkol_uzlov=2\n", 20)).loaded, 0);
}

TEST(NodeListHostile, Utf8ByteOrderMark) {
    const NodeDirectory nodes = parseNodeList("\xEF\xBB\xBF[baza]\r\nkol_uzlov=1\r\nname_u1=" +
                                              QStringLiteral("Узел").toUtf8());
    EXPECT_EQ(nodes.loaded, 1);
    EXPECT_EQ(nodes.entries[1].name, QStringLiteral("Узел"));
}

TEST(NodeListHostile, HugeLinesAndUnclosedBrackets) {
    const QByteArray mib(1024 * 1024, 'x');
    NodeDirectory nodes =
        parseNodeList("[baza]\nkol_uzlov=2\ntel_1=" + mib + "\n" + mib + "\ntel_2=2\n");
    EXPECT_EQ(nodes.loaded, 2);
    EXPECT_EQ(nodes.entries[1].phone.size(), mib.size());
    EXPECT_EQ(nodes.entries[2].phone, "2");
    nodes = parseNodeList("[baza]\nkol_uzlov=1\n[" + mib + "\ntel_1=1\n[" + mib);
    EXPECT_EQ(nodes.entries[1].phone, "1");
    nodes = parseNodeList("[" + mib + "]\nkol_uzlov=1\n");
    EXPECT_EQ(nodes.loaded, 0);
    // A megabyte of line ends and of "=" signs.
    EXPECT_EQ(parseNodeList("[baza]\nkol_uzlov=1" + QByteArray(1024 * 1024, '\r')).loaded, 1);
    EXPECT_EQ(parseNodeList("[baza]\nkol_uzlov=" + QByteArray(1024 * 1024, '=')).loaded, 0);
}

TEST(NodeListHostile, ManySectionsAndKeys) {
    QByteArray text;
    for (int i = 0; i < 20000; ++i)
        text += "[baza]\nkol_uzlov=1\ntel_1=" + QByteArray::number(i) + "\nk" +
                QByteArray::number(i) + "=v\n";
    const NodeDirectory nodes = parseNodeList(text);
    EXPECT_EQ(nodes.loaded, 1);
    EXPECT_EQ(nodes.entries[1].phone, "19999");
}

TEST(NodeListHostile, EveryByteValueDoesNotConfuseTheReader) {
    QByteArray noise;
    for (int i = 1; i < 256; ++i)
        noise += char(i);
    const NodeDirectory nodes =
        parseNodeList("[baza]\nkol_uzlov=1\nname_u1=" + noise + "\n[" + noise + "]\n");
    EXPECT_EQ(nodes.loaded, 1);
    // The value ends at the LF (byte 10) of the noise; bytes 1..9 are controls and trimmed.
    EXPECT_EQ(nodes.entries[1].name, "");
}

} // namespace
} // namespace rt570
