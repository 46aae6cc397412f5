// The results page: the table and its buttons, the inspection verdict, the template choice, the
// "amp_" fields, the office choice and the protocol through the protocol maker module (the real one
// against a headless LibreOffice, and stand-ins that cannot load), and the crash journal, down to a
// child process killed after adding three rows.
#include "platform/cp1251.h"
#include "platform/messageservice.h"
#include "platform/process.h"
#include "reports/protocolmodule.h"
#include "sensors/labelededit.h"
#include "tests/support/fake_host.h"
#include "verification/resultsframe.h"
#include "verification/resultsmodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <limits>
#include <thread>

#include <dlfcn.h>
#include <unistd.h>

using namespace verification;

// Failure messages show texts as texts.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kTemplates = QStringLiteral(LORIK_BIN_DIR "/template_xml");
const QString kLibraryMissing = QStringLiteral("Библиотека libprotocolmaker.so не найдена!");
const float kNan = std::numeric_limits<float>::quiet_NaN();

ResultRow Row(float reference, float error, float tolerance, int pass, float u = 0.05f)
{
    ResultRow r;
    r.reference = reference;
    r.referenceSignal = 4 + reference / 1000 * 16;
    r.measured = reference + error * 10;
    r.measuredSignal = r.referenceSignal + 0.001f;
    r.error = error;
    r.tolerance = tolerance;
    r.pass = pass;
    r.uncertainty = u;
    r.rangeLow = 0;
    r.rangeHigh = 1000;
    return r;
}

bool LibreOfficeInstalled()
{
    return QFileInfo::exists(QStringLiteral("/usr/lib/libreoffice/program/soffice.bin"));
}

// The offices of this process's protocol maker: processes whose profile is the module's.
int MakerOffices()
{
    const QString root = qEnvironmentVariable("LORIK_OFFICE_PROFILE");
    if (root.isEmpty()) return -1;
    const QByteArray profile =
        QByteArray("-env:UserInstallation=") +
        QUrl::fromLocalFile(root + QStringLiteral("/libprotocolmaker.so-%1").arg(getpid())).toEncoded();
    int n = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (f.open(QIODevice::ReadOnly) && f.readAll().split('\0').contains(profile)) ++n;
    }
    return n;
}

class ResultsPage : public ::testing::Test {
protected:
    ResultsPage()
    {
        host.dataDir = dir.path();
        host.templateDir = kTemplates;
        host.window = &window;
        data.decimals = 2;
        frame = new TFrame_Chk_result(&host, &window, data);
    }
    void Rows(std::initializer_list<ResultRow> rows)
    {
        for (const ResultRow& r : rows)
            AppendRow(Results(), r);
    }
    static void Select(QComboBox* cb, int index) { cb->setCurrentIndex(index); }
    void AllInspectionsPass()
    {
        for (QComboBox* cb : {frame->amp_D1_CHECK_THT, frame->amp_D1_CHECK_USG, frame->amp_D1_CHECK_EL,
                              frame->amp_D1_CHECK_R})
            Select(cb, 0);
    }
    int SelectedRow() const
    {
        const QModelIndexList s = frame->lv_Results->selectionModel()->selectedRows();
        return s.isEmpty() ? -1 : s.first().row();
    }

    QTemporaryDir dir;
    platform::ScopedMessageRecorder messages;
    testsupport::FakePageHost host;
    reports::ProtocolData data;
    QWidget window;
    TFrame_Chk_result* frame;
};

} // namespace

TEST_F(ResultsPage, TheTableShowsTheListInBothModes)
{
    // nothing to do with an empty list
    EXPECT_EQ(Results().count, 0);
    frame->RefreshResults();
    EXPECT_FALSE(frame->ToExcell->isEnabled());
    EXPECT_FALSE(frame->BitBtnClear->isEnabled());
    EXPECT_FALSE(frame->Btn_RemoveLine->isEnabled());

    // the list's observer refreshes the table, whoever changes the list
    Rows({Row(2.5f, 0.01f, 0.25f, 1, 0.625f), Row(250, 0.3f, 0.25f, 0, 1.0f),
          Row(500, 0.02f, 0.25f, 1, kNan)});
    const TResultsModel& m = *frame->Model();
    ASSERT_EQ(m.rowCount(), 3);
    EXPECT_TRUE(frame->ToExcell->isEnabled());
    EXPECT_TRUE(frame->BitBtnClear->isEnabled());
    EXPECT_FALSE(frame->Btn_RemoveLine->isEnabled()); // until a line is selected

    frame->SetVerification(true);
    frame->RefreshResults();
    const QStringList captions = {QStringLiteral("    №"),      QStringLiteral("Эталон"),
                                  QStringLiteral("Измеренное"), QStringLiteral("Погрешность, %"),
                                  QStringLiteral("Допуск, %"),  QStringLiteral("Результат"),
                                  QStringLiteral("TUR")};
    for (int c = 0; c < captions.size(); ++c)
        EXPECT_EQ(m.headerData(c, Qt::Horizontal).toString(), captions[c]) << c;
    EXPECT_EQ(m.Text(0, 0), QStringLiteral("1"));
    EXPECT_EQ(m.Text(0, 1), QStringLiteral("2.50"));
    EXPECT_EQ(m.Text(1, 3), QStringLiteral("0.30"));
    EXPECT_EQ(m.Text(1, 4), QStringLiteral("0.25"));
    EXPECT_EQ(m.Text(0, 5), QStringLiteral("cоответствует")); // a Latin "c", as ever
    EXPECT_EQ(m.Text(1, 5), QStringLiteral("Не соответствует"));
    // the failing point is red in every column; the others black
    for (int c = 0; c < TResultsModel::ColumnCount; ++c) {
        EXPECT_EQ(m.data(m.index(1, c), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0)) << c;
        if (c != TResultsModel::ColTur) {
            EXPECT_EQ(m.data(m.index(0, c), Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0)) << c;
        }
    }
    // the ratio: 0.25 % against U = 0.625 kPa of a 1000 kPa range is 4; U = 1 kPa gives 2.5 (red);
    // without U there is none
    EXPECT_EQ(m.Text(0, 6), QStringLiteral("4.0"));
    EXPECT_FALSE(m.Red(0, 6));
    EXPECT_EQ(m.Text(1, 6), QStringLiteral("2.5"));
    EXPECT_EQ(m.Text(2, 6), QStringLiteral("—"));

    // the same rows as a calibration: black, with the uncertainty in column 4
    frame->SetVerification(false);
    frame->RefreshResults();
    EXPECT_EQ(m.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Расш.неопр.инзм."));
    EXPECT_TRUE(m.headerData(4, Qt::Horizontal).toString().isEmpty());
    EXPECT_EQ(m.Text(1, 3), QStringLiteral("1.00"));
    EXPECT_EQ(m.Text(1, 4), QStringLiteral(" "));
    EXPECT_EQ(m.Text(1, 5), QStringLiteral(" "));
    EXPECT_EQ(m.Text(2, 3), QStringLiteral("<<<.<<<"));
    EXPECT_FALSE(m.Red(1, 0));
    EXPECT_TRUE(m.Red(1, 6)); // the ratio stays red
    // a temperature sensor's error is in °C
    data.verificationType = 1;
    frame->SetVerification(true);
    frame->RefreshResults();
    EXPECT_EQ(m.headerData(3, Qt::Horizontal).toString(), QStringLiteral("Погрешность, °C"));
    EXPECT_EQ(m.Text(0, 6), QStringLiteral("0.4")); // 0.25 °C against U = 0.625 °C
}

TEST_F(ResultsPage, RemovingSelectsTheNeighbourAndClearingAsksFirst)
{
    Rows({Row(1, 0, 1, 1), Row(2, 0, 1, 1), Row(3, 0, 1, 1)});
    frame->Btn_RemoveLineClick(); // nothing selected: nothing removed
    EXPECT_EQ(Results().count, 3);
    frame->lv_Results->selectRow(2);
    EXPECT_TRUE(frame->Btn_RemoveLine->isEnabled());
    frame->Btn_RemoveLineClick();
    EXPECT_EQ(Results().count, 2);
    EXPECT_EQ(SelectedRow(), 1); // the new last line
    Rows({Row(3, 0, 1, 1)});
    frame->lv_Results->selectRow(0);
    frame->Btn_RemoveLineClick();
    EXPECT_EQ(Results().rows[0].reference, 2.0f);
    EXPECT_EQ(SelectedRow(), 0); // the new first line

    messages.QueueAnswer(false);
    frame->BitBtnClearClick();
    EXPECT_EQ(Results().count, 2);
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_EQ(messages.Entries()[0].text, QStringLiteral("Удалить все измеренные значения!"));
    messages.QueueAnswer(true);
    frame->BitBtnClearClick();
    EXPECT_EQ(Results().count, 0);
    EXPECT_FALSE(frame->Btn_RemoveLine->isEnabled());
    EXPECT_FALSE(frame->BitBtnClear->isEnabled());
}

TEST_F(ResultsPage, TheInspectionIsJudgedOnEveryChange)
{
    EXPECT_EQ(frame->amp_D1_CHECK_THT->currentIndex(), -1); // nothing chosen at first
    EXPECT_EQ(data.inspectionPassed, 0);
    AllInspectionsPass();
    EXPECT_EQ(data.inspectionPassed, 1);
    Select(frame->amp_D1_CHECK_EL, 1);
    EXPECT_EQ(data.inspectionPassed, 0);
    Select(frame->amp_D1_CHECK_USG, 1);
    Select(frame->amp_D1_CHECK_EL, 0);
    EXPECT_EQ(data.inspectionPassed, 0); // another one still fails
    Select(frame->amp_D1_CHECK_USG, 0);
    EXPECT_EQ(data.inspectionPassed, 1);
    frame->amp_D1_CHECK_R->setEditText(QStringLiteral("соответствует, с замечанием")); // no item
    EXPECT_EQ(data.inspectionPassed, 0);

    // switching primary/periodic sets the insulation checks and judges again at once
    frame->amp_D1_NOTES->setPlainText(QStringLiteral("царапина"));
    Select(frame->amp_D1_CHECK_EL, 1);
    frame->ResetInspection(false);
    EXPECT_EQ(frame->amp_D1_NOTES->toPlainText(), QStringLiteral("царапина"));
    EXPECT_EQ(frame->amp_D1_CHECK_R->currentText(), QStringLiteral("соответствует"));
    EXPECT_EQ(data.inspectionPassed, 1);
    frame->ResetInspection(true);
    EXPECT_TRUE(frame->amp_D1_NOTES->toPlainText().isEmpty());

    // a stale verdict is judged again before a protocol (here the maker is not even there)
    Select(frame->amp_D1_CHECK_THT, 1);
    data.inspectionPassed = 1;
    Rows({Row(1, 0, 1, 1)});
    reports::ProtocolMakerModule missing(QStringLiteral("/nonexistent/libprotocolmaker.so"));
    frame->SetProtocolMaker(&missing);
    frame->ToExcellClick();
    EXPECT_EQ(data.inspectionPassed, 0);
}

TEST_F(ResultsPage, TemplateChoiceAndTheTemplateFolder)
{
    QStringList opened;
    QString answer = QStringLiteral("/somewhere/else/Мой шаблон.xls");
    frame->chooseTemplate = [&](const QString& folder) {
        opened << folder;
        return answer;
    };
    frame->btn_SetDirTemplatesClick(); // no folder yet: the templates folder, and it is shown
    EXPECT_EQ(opened.value(0), kTemplates);
    EXPECT_EQ(frame->edTempl_Name->text(), QStringLiteral("Мой шаблон.xls"));
    EXPECT_EQ(frame->edTempl_Dir->text(), QStringLiteral("/somewhere/else"));
    frame->btn_SetDirTemplatesClick(); // a folder that does not exist: the templates folder again
    EXPECT_EQ(opened.value(1), kTemplates);
    frame->edTempl_Dir->setText(dir.path());
    answer.clear(); // Cancel
    frame->btn_SetDirTemplatesClick();
    EXPECT_EQ(opened.value(2), dir.path());
    EXPECT_EQ(frame->edTempl_Dir->text(), dir.path());
    EXPECT_EQ(frame->edTempl_Name->text(), QStringLiteral("Мой шаблон.xls"));

    window.show();
    QTest::mouseClick(frame->pn_TemplExplore, Qt::LeftButton);
    EXPECT_EQ(host.opened, QStringList{kTemplates});
    EXPECT_EQ(ShippedTemplateName(1, false), QStringLiteral("Протокол поверки датчика температуры.xls"));
    EXPECT_EQ(ShippedTemplateName(2, true), QStringLiteral("Протокол калибровки вторичного прибора.xls"));
    for (int kind : {0, 1, 2})
        for (bool calibration : {false, true})
            EXPECT_TRUE(
                QFileInfo::exists(kTemplates + QLatin1Char('/') + ShippedTemplateName(kind, calibration)))
                << kind << calibration;
}

TEST_F(ResultsPage, AmpFieldsTakeTextsByKindLongerKeysFirst)
{
    QWidget form;
    auto make = [&form](auto* w, const char* name) {
        w->setParent(&form);
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    make(new QLineEdit(QStringLiteral("Иванов И.И.")), "amp_CD_VERIF");
    make(new QCheckBox(QStringLiteral("с печатью")), "amp_CD_STAMP");
    auto* notes = make(new QPlainTextEdit, "amp_D1_NOTES");
    notes->setPlainText(QStringLiteral("строка 1\r\nстрока 2"));
    auto* pos = make(new QComboBox, "amp_CD_VERIF_POS");
    pos->addItem(QStringLiteral("поверитель\r"));
    make(new QSpinBox, "amp_CD_COUNT");
    auto* labelled =
        new sensors::TLabeledEdit(QStringLiteral("amp_CD_VERIF_POS_FULL"), QStringLiteral("x"), &form);
    labelled->setText(QStringLiteral("ведущий поверитель"));
    make(new QLineEdit(QStringLiteral("нет")), "CD_NOT_AMP");
    const auto fields = AmpFields(form.findChildren<QWidget*>());
    QStringList got;
    for (const auto& [name, text] : fields)
        got << name + QLatin1Char('=') + text;
    EXPECT_EQ(got, (QStringList{
                       QStringLiteral("amp_CD_VERIF_POS_FULL=ведущий поверитель"),
                       QStringLiteral("amp_CD_VERIF_POS=поверитель"),
                       QStringLiteral("amp_CD_VERIF=Иванов И.И."), QStringLiteral("amp_CD_STAMP=с печатью"),
                       QStringLiteral("amp_D1_NOTES=строка 1\nстрока 2"), QStringLiteral("amp_CD_COUNT=")}));

    // the page's own controls, as the main window gives them
    QStringList own;
    for (QWidget* w : host.MainWindowWidgets(QStringLiteral("amp_")))
        own << w->objectName();
    EXPECT_EQ(own, (QStringList{QStringLiteral("amp_D1_NOTES"), QStringLiteral("amp_D1_CHECK_THT"),
                                QStringLiteral("amp_D1_CHECK_USG"), QStringLiteral("amp_D1_CHECK_EL"),
                                QStringLiteral("amp_D1_CHECK_R")}));
}

TEST_F(ResultsPage, MakersThatCannotLoadLeaveNoSuiteAndSaySo)
{
    struct Case {
        const char* name;
        QString path;
        reports::ProtocolMakerModule::State state;
        QString message;
        const char* reason;
    } cases[] = {
        {"missing", QStringLiteral("/nonexistent/libprotocolmaker.so"),
         reports::ProtocolMakerModule::State::FileMissing, kLibraryMissing, "not found"},
        {"needs a missing library", QStringLiteral(MAKER_STANDIN),
         reports::ProtocolMakerModule::State::CannotLoad, kLibraryMissing, "libabsent_office_runtime.so"},
        {"without its functions", QStringLiteral(ABSENT_RUNTIME),
         reports::ProtocolMakerModule::State::SymbolMissing,
         QStringLiteral("Функция библиотеки libprotocolmaker.so не найдена!"), "ProtocolMakerAbi"},
    };
    Rows({Row(1, 0, 1, 1)});
    for (const Case& c : cases) {
        messages.Clear();
        reports::ProtocolMakerModule maker(c.path);
        frame->SetProtocolMaker(&maker);
        frame->DetectOfficeSuites();
        EXPECT_EQ(maker.GetState(), c.state) << c.name;
        EXPECT_TRUE(maker.Reason().contains(QString::fromLatin1(c.reason)))
            << c.name << maker.Reason().toStdString();
        EXPECT_TRUE(messages.Entries().empty()) << c.name; // nothing said until a protocol is asked for
        EXPECT_FALSE(frame->cbTypeLibreOffice->isChecked()) << c.name;
        EXPECT_FALSE(frame->cbTypeLibreOffice->isEnabled()) << c.name;
        EXPECT_FALSE(frame->cbTypeMSExcell->isChecked()) << c.name;
        EXPECT_TRUE(frame->cbTypeLibreOffice->toolTip().contains(QStringLiteral("libreoffice-calc")))
            << c.name;
        frame->ToExcellClick();
        EXPECT_EQ(messages.Texts(), QStringList{c.message}) << c.name;
        EXPECT_TRUE(frame->ToExcell->isEnabled()) << c.name;
        EXPECT_FALSE(frame->Label_wait->isVisibleTo(frame)) << c.name;
    }
    frame->SetProtocolMaker(&reports::ProtocolMaker());
}

namespace {

// The real module against a headless LibreOffice; one office for the suite, ended at its end.
class ResultsProtocol : public ResultsPage {
protected:
    static void SetUpTestSuite() { maker = new reports::ProtocolMakerModule(QStringLiteral(PROTOCOL_MAKER)); }
    static void TearDownTestSuite()
    {
        maker->Shutdown(); // what the program's close sequence does
        EXPECT_EQ(MakerOffices(), qEnvironmentVariableIsEmpty("LORIK_OFFICE_PROFILE") ? -1 : 0);
        delete maker;
        // the module itself stays in the process: the office binding in it cannot be unloaded
        void* still = dlopen(PROTOCOL_MAKER, RTLD_NOW | RTLD_NOLOAD);
        EXPECT_NE(still, nullptr);
        if (still) dlclose(still);
    }
    void SetUp() override { frame->SetProtocolMaker(maker); }
    static inline reports::ProtocolMakerModule* maker = nullptr;
};

} // namespace

TEST_F(ResultsProtocol, TheModuleLoadsWithoutStartingAnOfficeAndExcelStaysOff)
{
    frame->DetectOfficeSuites();
    ASSERT_EQ(maker->GetState(), reports::ProtocolMakerModule::State::Loaded)
        << maker->Reason().toStdString();
    EXPECT_EQ(frame->cbTypeLibreOffice->isChecked(), LibreOfficeInstalled()); // the sole usable suite
    EXPECT_EQ(frame->cbTypeLibreOffice->isEnabled(), LibreOfficeInstalled());
    EXPECT_FALSE(frame->cbTypeMSExcell->isChecked());
    EXPECT_FALSE(frame->cbTypeMSExcell->isEnabled());
    if (!qEnvironmentVariableIsEmpty("LORIK_OFFICE_PROFILE")) {
        EXPECT_EQ(MakerOffices(), 0);
    }
    // a project that kept "MS Excell" checked, as the project load sets it
    {
        const QSignalBlocker block(frame->cbTypeMSExcell);
        frame->cbTypeMSExcell->setChecked(true);
    }
    Q_EMIT frame->cbTypeMSExcell->clicked(true);
    EXPECT_FALSE(frame->cbTypeMSExcell->isChecked());
    EXPECT_EQ(frame->cbTypeLibreOffice->isChecked(), LibreOfficeInstalled());
    frame->cbTypeLibreOffice->click(); // unticking the only suite does not take
    EXPECT_EQ(frame->cbTypeLibreOffice->isChecked(), LibreOfficeInstalled());
}

TEST_F(ResultsProtocol, TheProtocolIsMadeFromTheProgramsOwnRecordAndList)
{
    if (!LibreOfficeInstalled())
        GTEST_SKIP() << "LibreOffice (libreoffice-calc) is needed for protocol tests";
    frame->DetectOfficeSuites();
    AllInspectionsPass();
    data.errorCoefficient = 1;
    data.device.rangeHigh = 1000;
    data.device.signalLow = 4;
    data.device.signalHigh = 20;
    platform::SetText(data.device.serial, QStringLiteral("77/1"));
    Rows({Row(2.5f, 0.01f, 0.25f, 1), Row(250, 0.02f, 0.25f, 1), Row(500, 0.03f, 0.25f, 1)});
    // an empty template name takes the kind's shipped template
    frame->ToExcellClick();
    ASSERT_EQ(frame->LastProtocolResult(), 0) << messages.Texts().join(QLatin1Char(';')).toStdString();
    EXPECT_TRUE(messages.Entries().empty());
    const QString out = dir.filePath(QStringLiteral("reports/Протокол поверки №77_1 .xls"));
    EXPECT_EQ(frame->LastProtocolPath(), out);
    EXPECT_TRUE(QFileInfo(out).size() > 0);
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("reports/Протокол поверки №77_1 .pdf"))).size() > 0);
    EXPECT_EQ(host.opened, QStringList{out}); // handed to the desktop through the page host
    // the module worked on the program's record
    EXPECT_EQ(data.pointCount, 3);
    EXPECT_EQ(data.device.used, 1);
    EXPECT_EQ(data.points[2].device[0].tolerance, 0.25f);
    EXPECT_FALSE(frame->Label_wait->isVisibleTo(frame));
    EXPECT_TRUE(frame->ToExcell->isEnabled());

    // the maker's own messages reach the program's message service
    frame->edTempl_Dir->setText(dir.path());
    frame->edTempl_Name->setText(QStringLiteral("нет такого.xls"));
    frame->ToExcellClick();
    EXPECT_EQ(frame->LastProtocolResult(), -16);
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_EQ(messages.Entries()[0].caption, QStringLiteral("Ошибка создания протокола"));
    EXPECT_EQ(messages.Entries()[0].text, QStringLiteral("Файл шаблона не существует"));
}

TEST_F(ResultsPage, DebugFillGivesFourRows)
{
    window.show();
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(2, 2)); // not in debug mode
    EXPECT_EQ(Results().count, 0);
    host.debug = true;
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_EQ(Results().count, 4);
    EXPECT_EQ(Results().rows[3].reference, 14.0f);
    EXPECT_EQ(Results().rows[3].uncertainty, 54.0f);
    EXPECT_EQ(Results().rows[0].tolerance, 22.0f);
    EXPECT_EQ(data.pointCount, 4);
    EXPECT_EQ(data.device.rangeLow, -100.0f);
    EXPECT_EQ(frame->Model()->rowCount(), 4);
}

TEST_F(ResultsPage, EveryChangeIsJournalledAndSavesTheProjectOnce)
{
    Rows({Row(1, 0, 1, 1)}); // before the start's recovery nothing is written
    EXPECT_FALSE(frame->Journal().Exists());
    frame->RecoverJournal();
    Rows({Row(2, 0, 1, 1), Row(3, 0, 1, 1), Row(4, 0, 1, 1)});
    JournalRecord r;
    QString reason;
    ASSERT_EQ(frame->Journal().Read(&r, &reason), ResultJournal::ReadResult::Ok) << reason.toStdString();
    EXPECT_EQ(r.list.count, 4);
    EXPECT_EQ(host.projectSaves, 0);
    QApplication::processEvents();
    EXPECT_EQ(host.projectSaves, 1); // one save for the burst
    RemoveRow(Results(), 0);
    ASSERT_EQ(frame->Journal().Read(&r, &reason), ResultJournal::ReadResult::Ok);
    EXPECT_EQ(r.list.count, 3);
    EXPECT_EQ(r.list.rows[0].reference, 2.0f);
    QApplication::processEvents();
    EXPECT_EQ(host.projectSaves, 2);
    // a clean end retires it; nothing is written afterwards
    frame->CloseJournal();
    EXPECT_FALSE(frame->Journal().Exists());
    EXPECT_TRUE(QFileInfo::exists(frame->Journal().LastPath()));
    ClearRows(Results());
    QApplication::processEvents();
    EXPECT_FALSE(frame->Journal().Exists());
    EXPECT_EQ(host.projectSaves, 2);
    EXPECT_TRUE(messages.Entries().empty());
}

TEST_F(ResultsPage, AJournalThatCannotBeWrittenIsSaidOnce)
{
    QFile file(dir.filePath(QStringLiteral("a-file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    testsupport::FakePageHost other;
    other.dataDir = file.fileName(); // a "folder" that is a file
    TFrame_Chk_result page(&other, nullptr, data);
    page.RecoverJournal();
    Rows({Row(1, 0, 1, 1)});
    Rows({Row(2, 0, 1, 1)});
    EXPECT_TRUE(messages.Entries().empty()); // not in the middle of the change
    QApplication::processEvents();
    EXPECT_EQ(messages.Texts(),
              QStringList{QStringLiteral("Невозможно создать файл \n %1 !").arg(page.Journal().Path())});
}

namespace {

// A child of this test program: a results page that journals three rows and then waits to be
// killed (LORIK_RESULTS_CHILD names its data folder).
const char kChildEnv[] = "LORIK_RESULTS_CHILD";

ResultRow ChildRow(int i)
{
    ResultRow r =
        Row(0.1f * float(i + 1), 1.0f / 3.0f * float(i), 0.15f, i % 2, i == 1 ? kNan : 1e-7f * float(i));
    r.rangeLow = -50.5f;
    r.rangeHigh = 150.25f;
    return r;
}

} // namespace

TEST(ResultsJournalChild, AddsThreeRowsAndWaits)
{
    const QString dataDir = qEnvironmentVariable(kChildEnv);
    if (dataDir.isEmpty()) GTEST_SKIP() << "run by ResultsJournal.AChildKilledAfterThreeRows";
    testsupport::FakePageHost host;
    host.dataDir = dataDir;
    reports::ProtocolData data;
    data.verificationType = 1;
    data.device.permissibleError = 0.15f;
    platform::SetText(data.device.units, QStringLiteral("°C"));
    TFrame_Chk_result page(&host, nullptr, data);
    page.RecoverJournal();
    for (int i = 0; i < 3; ++i)
        page.AddResultRow(ChildRow(i));
    QApplication::processEvents();
    QFile ready(dataDir + QStringLiteral("/ready"));
    ASSERT_TRUE(ready.open(QIODevice::WriteOnly));
    ready.close();
    std::this_thread::sleep_for(std::chrono::seconds(60)); // killed long before
}

TEST(ResultsJournal, AChildKilledAfterThreeRowsIsRestoredOrSetAside)
{
    QTemporaryDir dir;
    const std::string self = QCoreApplication::applicationFilePath().toStdString();
    const int pid = platform::SpawnTiedProcess(
        {self, "--gtest_filter=ResultsJournalChild.AddsThreeRowsAndWaits"},
        {std::string(kChildEnv) + "=" + dir.path().toStdString(), "QT_QPA_PLATFORM=offscreen"});
    ASSERT_GT(pid, 0);
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(dir.filePath(QStringLiteral("ready"))) && clock.elapsed() < 30000)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(QFileInfo::exists(dir.filePath(QStringLiteral("ready"))));
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    int code = 0;
    ASSERT_TRUE(platform::WaitChild(pid, 10000, &code));
    EXPECT_EQ(code, 128 + SIGKILL);

    const QString journal = dir.filePath(QString::fromLatin1(kJournalFileName));
    const QString kept = dir.filePath(QStringLiteral("kept.csv"));
    ASSERT_TRUE(QFile::copy(journal, kept));
    platform::ScopedMessageRecorder messages;
    testsupport::FakePageHost host;
    host.dataDir = dir.path();
    {
        // the next start: OK restores the rows and the record's fields exactly
        reports::ProtocolData data;
        TFrame_Chk_result page(&host, nullptr, data);
        messages.QueueAnswer(true);
        page.RecoverJournal();
        EXPECT_EQ(messages.Texts(),
                  QStringList{QStringLiteral("Найдены результаты незавершённой поверки (3). Восстановить?")});
        ASSERT_EQ(Results().count, 3);
        for (int i = 0; i < 3; ++i) {
            const ResultRow want = ChildRow(i);
            EXPECT_EQ(std::memcmp(&Results().rows[i], &want, sizeof want), 0) << i;
        }
        EXPECT_EQ(Results().hasData, 1);
        EXPECT_EQ(data.verificationType, 1);
        EXPECT_EQ(data.device.permissibleError, 0.15f);
        EXPECT_EQ(platform::GetText(data.device.units), QStringLiteral("°C"));
        EXPECT_EQ(page.Model()->rowCount(), 3);
        EXPECT_TRUE(QFileInfo::exists(journal)); // journalled again as restored
        QApplication::processEvents();
        EXPECT_EQ(host.projectSaves, 1);
    }
    {
        // Cancel: the list stays empty and the journal is retired
        ASSERT_TRUE(QFile::remove(journal) && QFile::copy(kept, journal));
        messages.Clear();
        reports::ProtocolData data;
        TFrame_Chk_result page(&host, nullptr, data);
        messages.QueueAnswer(false);
        page.RecoverJournal();
        EXPECT_EQ(messages.Entries().size(), 1u);
        EXPECT_EQ(Results().count, 0);
        EXPECT_FALSE(QFileInfo::exists(journal));
        EXPECT_TRUE(QFileInfo::exists(journal + QStringLiteral(".last")));
    }
    {
        // a damaged line: said, set aside as ".bad", the list empty, journalling goes on
        QFile f(kept);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        QByteArray text = f.readAll();
        f.close();
        text.replace("rows,3\n", "rows,3\n1,2,3\n");
        QFile j(journal);
        ASSERT_TRUE(j.open(QIODevice::WriteOnly));
        j.write(text);
        j.close();
        messages.Clear();
        reports::ProtocolData data;
        TFrame_Chk_result page(&host, nullptr, data);
        page.RecoverJournal();
        ASSERT_EQ(messages.Entries().size(), 1u);
        EXPECT_FALSE(messages.Entries()[0].question);
        EXPECT_TRUE(messages.Entries()[0].text.contains(journal));
        EXPECT_TRUE(messages.Entries()[0].text.contains(journal + QStringLiteral(".bad")));
        EXPECT_EQ(Results().count, 0);
        EXPECT_TRUE(QFileInfo::exists(journal + QStringLiteral(".bad")));
        page.AddResultRow(ChildRow(0));
        JournalRecord r;
        EXPECT_EQ(page.Journal().Read(&r, nullptr), ResultJournal::ReadResult::Ok);
        EXPECT_EQ(r.list.count, 1);
    }
    {
        // a journal without rows (the list was cleared) is retired without a question
        messages.Clear();
        reports::ProtocolData data;
        TFrame_Chk_result page(&host, nullptr, data);
        ClearRows(Results());
        ASSERT_TRUE(ResultJournal(journal).Write(Results(), data));
        page.RecoverJournal();
        EXPECT_TRUE(messages.Entries().empty());
        EXPECT_FALSE(QFileInfo::exists(journal));
    }
}
