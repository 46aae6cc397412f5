// The archive file: the reader against files that lie, the XML rules, the rows model and the hand-over
// to the verification results.
#include "device/archive.h"
#include "device/archivemodel.h"
#include "platform/cp1251.h"
#include "simulator/archive.h"

#include <QBuffer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace device;

namespace {

QStringList L(std::initializer_list<const char*> texts)
{
    QStringList out;
    for (const char* t : texts)
        out << QString::fromUtf8(t);
    return out;
}

QByteArray Xml(const char* records)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Archive><Records>") + records +
           "</Records></Archive>";
}

QByteArray OneRecord()
{
    return Xml("<Record><Mode>Поверка</Mode><DateTime>2015-03-04T12:30:45.000</DateTime><Points>"
               "<Point><Name>Измеренное значение</Name><Value>100.5</Value><Unit>°C</Unit></Point>"
               "</Points></Record>");
}

class Files : public ::testing::Test {
protected:
    QString Zip(const std::vector<sim::ZipMember>& members)
    {
        const QString path = dir.filePath(QStringLiteral("a%1.zip").arg(++n));
        QString error;
        EXPECT_TRUE(sim::WriteZip(path, members, &error)) << error.toStdString();
        return path;
    }
    QString Member(const QByteArray& name, const QByteArray& data) { return Zip({{name, data}}); }
    QString Raw(const QByteArray& data, int method, std::uint64_t declared, std::uint32_t crc, int flags = 0)
    {
        sim::ZipMember m{"arc.xml", data, true, method, declared, crc, flags};
        return Zip({m});
    }
    QString Bytes(const QByteArray& bytes)
    {
        const QString path = dir.filePath(QStringLiteral("b%1.zip").arg(++n));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir;
    int n = 0;
};

} // namespace

TEST_F(Files, EveryHostileFileIsRefusedWithItsReason)
{
    const QByteArray good = OneRecord();
    QFile whole(Member("arc.xml", sim::ArchiveXml(50)));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray zip = whole.readAll();
    const QByteArray bomb(4 << 20, '\0');
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE a [<!ENTITY x \"xxxxxxxxxx\">"
                              "<!ENTITY y \"&x;&x;&x;&x;&x;&x;&x;&x;&x;&x;\">]><a><b>&y;</b></a>";
    struct Row {
        const char* what;
        QString path;
        ArchiveError error;
    } rows[] = {
        {"not a ZIP", Bytes("this is not a zip file at all, just text"), ArchiveError::NotZip},
        {"truncated", Bytes(zip.left(zip.size() / 2)), ArchiveError::NotZip},
        {"no arc.xml", Member("data.xml", good), ArchiveError::NoMember},
        {"ARC.XML", Member("ARC.XML", good), ArchiveError::NoMember},
        {"x/arc.xml", Member("x/arc.xml", good), ArchiveError::NoMember},
        {"9 bytes", Member("arc.xml", "<a></a>  "), ArchiveError::BadSize},
        {"over 16 MiB declared", Raw(sim::RawDeflate(good), 8, kMaxMemberSize + 1, 0), ArchiveError::BadSize},
        {"4 GiB declared", Raw(sim::RawDeflate(good), 8, 4ull << 30, 0), ArchiveError::BadSize},
        {"declares more than it holds", Raw(good, 0, good.size() + 100, sim::Crc32(good)),
         ArchiveError::ReadFailed},
        {"bomb declaring less", Raw(sim::RawDeflate(bomb), 8, 64 << 10, sim::Crc32(bomb)),
         ArchiveError::CrcError},
        {"CRC error", Raw(good, 0, good.size(), sim::Crc32(good) ^ 1), ArchiveError::CrcError},
        {"garbage deflate", Raw(QByteArray(64, '\xFF'), 8, good.size(), sim::Crc32(good)),
         ArchiveError::ReadFailed},
        {"encrypted", Raw(good, 0, good.size(), sim::Crc32(good), 1), ArchiveError::Encrypted},
        {"unknown method", Raw(good, 99, good.size(), sim::Crc32(good)), ArchiveError::BadMethod},
        {"cp1251 bytes declared UTF-8",
         Member("arc.xml", Xml("<Record><Mode>") + platform::ToCp1251(u"Поверка") + "</Mode></Record>"),
         ArchiveError::NotXml},
        {"unknown encoding", Member("arc.xml", "<?xml version=\"1.0\" encoding=\"x-unknown\"?><a><b/></a>"),
         ArchiveError::NotXml},
        {"billion laughs", Member("arc.xml", laughs), ArchiveError::Dtd},
        {"not well-formed", Member("arc.xml", Xml("<Record><Mode>x</Record>")), ArchiveError::NotXml},
        {"no container", Member("arc.xml", "<Archive>only text here</Archive>"), ArchiveError::NoContainer},
    };
    for (const Row& r : rows) {
        const ArchiveLoad load = ReadArchiveFile(r.path);
        EXPECT_EQ(load.error, r.error) << r.what << ": " << load.reason.toStdString();
        EXPECT_TRUE(load.records.empty()) << r.what;
        EXPECT_FALSE(load.reason.isEmpty()) << r.what;
    }
    EXPECT_EQ(ReadArchiveFile(dir.filePath(QStringLiteral("missing.zip"))).error, ArchiveError::Unreadable);
    // the same member read whole when it tells the truth, from a file or from memory
    const ArchiveLoad fine = ReadArchiveFile(Raw(good, 0, good.size(), sim::Crc32(good)));
    ASSERT_TRUE(fine.Ok()) << fine.reason.toStdString();
    QBuffer buffer;
    buffer.setData(zip);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(ReadArchive(buffer).records.size(), 50u);
}

TEST_F(Files, EveryEncodingGivesTheSameCells)
{
    std::vector<std::vector<QStringList>> tables;
    for (const char* e : {"UTF-8", "windows-1251", "UTF-16"}) {
        const QString path = dir.filePath(QString::fromLatin1(e) + QStringLiteral(".zip"));
        ASSERT_TRUE(sim::WriteArchive(path, 4, QString::fromLatin1(e)));
        const ArchiveLoad load = ReadArchiveFile(path);
        ASSERT_TRUE(load.Ok()) << e << ": " << load.reason.toStdString();
        std::vector<QStringList> cells;
        for (const ArchiveRecord& r : load.records)
            cells.push_back(RecordCells(r));
        tables.push_back(cells);
    }
    EXPECT_EQ(tables[0], tables[1]);
    EXPECT_EQ(tables[0], tables[2]);
    const QStringList first = tables[0][0], second = tables[0][1];
    EXPECT_EQ(first, L({"1", "Поверка МПД", "2025-03-04", "13:07:45", "1001", "0.1", "0 кПа", "1000 кПа",
                        "700.000 кПа", "15.2000 мА", "700.000 кПа", "0.1 %", "0.00 %", "Cоответствует",
                        "разомкнут", ""}));
    EXPECT_EQ(second[ColRangeLow], QStringLiteral("0 °C"));
    EXPECT_EQ(second[ColRangeHigh], QStringLiteral("600 °C"));
    EXPECT_EQ(second[ColReference].right(2), QStringLiteral("°C")); // "Эталон"
}

TEST(ArcXml, RecordsFieldsAndPointsByPosition)
{
    // names of the container, records and points are not examined; texts are trimmed; the
    // container is the first child element, whatever comes before it
    const QByteArray xml = "<?xml version=\"1.0\"?>\n<root> text <!-- c --><list>"
                           "<r><Mode> Поверка </Mode><DateTime>2015-03-04T12:30:45.000</DateTime>"
                           "<Other>ignored</Other><Points>"
                           "<p><a>Измеренное (эл.) значение</a><b>4.5</b><c>мА</c></p>"
                           "<p><a>Измеренное значение</a><b> 12 </b></p>"
                           "<p><a>Рабочий диапазон</a><b>0 ... 100</b><c>°C</c></p>"
                           "<p><a>Результат</a><b></b><c>x</c></p>"
                           "<p><a>Изм. ОПП</a></p>"
                           "<p><a>Совсем другое</a><b>7</b></p>"
                           "</Points></r>"
                           "<r><DateTime>04.03.2015</DateTime><Points>"
                           "<p><n>Рабочий диапазон</n><v>-50</v><u>°C</u></p></Points></r>"
                           "</list><second><r><Mode>not a record</Mode></r></second></root>";
    const ArchiveLoad load = ParseArcXml(xml);
    ASSERT_TRUE(load.Ok()) << load.reason.toStdString();
    ASSERT_EQ(load.records.size(), 2u);
    const ArchiveRecord& a = load.records[0];
    EXPECT_EQ(a.cells[ColNumber], QStringLiteral("1"));
    EXPECT_EQ(a.cells[ColMode], QStringLiteral("Поверка"));
    EXPECT_EQ(a.cells[ColDate], QStringLiteral("2015-03-04"));
    EXPECT_EQ(a.cells[ColTime], QStringLiteral("12:30:45"));
    EXPECT_EQ(a.cells[ColMeasuredSignal], QStringLiteral("4.5 мА"));
    EXPECT_EQ(a.cells[ColMeasured], QStringLiteral("12"));
    EXPECT_EQ(a.cells[ColRangeLow], QStringLiteral("0 °C"));
    EXPECT_EQ(a.cells[ColRangeHigh], QStringLiteral("100 °C"));
    EXPECT_EQ(a.cells[ColResult], QString()); // an empty value leaves its cell empty
    EXPECT_EQ(a.cells[ColError], QString());
    const ArchiveRecord& b = load.records[1];
    EXPECT_EQ(b.cells[ColNumber], QStringLiteral("2"));
    EXPECT_EQ(b.cells[ColDate], QStringLiteral("04.03.2015")); // no 'T': all of it is the date
    EXPECT_EQ(b.cells[ColTime], QString());
    EXPECT_EQ(b.cells[ColRangeLow], QStringLiteral("-50 °C")); // no "...": the low end only
    EXPECT_EQ(b.cells[ColRangeHigh], QString());

    const ArchiveLoad empty = ParseArcXml("<Archive><Records/></Archive>");
    EXPECT_TRUE(empty.Ok());
    EXPECT_TRUE(empty.records.empty());
}

TEST(ArcXml, NameRulesLaterMatchesWin)
{
    struct Row {
        const char* name;
        int column;
    } rows[] = {
        {"Датчик, серийный №", ColSerial},
        {"класс точности", ColClass},
        {"Класс", -1},
        {"Диапазон мин.", ColRangeLow},
        {"Диапазон макс.", ColRangeHigh},
        {"Измеренное значение", ColMeasured},
        {"Измеренное (эл.)", ColMeasuredSignal},
        {"Эталонное значение", ColReference},
        {"Эталон", ColReference},
        {"Эмулируемое", ColReference},
        {"Доп. погрешность", ColTolerance},
        {"Доп. ОПП", ColTolerance},
        {"Изм. погрешность", ColError},
        {"Изм. ОПП", ColError},
        {"Результат", ColResult},
        {"Реле 1", ColRelay1},
        {"Реле 2", ColRelay2},
        {"Давление", -1},
        {"Измеренное значение: Результат", ColResult},
        {"Эталон класс", ColReference},
    };
    for (const Row& r : rows)
        EXPECT_EQ(PointColumn(QString::fromUtf8(r.name)), r.column) << r.name;
}

TEST(ArchiveRows, SortIsAscendingStableCaseInsensitiveAndTicksFollow)
{
    std::vector<ArchiveRecord> records(12);
    const char* modes[12] = {"b", "A", "a", "B", "c", "a", "b", "C", "a", "x", "y", "z"};
    for (int i = 0; i < 12; ++i) {
        records[size_t(i)].cells[ColNumber] = QString::number(i + 1);
        records[size_t(i)].cells[ColMode] = QString::fromLatin1(modes[i]);
    }
    ArchiveModel model;
    QSignalSpy counts(&model, &ArchiveModel::checkedCountChanged);
    model.SetRecords(records);
    model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole); // record 3 ("a")
    model.setData(model.index(9, 0), Qt::Checked, Qt::CheckStateRole); // record 10
    model.setData(model.index(9, 0), Qt::Checked, Qt::CheckStateRole); // no change, no signal
    EXPECT_EQ(model.CheckedCount(), 2);
    ASSERT_EQ(counts.size(), 3); // the reset, then two ticks
    EXPECT_EQ(counts.last().first().toInt(), 2);

    model.sort(ColNumber, Qt::DescendingOrder); // always ascending, as text
    QStringList numbers;
    for (int i = 0; i < 12; ++i)
        numbers << model.Record(i).cells[ColNumber];
    EXPECT_EQ(numbers, L({"1", "10", "11", "12", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_TRUE(model.Checked(1)); // record 10
    EXPECT_TRUE(model.Checked(5)); // record 3
    EXPECT_EQ(model.data(model.index(1, 0), Qt::CheckStateRole).toInt(), int(Qt::Checked));

    model.sort(ColMode);
    QStringList order;
    for (int i = 0; i < 12; ++i)
        order << model.Record(i).cells[ColNumber];
    // equal texts keep the order they had: after the number sort, "10", "3", "6", "9" ... stay in it
    EXPECT_EQ(order, L({"2", "3", "6", "9", "1", "4", "7", "5", "8", "10", "11", "12"}));
    const std::vector<const ArchiveRecord*> ticked = model.CheckedRecords();
    ASSERT_EQ(ticked.size(), 2u);
    EXPECT_EQ(ticked[0]->cells[ColNumber], QStringLiteral("3"));
    EXPECT_EQ(ticked[1]->cells[ColNumber], QStringLiteral("10"));
    EXPECT_EQ(model.headerData(ColError, Qt::Horizontal).toString(), QStringLiteral("ОПП, %"));
}

TEST(ArchiveRows, TransferInListOrderEachRowFromZero)
{
    auto record = [](const char* n, const char* date, const char* serial, const char* result, const char* low,
                     const char* high, const char* measured, const char* tolerance) {
        ArchiveRecord r;
        r.cells[ColNumber] = QString::fromUtf8(n);
        r.cells[ColDate] = QString::fromUtf8(date);
        r.cells[ColSerial] = QString::fromUtf8(serial);
        r.cells[ColResult] = QString::fromUtf8(result);
        r.cells[ColRangeLow] = QString::fromUtf8(low);
        r.cells[ColRangeHigh] = QString::fromUtf8(high);
        r.cells[ColMeasured] = QString::fromUtf8(measured);
        r.cells[ColTolerance] = QString::fromUtf8(tolerance);
        r.cells[ColError] = QStringLiteral("0.05 %");
        return r;
    };
    // ticked rows 3 and 1, in list order 1 then 3
    const ArchiveRecord one =
        record("1", "2025-03-04", "1001", "Cоответствует", "0 кПа", "1000 кПа", "700.5 кПа", "0.1 %");
    const ArchiveRecord three =
        record("3", "2025-03-05", "1003", "Соответствует", "-50 °C", "600 °C", "", "0.25 %");
    verification::ResultList results;
    verification::AppendRow(results, verification::ResultRow{1, 2, 3});
    reports::ProtocolData protocol;
    const TransferOutcome out = TransferArchiveRows({&one, &three}, results, protocol);
    EXPECT_EQ(out.taken, 2);
    EXPECT_EQ(out.date, QStringLiteral("2025-03-04"));
    EXPECT_EQ(out.serial, QStringLiteral("1001"));
    ASSERT_EQ(results.count, 2);
    EXPECT_EQ(results.rows[0].measured, 700.5f);
    EXPECT_EQ(results.rows[0].rangeHigh, 1000.0f);
    EXPECT_EQ(results.rows[0].error, 0.05f);
    EXPECT_EQ(results.rows[1].measured, 0.0f); // an empty cell is 0, not the previous row's value
    EXPECT_EQ(results.rows[0].pass, 1);        // the instrument's Latin "C"
    EXPECT_EQ(results.rows[1].pass, 1);        // and the Cyrillic one
    EXPECT_EQ(results.rows[0].reference, 0.0f);
    EXPECT_EQ(protocol.device.rangeLow, -50.0f); // the range of the last row
    EXPECT_EQ(protocol.device.rangeHigh, 600.0f);
    EXPECT_EQ(platform::GetText(protocol.device.units), QStringLiteral("°C"));
    EXPECT_EQ(protocol.device.permissibleError, 0.25f);
    EXPECT_EQ(platform::GetText(protocol.protocolDate), QStringLiteral("2025-03-04"));
    EXPECT_EQ(platform::GetText(protocol.device.serial), QStringLiteral("1001"));

    ArchiveRecord failed = one;
    failed.cells[ColResult] = QStringLiteral("Не соответствует");
    EXPECT_EQ(ArchiveResultRow(failed).pass, 0);

    // more than the list holds: 200 are taken, and the outcome says how many were offered
    std::vector<const ArchiveRecord*> many(201, &one);
    const TransferOutcome full = TransferArchiveRows(many, results, protocol);
    EXPECT_EQ(full.taken, 200);
    EXPECT_EQ(full.offered, 201);
    EXPECT_EQ(results.count, 200);
}

TEST(ArchiveRows, TextTableQuotesWhatNeedsIt)
{
    EXPECT_EQ(TableLine(L({"a", "b;c", "d\"e", "", "f\ng"}), QLatin1Char(';')),
              QStringLiteral("a;\"b;c\";\"d\"\"e\";;\"f\ng\""));
    EXPECT_EQ(TableLine(L({"a;b", "c\td"}), QLatin1Char('\t')), QStringLiteral("a;b\t\"c\td\""));
    EXPECT_EQ(ArchiveHeader().first(), QStringLiteral("№"));
    EXPECT_EQ(ArchiveHeader().size(), kArchiveColumns);
}
