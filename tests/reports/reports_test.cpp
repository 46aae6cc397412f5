// The replacement job, the protocol data and the protocol maker against a real headless
// LibreOffice with a private profile.
#include "office/office.h"
#include "platform/cp1251.h"
#include "platform/messageservice.h"
#include "reports/oocalcauto.h"
#include "reports/protocolmaker.h"
#include "tests/support/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace reports;

namespace {

const QString kTemplates = QStringLiteral(LORIK_BIN_DIR "/template_xml");
const QString kPressure = QStringLiteral("Протокол поверки датчика давления.xls");
const QString kTemperature = QStringLiteral("Протокол поверки датчика температуры.xls");
const QString kSecondary = QStringLiteral("Протокол поверки вторичного прибора.xls");

QString Joined(const std::vector<QStringList>& area)
{
    QStringList lines;
    for (const QStringList& r : area) lines << r.join(QLatin1Char('|'));
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
    const QString noDot = dir.filePath(QStringLiteral("plain"));
    QFile(noDot).open(QIODevice::WriteOnly);
    EXPECT_EQ(job.SetFiles(QStringLiteral("t.xls"), noDot), -1);

    EXPECT_EQ(job.AddHiddenSheet(QStringLiteral("&DEV_VER_"), 1), -2);
    for (int i = 0; i < kMaxHiddenSheets; ++i) EXPECT_EQ(job.AddHiddenSheet(QStringLiteral("S%d"), i), 0);
    EXPECT_EQ(job.AddHiddenSheet(QStringLiteral("S%d"), 99), -1);
    for (int i = 0; i < kMaxPairs; ++i) ASSERT_EQ(job.Add_ReplacePair(QStringLiteral("#%1#").arg(i, 5, 10, QLatin1Char('0')), QString()), 0);
    EXPECT_EQ(job.Add_ReplacePair(QStringLiteral("&X"), QString()), -1);
    for (int i = 0; i < kMaxRowKeys; ++i) EXPECT_EQ(job.AddRowKey(QStringLiteral("&K%1_I").arg(i)), 0);
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
    EXPECT_TRUE(messages.Entries()[0].text.contains(QStringLiteral("Добавляется идентификатор  &CD_TEMP_FULL")));
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

    d.inspectionPassed = 1;
    d.pointCount = 1;
    d.device.permissibleError = 0.5f;
    d.errorCoefficient = 1;
    d.points[0].device[0].error = -0.5f; // exactly at the limit passes
    EXPECT_TRUE(TExcel_BCB::Suitable(d));
    d.errorCoefficient = 0;
    EXPECT_FALSE(TExcel_BCB::Suitable(d));
    d.errorCoefficient = 1;
    d.inspectionPassed = 0;
    EXPECT_FALSE(TExcel_BCB::Suitable(d));

    d.device.rangeLow = 0;
    d.device.rangeHigh = 0.5f;
    EXPECT_EQ(TExcel_BCB::RangeText(d, {}, {}), QStringLiteral("0.000...0.500"));
    d.device.rangeHigh = 600;
    EXPECT_EQ(TExcel_BCB::RangeText(d, {}, {}), QStringLiteral("0...600"));
    d.device.rangeHigh = 16;
    EXPECT_EQ(TExcel_BCB::RangeText(d, {}, {}), QStringLiteral("0.0...16.0"));
    d.verificationType = 1;
    EXPECT_EQ(TExcel_BCB::RangeText(d, QStringLiteral("-50"), QStringLiteral("150")), QStringLiteral("-50...150"));
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
        profile = new QTemporaryDir;
        qputenv("LORIK_OFFICE_PROFILE", profile->path().toLocal8Bit());
        qputenv("LORIK_OFFICE_HEADLESS", "1");
        if (!office::Session::Installed()) return;
        connected = office::Session::Shared().Connect() == office::ConnectOk;
    }
    static void TearDownTestSuite()
    {
        office::Session::Shared().Shutdown();
        delete profile;
    }
    void SetUp() override
    {
        if (!connected) GTEST_SKIP() << "LibreOffice (libreoffice-calc) is needed for protocol tests";
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
        for (int i = 0; i < 3; ++i) {
            verification::ResultRow r;
            r.reference = 2.5f + 250.0f * float(i);
            r.measured = r.reference + 0.1f;
            r.referenceSignal = 4 + 16 * r.reference / 1000;
            r.measuredSignal = r.referenceSignal + 0.001f;
            r.error = 0.01f * float(i);
            r.uncertainty = 0.05f;
            verification::AppendRow(results, r);
        }
    }
    // the "amp_" controls of the results and report parameter pages, in component order
    std::vector<AmpField> Amp() const
    {
        std::vector<AmpField> amp;
        const std::pair<const char*, const char*> fields[] = {
            {"amp_D1_NOTES", "нет"},          {"amp_D1_CHECK_THT", "соответствует"}, {"amp_D1_CHECK_USG", "соответствует"},
            {"amp_D1_CHECK_EL", "соответствует"}, {"amp_D1_CHECK_R", "соответствует"}, {"amp_D1_OWNER", "ООО Заказчик"},
            {"amp_D1_NAME", "Датчик"},        {"amp_D1_TYPE", "ДД-1"},                {"amp_D1_SERIAL", "12/3"},
            {"amp_D1_INV", "77"},             {"amp_VR_D1_DOC", "МП 1-2026"},         {"amp_CD_TEMP", "21.5"},
            {"amp_CD_HUM", "45"},             {"amp_CD_PRES", "750"},                 {"amp_CD_DATE", "10.12.2026"},
            {"amp_CD_VERIF_POS", "поверитель"}, {"amp_CD_CHEF_POS", "начальник"},      {"amp_CD_VERIF", "Иванов И.И."},
            {"amp_CD_CHEF", "Петров П.П."},   {"amp_CD_ORG", "Лаборатория №1"},       {"amp_CD_CRT_NUM", "RA.RU.1"},
            {"amp_CD_ADDRESS", "г. Город"},   {"amp_D1_SH_NUM", "П-17"},              {"amp_CD_VRCOEFF", "1"},
        };
        for (const auto& [n, t] : fields) amp.push_back({QString::fromUtf8(n), QString::fromUtf8(t)});
        return amp;
    }
    int Make(const QString& templateName, const QString& dir)
    {
        TExcel_BCB maker(data, results, job, dir);
        const int r = maker.MakeProtocol(kTemplates, templateName, false, Amp());
        output = maker.OutputPath();
        return r;
    }

    static inline QTemporaryDir* profile = nullptr;
    static inline bool connected = false;
    QTemporaryDir reports;
    ProtocolData data;
    verification::ResultList results;
    ReplaceJob job;
    QString output;
    platform::ScopedMessageRecorder messages;
};

} // namespace

TEST_F(Protocols, EveryShippedTemplateFilledAndStored)
{
    for (const QString& t : {kPressure, kTemperature, kSecondary}) {
        ASSERT_EQ(Make(t, reports.path()), 0) << t.toStdString() << messages.Texts().join(QLatin1Char(';')).toStdString();
        EXPECT_TRUE(output.endsWith(QStringLiteral("Протокол поверки №12_3 .xls")) ||
                    output.endsWith(QStringLiteral("Протокол поверки №12_3 (1).xls")) ||
                    output.endsWith(QStringLiteral("Протокол поверки №12_3 (2).xls")))
            << output.toStdString();
        office::Document doc;
        ASSERT_TRUE(doc.Open(output)) << output.toStdString();
        ASSERT_EQ(doc.SheetCount(), 4);
        EXPECT_EQ(doc.SheetName(0), QStringLiteral("Протокол 12_3  (к.1)"));
        EXPECT_EQ(doc.SheetName(1), QStringLiteral("свидетельство 12_3 (к.1)"));
        EXPECT_EQ(doc.SheetName(2), QStringLiteral("&DEV_VER_1")); // suitable: the notice is hidden, not renamed
        EXPECT_FALSE(doc.SheetVisible(2));
        EXPECT_TRUE(doc.SheetVisible(0));
        const QString sheet = Joined(doc.UsedArea(0));
        EXPECT_FALSE(sheet.contains(QLatin1Char('&'))) << sheet.toStdString();
        EXPECT_TRUE(sheet.contains(QStringLiteral("ПРОТОКОЛ периодической поверки № П-17")));
        EXPECT_TRUE(sheet.contains(QStringLiteral("температура воздуха: 21.5°С")));
        EXPECT_TRUE(sheet.contains(QStringLiteral("пригодно к применению")));
        EXPECT_TRUE(sheet.contains(QStringLiteral("Иванов И.И.")));
        // the point table: three rows in order, the marker row last
        int c = 0, r = 0;
        ASSERT_TRUE(doc.Find(0, QStringLiteral("2.50"), &c, &r));
        EXPECT_EQ(doc.CellText(0, c, r + 1), QStringLiteral("252.50"));
        EXPECT_EQ(doc.CellText(0, c, r + 2), QStringLiteral("502.50"));
        EXPECT_EQ(doc.CellText(0, c - 1, r), QStringLiteral("0...1000"));
        EXPECT_EQ(doc.CellText(0, c + 4, r + 2), QStringLiteral("0.02"));
        EXPECT_EQ(doc.CellText(0, c + 5, r + 1), QStringLiteral("0.25"));
        EXPECT_TRUE(doc.CellText(0, c, r + 3).isEmpty() || !doc.CellText(0, c, r + 3).contains(QLatin1Char('.')));
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
    ASSERT_EQ(Make(kPressure, reports.path()), 0);
    office::Document doc;
    ASSERT_TRUE(doc.Open(output));
    EXPECT_EQ(doc.SheetName(1), QStringLiteral("&DEV_VCR_1"));
    EXPECT_FALSE(doc.SheetVisible(1));
    EXPECT_EQ(doc.SheetName(2), QStringLiteral("извещение 12_3 (к.1)"));
    EXPECT_TRUE(Joined(doc.UsedArea(0)).contains(QStringLiteral("не пригодно к применению")));
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
    EXPECT_EQ(messages.Texts(), QStringList {QStringLiteral("Невозможно создать файла потокола")});
}

TEST_F(Protocols, NothingToReportAndNoExcel)
{
    results = verification::ResultList();
    EXPECT_EQ(Make(kPressure, reports.path()), -1);
    EXPECT_TRUE(messages.Entries().empty());
    SetUp();
    TExcel_BCB maker(data, results, job, reports.path());
    EXPECT_EQ(maker.MakeProtocol(kTemplates, kPressure, true, {}), -2);
    EXPECT_EQ(messages.Texts(), QStringList {QStringLiteral("Нет доступа к серверу автоматизации")});
    EXPECT_FALSE(DetectOfficeSuites().excel);
    EXPECT_TRUE(DetectOfficeSuites().libreOffice);
}
