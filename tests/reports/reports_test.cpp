// The replacement job, the protocol data and the protocol maker against a real headless
// LibreOffice with a private profile.
#include "office/desktop.h"
#include "office/office.h"
#include "platform/cnumber.h"
#include "platform/cp1251.h"
#include "platform/messageservice.h"
#include "platform/process.h"
#include "reports/oocalcauto.h"
#include "reports/protocolmaker.h"
#include "tests/support/scoped_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <limits>

using namespace reports;

// Failure messages show texts as texts.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kTemplates = QStringLiteral(LORIK_BIN_DIR "/template_xml");
const QString kPressure = QStringLiteral("Протокол поверки датчика давления.xls");
const QString kTemperature = QStringLiteral("Протокол поверки датчика температуры.xls");
const QString kSecondary = QStringLiteral("Протокол поверки вторичного прибора.xls");
const QString kPressureCalibration = QStringLiteral("Протокол калибровки датчика давления.xls");
const QString kTemperatureCalibration = QStringLiteral("Протокол калибровки датчика температуры.xls");
const QString kSecondaryCalibration = QStringLiteral("Протокол калибровки вторичного прибора.xls");

// The cell whose whole text is `text` (a search would also find cells that merely contain it).
bool FindExact(const office::Document& doc, int sheet, const QString& text, int* column, int* row)
{
    const std::vector<QStringList> area = doc.UsedArea(sheet);
    for (size_t r = 0; r < area.size(); ++r) {
        const qsizetype c = area[r].indexOf(text);
        if (c >= 0) {
            *column = int(c);
            *row = int(r);
            return true;
        }
    }
    return false;
}

QString Joined(const std::vector<QStringList>& area)
{
    QStringList lines;
    for (const QStringList& r : area)
        lines << r.join(QLatin1Char('|'));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

TEST(ReplaceJob, FreeOutputNameAndLimits)
{
    QTemporaryDir dir;
    ReplaceJob job;
    const QString out = dir.filePath(QStringLiteral("Протокол поверки №1 .xls"));
    EXPECT_EQ(job.SetFiles(QString(), out), -1);
    EXPECT_EQ(job.SetFiles(QStringLiteral("t.xls"), out), 0);
    EXPECT_EQ(job.OutputPath(), out);
    QFile(out).open(QIODevice::WriteOnly);
    EXPECT_EQ(job.SetFiles(QStringLiteral("t.xls"), out), 0);
    EXPECT_EQ(job.OutputPath(), dir.filePath(QStringLiteral("Протокол поверки №1 (1).xls")));
    QFile(job.OutputPath()).open(QIODevice::WriteOnly);
    EXPECT_EQ(job.SetFiles(QStringLiteral("t.xls"), out), 0);
    EXPECT_EQ(job.OutputPath(), dir.filePath(QStringLiteral("Протокол поверки №1 (2).xls")));
    // the PDF beside a protocol counts: an archived PDF is never overwritten
    QFile(dir.filePath(QStringLiteral("Протокол поверки №2 .pdf"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(job.SetFiles(QStringLiteral("t.xls"), dir.filePath(QStringLiteral("Протокол поверки №2 .xls")),
                           {QStringLiteral("pdf")}),
              0);
    EXPECT_EQ(job.OutputPath(), dir.filePath(QStringLiteral("Протокол поверки №2 (1).xls")));
    // a name holding "%1" or "%2" is varied as it is
    const QString percent = dir.filePath(QStringLiteral("%2 %1.xls"));
    QFile(percent).open(QIODevice::WriteOnly);
    EXPECT_EQ(job.SetFiles(QStringLiteral("t.xls"), percent), 0);
    EXPECT_EQ(job.OutputPath(), dir.filePath(QStringLiteral("%2 %1(1).xls")));
    const QString noDot = dir.filePath(QStringLiteral("plain"));
    QFile(noDot).open(QIODevice::WriteOnly);
    EXPECT_EQ(job.SetFiles(QStringLiteral("t.xls"), noDot), -1);

    EXPECT_EQ(job.AddHiddenSheet(QStringLiteral("&DEV_VER_"), 1), -2);
    for (int i = 0; i < kMaxHiddenSheets; ++i)
        EXPECT_EQ(job.AddHiddenSheet(QStringLiteral("S%d"), i), 0);
    EXPECT_EQ(job.AddHiddenSheet(QStringLiteral("S%d"), 99), -1);
    for (int i = 0; i < kMaxPairs; ++i)
        ASSERT_EQ(job.Add_ReplacePair(QStringLiteral("#%1#").arg(i, 5, 10, QLatin1Char('0')), QString()), 0);
    EXPECT_EQ(job.Add_ReplacePair(QStringLiteral("&X"), QString()), -1);
    for (int i = 0; i < kMaxRowKeys; ++i)
        EXPECT_EQ(job.AddRowKey(QStringLiteral("&K%1_I").arg(i)), 0);
    EXPECT_EQ(job.AddRowKey(QStringLiteral("&K99_I")), -1);
    EXPECT_EQ(job.SetPointCount(201), -1);
    EXPECT_EQ(job.SetPointCount(2), 0);
    EXPECT_EQ(job.AddRowText(QStringLiteral("&NOPE_I"), QStringLiteral("1")), -1);
    EXPECT_EQ(job.AddRowFloat(QStringLiteral("&K0_I"), 2.5f, 2), 0);
    EXPECT_EQ(job.AddRowText(QStringLiteral("&K0_I"), QStringLiteral("x")), 0);
    EXPECT_EQ(job.AddRowText(QStringLiteral("&K0_I"), QStringLiteral("y")), -1); // point count reached
    EXPECT_EQ(job.RowKeys()[0].values[0], QStringLiteral("2.50"));
    job.FreeJob();
    EXPECT_TRUE(job.Pairs().empty());
}

TEST(ReplaceJob, LongerKeysMustComeFirst)
{
    platform::ScopedMessageRecorder messages;
    ReplaceJob job;
    EXPECT_EQ(job.Add_ReplacePair(QStringLiteral("&CD_TEMP"), QStringLiteral("20")), 0);
    EXPECT_LT(job.Add_ReplacePair(QStringLiteral("&CD_TEMP_FULL"), QStringLiteral("x")), 0);
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_EQ(messages.Entries()[0].caption, QStringLiteral("  Add_ReplacePair()"));
    EXPECT_TRUE(
        messages.Entries()[0].text.contains(QStringLiteral("Добавляется идентификатор  &CD_TEMP_FULL")));
    ReplaceJob ok;
    EXPECT_EQ(ok.Add_ReplacePair(QStringLiteral("&CD_TEMP_FULL"), QStringLiteral("x")), 0);
    EXPECT_EQ(ok.Add_ReplacePair(QStringLiteral("&CD_TEMP"), QStringLiteral("20")), 0);
}

TEST(ProtocolData, BoundedTextsVerdictAndRangeTexts)
{
    ProtocolData d;
    const QString aux(2000, QLatin1Char('x'));
    platform::SetText(d.auxEquipment, aux);
    EXPECT_EQ(platform::GetText(d.auxEquipment).size(), 1035);
    platform::SetText(d.device.serial, QStringLiteral("АБВ-12/3"));
    EXPECT_EQ(platform::GetText(d.device.serial), QStringLiteral("АБВ-12/3"));

    // the device's verdict is the table's: inspections passed, points present, every point's own
    // verdict (whatever the error, coefficient or tolerance of the record say)
    verification::ResultList list;
    d.inspectionPassed = 1;
    d.errorCoefficient = 0;                      // unfilled: it no longer rejects every point
    EXPECT_FALSE(TExcel_BCB::Suitable(d, list)); // no points
    verification::ResultRow r;
    r.error = 0.4f;
    r.tolerance = 0.5f;
    r.pass = 1;
    verification::AppendRow(list, r);
    verification::AppendRow(list, r);
    EXPECT_TRUE(TExcel_BCB::Suitable(d, list));
    d.inspectionPassed = 0;
    EXPECT_FALSE(TExcel_BCB::Suitable(d, list));
    d.inspectionPassed = 1;
    list.rows[1].pass = 0;
    EXPECT_FALSE(TExcel_BCB::Suitable(d, list));
    verification::RemoveRow(list, 1);
    EXPECT_TRUE(TExcel_BCB::Suitable(d, list));

    // the decision rule and the coverage factor the protocol states
    EXPECT_EQ(
        TExcel_BCB::DecisionRuleText(d),
        QStringLiteral("простая приёмка (соответствует при |Δ| ≤ Δдоп); неопределённость U с коэффициентом "
                       "охвата k = 1"));
    d.decisionRule = 1;
    d.verificationType = 1;
    EXPECT_EQ(TExcel_BCB::DecisionRuleText(d),
              QStringLiteral("защитная полоса w = U (соответствует при |Δ| + U ≤ Δдоп); неопределённость U с "
                             "коэффициентом охвата k = 2"));
    d.decisionRule = 0;
    d.verificationType = 0;
    // a value that is not a number is a dash, never "nan"
    EXPECT_EQ(DecimalText(std::numeric_limits<float>::quiet_NaN(), 2), QStringLiteral("—"));
    EXPECT_EQ(DecimalText(-std::numeric_limits<float>::infinity(), 2), QStringLiteral("—"));
    d.device.rangeLow = std::numeric_limits<float>::quiet_NaN();
    d.device.rangeHigh = 16;
    EXPECT_EQ(TExcel_BCB::RangeText(d, {}, {}), QStringLiteral("—...16.0"));

    d.device.rangeLow = 0;
    d.device.rangeHigh = 0.5f;
    EXPECT_EQ(TExcel_BCB::RangeText(d, {}, {}), QStringLiteral("0.000...0.500"));
    d.device.rangeHigh = 600;
    EXPECT_EQ(TExcel_BCB::RangeText(d, {}, {}), QStringLiteral("0...600"));
    d.device.rangeHigh = 16;
    EXPECT_EQ(TExcel_BCB::RangeText(d, {}, {}), QStringLiteral("0.0...16.0"));
    d.verificationType = 1;
    EXPECT_EQ(TExcel_BCB::RangeText(d, QStringLiteral("-50"), QStringLiteral("150")),
              QStringLiteral("-50...150"));
}

TEST(ResultList, AppendRemoveClear)
{
    verification::ResultList list;
    verification::ResultRow r;
    for (int i = 0; i < verification::kMaxRows; ++i) {
        r.reference = float(i);
        ASSERT_EQ(verification::AppendRow(list, r), i + 1);
    }
    EXPECT_EQ(verification::AppendRow(list, r), -1);
    EXPECT_EQ(verification::RemoveRow(list, 200), -1);
    EXPECT_EQ(verification::RemoveRow(list, 0), 199);
    EXPECT_EQ(list.rows[0].reference, 1.0f);
    EXPECT_EQ(list.rows[199].reference, 0.0f);
    verification::ClearRows(list);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.hasData, 1);
}

namespace {

class Protocols : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!office::Session::Installed()) return;
        started = office::Session::Shared().Start() == office::StartOk;
    }
    static void TearDownTestSuite() { office::ShutdownOffice(); }
    void SetUp() override
    {
        if (!started) GTEST_SKIP() << "LibreOffice (libreoffice-calc) is needed for protocol tests";
        data = ProtocolData();
        results = verification::ResultList();
        data.decimals = 2;
        data.errorCoefficient = 1;
        data.inspectionPassed = 1;
        data.isPeriodic = 1;
        data.device.permissibleError = 0.25f;
        data.device.rangeLow = 0;
        data.device.rangeHigh = 1000;
        data.device.signalLow = 4;
        data.device.signalHigh = 20;
        platform::SetText(data.device.serial, QStringLiteral("12/3"));
        platform::SetText(data.device.units, QStringLiteral("кПа"));
        platform::SetText(data.device.signalUnits, QStringLiteral("мА"));
        platform::SetText(data.protocolNumber, QStringLiteral("П-17"));
        platform::SetText(data.protocolDate, QStringLiteral("10.12.2026"));
        platform::SetText(data.airTemperature, QStringLiteral("21.5"));
        Points(3);
    }
    void Points(int n)
    {
        results = verification::ResultList();
        for (int i = 0; i < n; ++i) {
            verification::ResultRow r;
            r.reference = 2.5f + 250.0f * float(i);
            r.measured = r.reference + 0.1f;
            r.referenceSignal = 4 + 16 * r.reference / 1000;
            r.measuredSignal = r.referenceSignal + 0.001f;
            r.error = 0.01f * float(i % 10);
            r.tolerance = 0.25f;
            r.pass = 1;
            r.uncertainty = 0.05f;
            r.rangeHigh = 1000;
            verification::AppendRow(results, r);
        }
    }
    // the "amp_" controls of the results and report parameter pages, in component order
    std::vector<AmpField> Amp() const
    {
        std::vector<AmpField> amp;
        const std::pair<const char*, const char*> fields[] = {
            {"amp_D1_NOTES", "нет"},
            {"amp_D1_CHECK_THT", "соответствует"},
            {"amp_D1_CHECK_USG", "соответствует"},
            {"amp_D1_CHECK_EL", "соответствует"},
            {"amp_D1_CHECK_R", "соответствует"},
            {"amp_D1_OWNER", "ООО Заказчик"},
            {"amp_D1_NAME", "Датчик"},
            {"amp_D1_TYPE", "ДД-1"},
            {"amp_D1_SERIAL", "12/3"},
            {"amp_D1_INV", "0012"},
            {"amp_VR_D1_DOC", "МП 1-2026"},
            {"amp_CD_TEMP", "21.5"},
            {"amp_CD_HUM", "45"},
            {"amp_CD_PRES", "750"},
            {"amp_CD_DATE", "10.12.2026"},
            {"amp_CD_VERIF_POS", "поверитель"},
            {"amp_CD_CHEF_POS", "начальник"},
            {"amp_CD_VERIF", "Иванов И.И."},
            {"amp_CD_CHEF", "Петров П.П."},
            {"amp_CD_ORG", "Лаборатория №1"},
            {"amp_CD_CRT_NUM", "RA.RU.1"},
            {"amp_CD_ADDRESS", "г. Город"},
            {"amp_D1_SH_NUM", "П-17"},
            {"amp_CD_VRCOEFF", "1"},
        };
        for (const auto& [n, t] : fields)
            amp.push_back({QString::fromUtf8(n), QString::fromUtf8(t)});
        return amp;
    }
    int Make(const QString& templateName, const QString& dir)
    {
        TExcel_BCB maker(data, results, job, dir);
        const int r = maker.MakeProtocol(kTemplates, templateName, false, Amp());
        output = maker.OutputPath();
        return r;
    }
    static QString AllSheets(office::Document& doc)
    {
        QString all;
        for (int i = 0; i < doc.SheetCount(); ++i)
            all += Joined(doc.UsedArea(i)) + QLatin1Char('\n');
        return all;
    }

    static inline bool started = false;
    QTemporaryDir reports;
    ProtocolData data;
    verification::ResultList results;
    ReplaceJob job;
    QString output;
    platform::ScopedMessageRecorder messages;
    office::ScopedDesktopRecorder desktop; // nothing is opened on a desktop by the tests
};

} // namespace

TEST_F(Protocols, EveryShippedTemplateFilledStoredWithItsPdfAndHandedToTheDesktop)
{
    for (const QString& t : {kPressure, kTemperature, kSecondary}) {
        QTemporaryDir out;
        desktop.Clear();
        ASSERT_EQ(Make(t, out.path()), 0)
            << t.toStdString() << messages.Texts().join(QLatin1Char(';')).toStdString();
        EXPECT_EQ(output, out.filePath(QStringLiteral("Протокол поверки №12_3 .xls")));
        // stored, closed, and opened by the user's own office; the PDF beside it
        EXPECT_EQ(desktop.Opened(), QStringList{output});
        QFile pdf(OOCalcAuto::PdfPath(output));
        EXPECT_EQ(pdf.fileName(), out.filePath(QStringLiteral("Протокол поверки №12_3 .pdf")));
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly)) << t.toStdString();
        EXPECT_TRUE(pdf.read(5) == "%PDF-") << t.toStdString();
        office::Document doc;
        ASSERT_TRUE(doc.Open(output)) << output.toStdString();
        ASSERT_EQ(doc.SheetCount(), 3);
        EXPECT_EQ(doc.SheetName(0), QStringLiteral("Протокол 12_3  (к.1)"));
        EXPECT_EQ(doc.SheetName(1), QStringLiteral("свидетельство 12_3 (к.1)"));
        EXPECT_EQ(doc.SheetName(2),
                  QStringLiteral("&DEV_VER_1")); // suitable: the notice is hidden, not renamed
        EXPECT_FALSE(doc.SheetVisible(2));
        EXPECT_TRUE(doc.SheetVisible(0));
        const QString sheet = Joined(doc.UsedArea(0));
        EXPECT_FALSE(sheet.contains(QLatin1Char('&'))) << sheet.toStdString();
        EXPECT_TRUE(sheet.contains(QStringLiteral("ПРОТОКОЛ периодической поверки № П-17")));
        EXPECT_TRUE(sheet.contains(QStringLiteral("температура воздуха: 21.5°С")));
        EXPECT_TRUE(sheet.contains(QStringLiteral("пригодно к применению")));
        EXPECT_TRUE(sheet.contains(QStringLiteral("Иванов И.И.")));
        EXPECT_FALSE(sheet.contains(QStringLiteral("Неопределённость, %")));
        // the point table: three rows in order, the marker row last, numbered
        int c = 0, r = 0;
        ASSERT_TRUE(doc.Find(0, QStringLiteral("2.50"), &c, &r));
        EXPECT_EQ(doc.CellText(0, c, r + 1), QStringLiteral("252.50"));
        EXPECT_EQ(doc.CellText(0, c, r + 2), QStringLiteral("502.50"));
        EXPECT_EQ(doc.CellText(0, c - 1, r), QStringLiteral("0...1000"));
        EXPECT_EQ(doc.CellText(0, c + 4, r + 2), QStringLiteral("0.02"));
        EXPECT_EQ(doc.CellText(0, c + 5, r + 1), QStringLiteral("0.25"));
        EXPECT_EQ(doc.CellNumber(0, 0, r + 2), 3.0);
        EXPECT_TRUE(doc.CellText(0, c, r + 3).isEmpty());
    }
}

TEST_F(Protocols, CellsKeepTheTextAsTyped)
{
    // The office would read "12/3" as a date, "0012" as the number 12 and (in a Russian locale)
    // "10.12.2026" as a date: every placeholder value must stay the text typed.
    ASSERT_EQ(Make(kPressure, reports.path()), 0);
    office::Document doc;
    ASSERT_TRUE(doc.Open(output));
    struct Where {
        int sheet;
        const char* text;
    } cells[] = {{0, "12/3"}, {0, "0012"}, {0, "10.12.2026"}, {1, "12/3"}};
    for (const Where& w : cells) {
        const QString text = QString::fromUtf8(w.text);
        int c = -1, r = -1;
        ASSERT_TRUE(FindExact(doc, w.sheet, text, &c, &r)) << w.text << " on sheet " << w.sheet;
        EXPECT_EQ(doc.TypeOf(w.sheet, c, r), office::CellType::Text) << w.text;
        EXPECT_EQ(doc.CellText(w.sheet, c, r), text) << w.text;
    }
    // numbers of the point table are written with '.' whatever the locale
    int c = 0, r = 0;
    EXPECT_TRUE(doc.Find(0, QStringLiteral("252.50"), &c, &r));
    EXPECT_EQ(doc.TypeOf(0, c, r), office::CellType::Text);
}

TEST_F(Protocols, TwoHundredPointsTakeTheDataRowStyleAndTheirNumbers)
{
    Points(200);
    data.decimals = 9; // more than a protocol has: six are written
    ASSERT_EQ(Make(kTemperature, reports.path()), 0);
    office::Document doc;
    ASSERT_TRUE(doc.Open(output));
    int c = 0, first = 0;
    ASSERT_TRUE(doc.Find(0, QStringLiteral("2.500000"), &c, &first));
    const office::CellFormat header = doc.FormatOf(0, 0, first - 1);
    EXPECT_TRUE(header.bold);
    EXPECT_NE(header.background, -1);
    for (int i = 0; i < 200; ++i) {
        const int row = first + i;
        EXPECT_EQ(doc.CellNumber(0, 0, row), double(i + 1)) << "row " << i;
        EXPECT_EQ(doc.CellText(0, c, row),
                  QString::fromStdString(platform::FormatFixed(double(2.5f + 250.0f * float(i)), 6)))
            << "row " << i;
        for (int column : {0, c, c + 6}) {
            const office::CellFormat f = doc.FormatOf(0, column, row);
            EXPECT_FALSE(f.bold) << "row " << i << " column " << column;
            EXPECT_EQ(f.background, -1) << "row " << i << " column " << column;
            EXPECT_TRUE(f.wrapped) << "row " << i << " column " << column; // the grid style of the data row
        }
    }
    EXPECT_TRUE(doc.CellText(0, c, first + 200).isEmpty());
    EXPECT_TRUE(QFileInfo(OOCalcAuto::PdfPath(output)).size() > 0);
}

TEST_F(Protocols, CalibrationTemplatesHoldNoVerificationWords)
{
    data.isCalibration = 1;
    for (const QString& t : {kPressureCalibration, kTemperatureCalibration, kSecondaryCalibration}) {
        QTemporaryDir out;
        ASSERT_EQ(Make(t, out.path()), 0) << t.toStdString();
        EXPECT_EQ(output, out.filePath(QStringLiteral("Протокол калибовки №12_3 .xls")));
        office::Document doc;
        ASSERT_TRUE(doc.Open(output));
        ASSERT_EQ(doc.SheetCount(), 2);
        EXPECT_EQ(doc.SheetName(0), QStringLiteral("Протокол 12_3  (к.1)"));
        EXPECT_EQ(doc.SheetName(1), QStringLiteral("сертификат 12_3 (к.1)"));
        const QString all = AllSheets(doc);
        EXPECT_FALSE(all.contains(QLatin1Char('&'))) << t.toStdString() << all.toStdString();
        EXPECT_FALSE(all.contains(QStringLiteral("поверк"))) << t.toStdString();
        EXPECT_TRUE(all.contains(QStringLiteral("ПРОТОКОЛ калибровки № П-17")));
    }
}

TEST_F(Protocols, CalibrationKeepsTheVerificationOnlyPlaceholders)
{
    data.isCalibration = 1;
    ASSERT_EQ(Make(kPressure, reports.path()), 0);
    EXPECT_TRUE(output.endsWith(QStringLiteral("Протокол калибовки №12_3 .xls")));
    office::Document doc;
    ASSERT_TRUE(doc.Open(output));
    const QString sheet = Joined(doc.UsedArea(0));
    EXPECT_TRUE(sheet.contains(QStringLiteral("&VR_D1_TYPE_OF")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("&VR_D1_SUITABLE")));
    EXPECT_TRUE(sheet.contains(QStringLiteral("П-17"))); // &D1_SH_NUM from its "amp_" control
}

TEST_F(Protocols, UnsuitableHidesTheCertificate)
{
    results.rows[2].error = 0.3f;
    results.rows[2].pass = 0;
    platform::SetText(data.device.serial, QStringLiteral("%1-7")); // sheet names take it as it is
    ASSERT_EQ(Make(kPressure, reports.path()), 0);
    office::Document doc;
    ASSERT_TRUE(doc.Open(output));
    EXPECT_EQ(doc.SheetName(0), QStringLiteral("Протокол %1-7  (к.1)"));
    EXPECT_EQ(doc.SheetName(1), QStringLiteral("&DEV_VCR_1"));
    EXPECT_FALSE(doc.SheetVisible(1));
    EXPECT_EQ(doc.SheetName(2), QStringLiteral("извещение %1-7 (к.1)"));
    EXPECT_TRUE(Joined(doc.UsedArea(0)).contains(QStringLiteral("не пригодно к применению")));
}

TEST_F(Protocols, EachKindStatesTheTablesVerdictWithEachPointsToleranceAndRatio)
{
    const QString templates[3] = {kPressure, kTemperature, kSecondary};
    for (int kind = 0; kind < 3; ++kind) {
        QTemporaryDir out;
        data.verificationType = kind;
        data.device.permissibleError = 9; // the record's; every point has its own
        Points(3);
        const float tolerances[3] = {0.25f, 0.5f, 1.0f};
        for (int i = 0; i < 3; ++i)
            results.rows[i].tolerance = tolerances[i];
        results.rows[0].uncertainty = 0.625f;
        results.rows[1].uncertainty = std::numeric_limits<float>::quiet_NaN(); // not rated
        results.rows[2].pass = 0; // failed in the table, whatever its error
        ASSERT_EQ(Make(templates[kind], out.path()), 0) << kind;
        office::Document doc;
        ASSERT_TRUE(doc.Open(output));
        ASSERT_EQ(doc.SheetCount(), 3);
        EXPECT_EQ(doc.SheetName(1), QStringLiteral("&DEV_VCR_1")) << kind; // no certificate
        EXPECT_FALSE(doc.SheetVisible(1)) << kind;
        EXPECT_EQ(doc.SheetName(2), QStringLiteral("извещение 12_3 (к.1)")) << kind;
        const QString sheet = Joined(doc.UsedArea(0));
        EXPECT_TRUE(sheet.contains(QStringLiteral("не пригодно к применению"))) << kind;
        EXPECT_TRUE(sheet.contains(QStringLiteral("Результаты поверки отрицательные"))) << kind;
        EXPECT_TRUE(
            sheet.contains(QStringLiteral("Правило принятия решения: ") + TExcel_BCB::DecisionRuleText(data)))
            << kind;
        const QString shown =
            Joined(doc.UsedArea(0)) + Joined(doc.UsedArea(2)); // the hidden one is left as it is
        EXPECT_FALSE(shown.contains(QLatin1Char('&'))) << kind << shown.toStdString();
        EXPECT_FALSE(shown.contains(QStringLiteral("nan"), Qt::CaseInsensitive)) << kind;
        int c = 0, r = 0;
        ASSERT_TRUE(doc.Find(0, QStringLiteral("2.50"), &c, &r)) << kind;
        EXPECT_EQ(doc.CellText(0, c + 5, r), QStringLiteral("0.25")) << kind;
        EXPECT_EQ(doc.CellText(0, c + 5, r + 1), QStringLiteral("0.50")) << kind;
        EXPECT_EQ(doc.CellText(0, c + 5, r + 2), QStringLiteral("1.00")) << kind;
        EXPECT_EQ(doc.CellText(0, c + 6, r + 1), QStringLiteral("—")) << kind;
        // the ratio: 0.25 % against 0.625 of a 1000 range is 4; a temperature point's U is in °C
        EXPECT_EQ(doc.CellText(0, c + 7, r), kind == 1 ? QStringLiteral("0.4") : QStringLiteral("4.0"))
            << kind;
        EXPECT_EQ(doc.CellText(0, c + 7, r + 1), QStringLiteral("—")) << kind;
        EXPECT_EQ(doc.CellText(0, c + 7, r - 1), QStringLiteral("TUR")) << kind;
    }
    // every point passed in the table: suitable, even with errors beyond the record's tolerance
    // and an unfilled coefficient
    data.verificationType = 0;
    data.errorCoefficient = 0;
    data.device.permissibleError = 0.001f;
    Points(3);
    ASSERT_EQ(Make(kPressure, reports.path()), 0);
    office::Document doc;
    ASSERT_TRUE(doc.Open(output));
    EXPECT_EQ(doc.SheetName(1), QStringLiteral("свидетельство 12_3 (к.1)"));
    EXPECT_EQ(doc.SheetName(2), QStringLiteral("&DEV_VER_1"));
    EXPECT_TRUE(Joined(doc.UsedArea(0)).contains(QStringLiteral("средство измерений пригодно к применению")));
}

TEST_F(Protocols, FailuresAreReportedInTheErrorBox)
{
    EXPECT_EQ(Make(QStringLiteral("no such template.xls"), reports.path()), -16);
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_EQ(messages.Entries()[0].caption, QStringLiteral("Ошибка создания протокола"));
    EXPECT_EQ(messages.Entries()[0].text, QStringLiteral("Файл шаблона не существует"));
    messages.Clear();
    // a reports folder that cannot exist (its parent is a file): the copy cannot be created
    const QString file = reports.filePath(QStringLiteral("a-file"));
    QFile(file).open(QIODevice::WriteOnly);
    EXPECT_EQ(Make(kPressure, file + QStringLiteral("/reports")), -19);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Невозможно создать файла потокола")});
    EXPECT_TRUE(desktop.Opened().isEmpty());
}

TEST_F(Protocols, AHungOfficeEndsTheRunWithinItsLimitAndTheNextRunStartsAFreshOne)
{
    office::Session& session = office::Session::Shared();
    const office::TimeLimits saved = session.Limits();
    office::TimeLimits quick = saved;
    quick.connectMs = 2000;
    quick.fillMs = 3000;
    session.SetLimits(quick);
    ASSERT_EQ(session.Start(), office::StartOk);
    const int hung = session.Pid();
    const QString profile = session.Profile();
    ASSERT_GT(hung, 0);
    ASSERT_EQ(kill(hung, SIGSTOP), 0); // as a modal dialog or a stuck office would be
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Make(kPressure, reports.path()), -2);
    EXPECT_LT(clock.elapsed(), 15000);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Нет доступа к серверу автоматизации")});
    EXPECT_FALSE(QFileInfo::exists(output)); // no half-made protocol left in its place
    EXPECT_TRUE(desktop.Opened().isEmpty());
    EXPECT_FALSE(platform::ProcessExists(hung));
    EXPECT_FALSE(QFileInfo::exists(profile));
    session.SetLimits(saved);
    messages.Clear();
    ASSERT_EQ(Make(kPressure, reports.path()), 0) << messages.Texts().join(QLatin1Char(';')).toStdString();
    EXPECT_GT(session.Pid(), 0);
    EXPECT_NE(session.Pid(), hung);
    // one office serves every run until it is shut down
    const int pid = session.Pid();
    ASSERT_EQ(Make(kTemperature, reports.path()), 0);
    EXPECT_EQ(session.Pid(), pid);
    const QString now = session.Profile();
    office::ShutdownOffice();
    EXPECT_FALSE(platform::ProcessExists(pid));
    EXPECT_FALSE(QFileInfo::exists(now));
    EXPECT_EQ(session.Start(), office::StartOk); // for the tests that follow
}

TEST_F(Protocols, NothingToReportAndNoExcel)
{
    results = verification::ResultList();
    EXPECT_EQ(Make(kPressure, reports.path()), -1);
    EXPECT_TRUE(messages.Entries().empty());
    SetUp();
    TExcel_BCB maker(data, results, job, reports.path());
    EXPECT_EQ(maker.MakeProtocol(kTemplates, kPressure, true, {}), -2);
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Нет доступа к серверу автоматизации")});
    EXPECT_FALSE(QFileInfo::exists(maker.OutputPath()));
    EXPECT_FALSE(DetectOfficeSuites().excel);
    EXPECT_TRUE(DetectOfficeSuites().libreOffice);
}
