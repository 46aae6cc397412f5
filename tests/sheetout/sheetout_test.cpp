// libsheetout.so loaded by file name as the program loads it, against a real headless LibreOffice.
#include "office/office.h"
#include "platform/cp1251.h"
#include "platform/library.h"
#include "sheetout/sheetout.h"
#include "tests/support/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

namespace {

const QString kData = QStringLiteral(LORIK_SOURCE_DIR "/tests/sheetout/data");

struct Library {
    platform::SharedLibrary lib;
    int (*listView)(void*, int) = nullptr;
    int (*form)(const IO_Settings*) = nullptr;
    int (*version)(char*, int) = nullptr;
    Library()
    {
        lib.Load(QStringLiteral(SHEETOUT_LIBRARY));
        listView = reinterpret_cast<decltype(listView)>(lib.Resolve("ListView2excel"));
        form = reinterpret_cast<decltype(form)>(lib.Resolve("FormReport"));
        version = reinterpret_cast<decltype(version)>(lib.Resolve("GetVersionDll"));
    }
};

template <std::size_t N> void Put(char (&field)[N], const char* utf8)
{
    platform::SetText(field, QString::fromUtf8(utf8));
}

class Sheetout : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        store = new QTemporaryDir;
        // nothing the library stores is opened on a desktop while this is set
        qputenv("LORIK_SHEETOUT_STORE", store->filePath(QStringLiteral("table.ods")).toLocal8Bit());
        lib = new Library;
        reader = office::Session::Installed() && office::Session::Shared().Start() == office::StartOk;
    }
    static void TearDownTestSuite()
    {
        office::ShutdownOffice();
        // The library stays loaded: its office ends at the exit. (Unloading is what the lifecycle
        // test checks.)
        delete store;
    }
    void SetUp() override
    {
        if (!reader) GTEST_SKIP() << "LibreOffice (libreoffice-calc) is needed for sheetout tests";
        ASSERT_TRUE(lib->form && lib->listView && lib->version);
        s = std::make_unique<IO_Settings>();
        std::memset(s.get(), 0, sizeof(IO_Settings));
    }
    std::vector<QStringList> Read(const QString& path)
    {
        office::Document doc;
        EXPECT_TRUE(doc.Open(path)) << path.toStdString();
        return doc.UsedArea(0);
    }
    void Device(int slot, const char* dt3, int verdict)
    {
        SheetoutDevice& d = s->devices[slot];
        d.inUse = 1;
        Put(d.dt1, "Датчик");
        Put(d.dt2, "ДД");
        Put(d.dt3, dt3);
        Put(d.dt4, "кПа");
        Put(d.rangeStart, "0");
        Put(d.rangeEnd, "100");
        d.verdict = verdict;
    }
    void Points(int slot, int n)
    {
        for (int j = 0; j < n; ++j) {
            SheetoutPoint& p = s->points[slot][j];
            p.inUse = 1;
            platform::SetText(p.pt1, QStringLiteral("p%1-%2").arg(slot).arg(j));
            platform::SetText(p.pt2, QStringLiteral("b%1").arg(j));
            platform::SetText(p.pt3, QStringLiteral("c%1").arg(j));
            platform::SetText(p.pt5, QStringLiteral("e%1").arg(j));
            platform::SetText(p.pt7, QStringLiteral("g%1").arg(j));
            p.verdict = j % 2;
        }
    }
    void Files(const char* layout, const QString& out)
    {
        platform::SetText(s->templatePath, QString(kData + QLatin1Char('/') + QString::fromLatin1(layout)));
        platform::SetText(s->outputPath, out);
    }

    static inline QTemporaryDir* store = nullptr;
    static inline Library* lib = nullptr;
    static inline bool reader = false;
    std::unique_ptr<IO_Settings> s;
    QTemporaryDir dir;
};

} // namespace

TEST(SheetoutLibrary, VersionStringAndItsBuffer)
{
    Library l;
    ASSERT_NE(l.version, nullptr);
    char big[64];
    ASSERT_EQ(l.version(big, sizeof big), 0);
    const std::string text = big;
    EXPECT_EQ(text.rfind("Build: ", 0), 0u);
    EXPECT_NE(text.find("  "), std::string::npos);
    std::vector<char> exact(text.size() + 1);
    EXPECT_EQ(l.version(exact.data(), int(exact.size())), -1);
    std::vector<char> enough(text.size() + 2);
    EXPECT_EQ(l.version(enough.data(), int(enough.size())), 0);
    EXPECT_EQ(l.version(nullptr, 100), -1);
    EXPECT_EQ(offsetof(IO_Settings, points[1][0]), 6968u + 6272u);
}

namespace {

// The offices of this process's libsheetout.so: processes whose profile is the library's.
int LibraryOffices()
{
    QString root = qEnvironmentVariable("LORIK_OFFICE_PROFILE");
    if (root.isEmpty()) return -1;
    const QByteArray profile =
        QByteArray("-env:UserInstallation=") +
        QUrl::fromLocalFile(root + QStringLiteral("/libsheetout.so-%1").arg(getpid())).toEncoded();
    int n = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QList<QByteArray> args = f.readAll().split('\0');
        if (args.contains(profile)) ++n;
    }
    return n;
}

} // namespace

// Before the Sheetout suite takes its handle: the library is loaded and unloaded here as the
// program does around each export.
TEST(SheetoutLifecycle, OneOfficeWhileLoadedNoneAfterUnload)
{
    if (!office::Session::Installed()) GTEST_SKIP() << "LibreOffice (libreoffice-calc) is needed";
    if (qEnvironmentVariableIsEmpty("LORIK_OFFICE_PROFILE"))
        GTEST_SKIP() << "run through ctest (LORIK_OFFICE_PROFILE)";
    QTemporaryDir dir;
    testsupport::ScopedEnv store("LORIK_SHEETOUT_STORE", dir.filePath(QStringLiteral("t.ods")).toLocal8Bit());
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, new QStandardItem(QStringLiteral("1.5")));
    QTableView view;
    view.setModel(&model);
    for (int load = 0; load < 2; ++load) {
        {
            Library l;
            ASSERT_TRUE(l.listView);
            for (int i = 0; i < 3; ++i) {
                ASSERT_EQ(l.listView(&view, 1), 0) << load << "/" << i;
                EXPECT_EQ(LibraryOffices(), 1) << load << "/" << i;
            }
        }
        EXPECT_EQ(LibraryOffices(), 0) << "after unload " << load;
    }
}

TEST_F(Sheetout, ListViewFromB5CutAtTheFirstBlankWithNumbersAsNumbers)
{
    QStandardItemModel model(3, 4);
    const char* cells[3][4] = {{"1", "10:00:01", "12,5 мА", "-0.25"},
                               {"2", "10:00:02", "12,625 мА", "<<<.<<<"},
                               {"3", "10:00:03", "12.625", "0012,5,1"}};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            model.setItem(r, c, new QStandardItem(QString::fromUtf8(cells[r][c])));
    QTableView view;
    view.setModel(&model);
    const QString out = dir.filePath(QStringLiteral("table.ods"));
    testsupport::ScopedEnv store("LORIK_SHEETOUT_STORE", out.toLocal8Bit());
    ASSERT_EQ(lib->listView(&view, 4), 0);
    office::Document doc;
    ASSERT_TRUE(doc.Open(out));
    ASSERT_EQ(doc.UsedArea(0).size(), 7u);
    struct Cell {
        int column, row;
        bool number;
        double value;
        const char* text;
    } expected[] = {
        {1, 4, true, 1, ""},      {2, 4, false, 0, "10:00:01"}, {3, 4, true, 12.5, ""},
        {4, 4, true, -0.25, ""},  {3, 5, true, 12.625, ""},     {4, 5, false, 0, "<<<.<<<"},
        {3, 6, true, 12.625, ""}, {4, 6, false, 0, "0012,5,1"}, {1, 6, true, 3, ""},
    };
    for (const Cell& e : expected) {
        const auto where = std::to_string(e.column) + "," + std::to_string(e.row);
        if (e.number) {
            EXPECT_EQ(doc.TypeOf(0, e.column, e.row), office::CellType::Number) << where;
            EXPECT_DOUBLE_EQ(doc.CellNumber(0, e.column, e.row), e.value) << where;
        } else {
            EXPECT_EQ(doc.TypeOf(0, e.column, e.row), office::CellType::Text) << where;
            EXPECT_EQ(doc.CellText(0, e.column, e.row), QString::fromUtf8(e.text)) << where;
        }
    }
}

TEST_F(Sheetout, Type1TwoDevicesFourPoints)
{
    Device(1, "N1", 1);
    Device(3, "N3", 0);
    Points(1, 4);
    Points(3, 4);
    Put(s->protocolNumber, "17");
    Put(s->protocolDate, "10.12.2026");
    Put(s->instruments, "Калибратор\nЭталон\nБарометр");
    Put(s->airTemperature, "21");
    s->Type = 1;
    const QString out = dir.filePath(QStringLiteral("t1.fods"));
    Files("layout1.fods", out);
    ASSERT_EQ(lib->form(s.get()), 0);
    const auto a = Read(out);
    EXPECT_EQ(a[0][0], QStringLiteral("Протокол № 17"));
    EXPECT_EQ(a[0][2], QStringLiteral("10.12.2026"));
    EXPECT_EQ(a[2][0], QStringLiteral("Калибратор")); // Tools: two rows inserted for three lines
    EXPECT_EQ(a[3][0], QStringLiteral("Эталон"));
    EXPECT_EQ(a[4][0], QStringLiteral("Барометр"));
    EXPECT_EQ(a[5][0], QStringLiteral("T=21"));
    // rows below shifted by 2: Tab_Dev at 9, devices at 10 and 11
    EXPECT_EQ(a[9],
              (QStringList{QStringLiteral("Датчик"), QStringLiteral("N1"), QStringLiteral("0..100"),
                           QStringLiteral("ДД"), QStringLiteral("кПа"), QString(), QString(), QString()})
                  .mid(0, a[9].size()));
    EXPECT_EQ(a[10][1], QStringLiteral("N3"));
    // Tab_Meas at row 18 (0-based 17); device names appended in rows r-4 and r, columns D and E
    EXPECT_EQ(a[13][3], QStringLiteral("N1"));
    EXPECT_EQ(a[17][4], QStringLiteral("N3"));
    // four blocks of five rows: the template's two copied twice
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(a[size_t(18 + 5 * j)][3], QStringLiteral("p1-%1").arg(j)) << j;
        EXPECT_EQ(a[size_t(18 + 5 * j)][4], QStringLiteral("p3-%1").arg(j)) << j;
        EXPECT_EQ(a[size_t(22 + 5 * j)][3], QStringLiteral("g%1").arg(j)) << j;
        EXPECT_EQ(a[size_t(18 + 5 * j)][0], QStringLiteral("PT1")) << j;
    }
    // Tab_Result pushed down by two blocks: two rows with the verdicts
    int result = -1;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i][0] == QStringLiteral("Tab_Result")) result = int(i);
    ASSERT_EQ(result, 27 + 2 + 10);
    EXPECT_EQ(a[size_t(result + 1)].mid(0, 3),
              (QStringList{QStringLiteral("N1"), QStringLiteral("кПа"), QStringLiteral("Годен")}));
    EXPECT_EQ(a[size_t(result + 2)][2], QStringLiteral("Не годен"));
}

TEST_F(Sheetout, Type3OneAndThreePoints)
{
    for (int n : {1, 3}) {
        std::memset(s.get(), 0, sizeof(IO_Settings));
        Device(1, "A7", 1);
        Points(1, n);
        s->Type = 3;
        const QString out = dir.filePath(QStringLiteral("t3-%1.fods").arg(n));
        Files("layout3.fods", out);
        ASSERT_EQ(lib->form(s.get()), 0) << n;
        const auto a = Read(out);
        EXPECT_EQ(a[6][0], QStringLiteral("Прибор: Датчик"));
        EXPECT_EQ(a[7][0], QStringLiteral("№ A7"));
        EXPECT_EQ(a[8][0], QStringLiteral("0..100"));
        EXPECT_EQ(a[9][0], QStringLiteral("Разряд: g0"));
        for (int j = 0; j < n; ++j) {
            EXPECT_EQ(a[size_t(12 + j)][0], QStringLiteral("p1-%1").arg(j)) << n;
            EXPECT_EQ(a[size_t(12 + j)][3], QStringLiteral("g%1").arg(j)) << n;
        }
        EXPECT_EQ(a[size_t(11 + n + 2)][0], QStringLiteral("Вывод: Годен")) << n;
    }
}

TEST_F(Sheetout, Type4PointsAsColumns)
{
    Device(1, "Z9", 0);
    Points(1, 2);
    s->Type = 4;
    const QString out = dir.filePath(QStringLiteral("t4.fods"));
    Files("layout4.fods", out);
    ASSERT_EQ(lib->form(s.get()), 0);
    const auto a = Read(out);
    EXPECT_EQ(a[7][5], QStringLiteral("Датчик"));
    EXPECT_EQ(a[9][1], QStringLiteral("Z9"));
    EXPECT_EQ(a[11][2], QStringLiteral("0"));
    EXPECT_EQ(a[11][5], QStringLiteral("100"));
    EXPECT_EQ(a[14][1], QStringLiteral("p1-0"));
    EXPECT_EQ(a[14][2], QStringLiteral("p1-1"));
    EXPECT_EQ(a[21][2], QStringLiteral("Годен"));
    EXPECT_EQ(a[25][1], QStringLiteral("Не годен"));
    EXPECT_EQ(a[25][4], QStringLiteral("Z9"));
}

TEST_F(Sheetout, ResultCodes)
{
    Device(1, "N1", 1);
    Points(1, 2);
    s->Type = 1;
    Files("bare.fods", dir.filePath(QStringLiteral("bare.fods")));
    EXPECT_EQ(lib->form(s.get()), -1); // the layout's named ranges are missing
    s->Type = 7;
    Files("layout1.fods", dir.filePath(QStringLiteral("t7.fods")));
    EXPECT_EQ(lib->form(s.get()), -2000);
    Files("no such.fods", dir.filePath(QStringLiteral("x.fods")));
    EXPECT_EQ(lib->form(s.get()), -11);
    Files("layout1.fods", dir.filePath(QStringLiteral("no/such/dir/x.fods")));
    EXPECT_EQ(lib->form(s.get()), -12);
    EXPECT_EQ(lib->form(nullptr), -2000);
}

TEST_F(Sheetout, EmptyOutputPathMakesANameInTheReportsFolder)
{
    testsupport::ScopedEnv home("LORIKWS_HOME", dir.path().toLocal8Bit());
    Device(1, "N1", 1);
    Points(1, 1);
    s->Type = 2;
    Files("layout1.fods", QString());
    lib->form(s.get());
    const QStringList made = QDir(dir.filePath(QStringLiteral("reports"))).entryList(QDir::Files);
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(made[0].startsWith(QStringLiteral("Протокол поверки Датчик от "))) << made[0].toStdString();
    EXPECT_TRUE(made[0].endsWith(QStringLiteral(".xls")));
    EXPECT_TRUE(made[0].contains(QStringLiteral("__")));
}
