// The application shell against the virtual calibrator in process, offscreen.
#include "device/archiveframe.h"
#include "link/findframe.h"
#include "measure/chartview.h"
#include "measure/emulateframe.h"
#include "measure/mesureframe.h"
#include "measure/reportmodel.h"
#include "measure/stepsframe.h"
#include "platform/cp1251.h"
#include "platform/delay.h"
#include "platform/ini.h"
#include "platform/messageservice.h"
#include "sensors/labelededit.h"
#include "sensors/sensorframe.h"
#include "shell/commands.h"
#include "shell/components.h"
#include "shell/ddepublisher.h"
#include "shell/mainwindow.h"
#include "shell/paths.h"
#include "shell/project.h"
#include "shell/radiogroup.h"
#include "shell/translation.h"
#include "simulator/virtualcalibrator.h"
#include "tests/shell/shell_fixture.h"
#include "tests/support/scoped_env.h"
#include "verification/ktframe.h"
#include "verification/reportparam.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace shell;

using shelltest::kConnectFailed;
using shelltest::kLinkLost;

namespace {
using Shell = shelltest::ShellTest<platform::ScopedMessageRecorder>;
} // namespace

TEST_F(Shell, SwitchesPagesAndDebugGroup)
{
    const QStringList six = {QStringLiteral("Connection"), QStringLiteral("Configuration"),
                             QStringLiteral("Emulation"),  QStringLiteral("Measure"),
                             QStringLiteral("TestTab"),    QStringLiteral("Archive")};
    EXPECT_EQ(Start()->PageNames(), six);
    EXPECT_EQ(Start("whatever")->PageNames(), six);
    auto admin = Start("admin");
    EXPECT_EQ(admin->PageNames().size(), 7);
    EXPECT_FALSE(admin->findChild<QGroupBox*>(QStringLiteral("GroupBox_Debug"))->isVisibleTo(admin.get()));
    auto debug = Start("DEBUG");
    EXPECT_TRUE(debug->DebugMode());
    EXPECT_TRUE(debug->AdminMode());
    EXPECT_EQ(debug->PageNames()[1], QStringLiteral("Calibration"));
    EXPECT_TRUE(debug->findChild<QGroupBox*>(QStringLiteral("GroupBox_Debug"))->isVisibleTo(debug.get()));
    EXPECT_EQ(debug->StatusPanelText(0), QStringLiteral("Нет связи"));
    for (const char* page :
         {"FrameFindDevice1", "FrameGrad1", "FrameSettingsLorik1", "FrameEmulate1", "FrameMesure1",
          "Frame_Chk1", "Frame_ReportParam1", "Frame_Chk_result1", "FrameArchive1"})
        EXPECT_NE(debug->findChild<QWidget*>(QString::fromLatin1(page)), nullptr) << page;
}

TEST_F(Shell, ArchivePageReachesTheReportFieldsAndTheResults)
{
    auto w = Start();
    // a report field of the verification page (a labelled edit)
    auto* edit = w->findChild<QLineEdit*>(QStringLiteral("amp_CD_DATE"));
    ASSERT_NE(edit, nullptr);
    w->SetReportField(QStringLiteral("amp_CD_DATE"), QStringLiteral("2025-03-04"));
    EXPECT_EQ(edit->text(), QStringLiteral("2025-03-04"));
    w->SetReportField(QStringLiteral("amp_NOWHERE"), QStringLiteral("x")); // no such field: nothing
    w->ShowResults();
    EXPECT_EQ(w->PagesWidget()->currentWidget()->objectName(), QStringLiteral("TestTab"));
    // a new project empties the archive list
    auto* archive = w->findChild<device::TFrameArchive*>(QStringLiteral("FrameArchive1"));
    ASSERT_NE(archive, nullptr);
    archive->Model().SetRecords(std::vector<device::ArchiveRecord>(3));
    w->Commands().chooseFile = [this](TMainCommands::Dialog) {
        return homeDir.filePath(QStringLiteral("new.aip"));
    };
    w->Commands().NewProject();
    EXPECT_EQ(archive->Model().rowCount(), 0);
}

TEST_F(Shell, SaveLngGeneratesTheLanguageFileAndDoesNoWork)
{
    sim::VirtualCalibrator vc;
    ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    const QString file = ProgramDir() + QStringLiteral("/soft_generated.lng");
    QFile::remove(file);
    auto w = Start("save_lng");
    EXPECT_TRUE(w->EndAtStart());
    EXPECT_EQ(w->Link(), nullptr);
    EXPECT_EQ(vc.Transport().RequestCount(), 0);
    ASSERT_TRUE(QFile::exists(file));
    EXPECT_TRUE(messages.Texts()
                    .join(QLatin1Char('|'))
                    .contains(QStringLiteral("soft_generated.lng--    possible created.")));
    platform::IniFile lng;
    ASSERT_TRUE(lng.Load(file));
    const QString id = TextId(QStringLiteral("Form_Main/FrameFindDevice1/btnLink"));
    EXPECT_EQ(lng.Value(QStringLiteral("Translate"), id), QStringLiteral("   Подключить"));
    w->CloseSequence();
    EXPECT_FALSE(QFile::exists(SettingsPath()));
    QFile::remove(file);
}

TEST_F(Shell, TranslationFromALanguageFile)
{
    // generate, change one text, drop another, load it through the settings file
    const QString name = QStringLiteral("test_ru.lng");
    const QString path = ProgramDir() + QLatin1Char('/') + name;
    {
        TForm_Main w(StartOptions{});
        platform::IniFile lng;
        TranslateWindow(&w, lng, true);
        lng.SetValue(QStringLiteral("Translate"),
                     TextId(QStringLiteral("Form_Main/FrameFindDevice1/btnLink")), QStringLiteral("Connect"));
        lng.RemoveKey(QStringLiteral("Translate"),
                      TextId(QStringLiteral("Form_Main/FrameFindDevice1/ButtonRefreshList")));
        ASSERT_TRUE(lng.Save(path));
    }
    platform::IniFile settings;
    settings.SetValue(QStringLiteral("Main"), QStringLiteral("LanguageFile"), name);
    ASSERT_TRUE(settings.Save(SettingsPath()));
    auto w = Start();
    auto* find = w->FindFrame();
    EXPECT_EQ(find->btnLink->text(), QStringLiteral("Connect"));
    EXPECT_EQ(find->ButtonRefreshList->text(),
              QStringLiteral("?-id ") +
                  TextId(QStringLiteral("Form_Main/FrameFindDevice1/ButtonRefreshList")));
    EXPECT_EQ(find->btnDisLink->text(), QStringLiteral("   Отключить"));
    EXPECT_EQ(w->ListText(QStringLiteral("strConst_Msg"), 2), QStringLiteral("Есть связь"));
    QFile::remove(path);
}

TEST_F(Shell, AutoConnectsWithOnePortOnly)
{
    sim::VirtualCalibrator vc(Bench());
    ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    {
        auto w = Start();
        EXPECT_TRUE(w->IsConnected());
        EXPECT_EQ(w->StatusPanelText(0), QStringLiteral("Есть связь"));
        EXPECT_EQ(vc.Model().State().remoteMode, 1);
        EXPECT_EQ(vc.Model().State().extRestarts, 1);
        EXPECT_STREQ(w->Link()->DeviceSerialNumber(), "100001");
        EXPECT_TRUE(w->FindFrame()->btnLink->isHidden());
        EXPECT_TRUE(w->DeviceFrame(QStringLiteral("FrameMesure1"))->LinkUp());
        // the user disconnects: no link-lost message, the calibrator goes back to stand-alone work
        w->FindFrame()->btnDisLinkClick();
        EXPECT_FALSE(w->IsConnected());
        EXPECT_EQ(vc.Model().State().remoteMode, 0);
        EXPECT_EQ(vc.Model().State().measMode, -1);
        EXPECT_EQ(Count(kLinkLost), 0);
    }
    sim::VirtualCalibrator second(Bench());
    ASSERT_EQ(second.Start(simDir.Link(QStringLiteral("ttyLORIK1"))), 0);
    auto w = Start();
    EXPECT_FALSE(w->IsConnected());
    EXPECT_EQ(w->FindFrame()->ListBox_Ports->count(), 2);
    EXPECT_EQ(w->FindFrame()->ListBox_Ports->currentRow(), 0);
    EXPECT_TRUE(w->FindFrame()->btnLink->isEnabled());
    w->FindFrame()->btnLinkClick();
    EXPECT_TRUE(w->IsConnected());
}

TEST_F(Shell, BusyFirstEntryLeavesNoSelection)
{
    sim::VirtualCalibrator a(Bench()), b(Bench());
    ASSERT_EQ(a.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    ASSERT_EQ(b.Start(simDir.Link(QStringLiteral("ttyLORIK1"))), 0);
    platform::TInterface_RS232 holder;
    const int h = holder.OpenPort(QStringLiteral("ttyLORIK0"), 115200, 150, 8, 0, 0);
    ASSERT_NE(h, -1);
    auto w = Start();
    auto* list = w->FindFrame()->ListBox_Ports;
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("ttyLORIK0 (занят)"));
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_FALSE(w->FindFrame()->btnLink->isEnabled());
    holder.ClosePort(h);
}

TEST_F(Shell, WrongIdentityIsRejectedAndThePortClosed)
{
    sim::PtyTransport other([](const std::string& req) { return sim::Reply{req == "1;0;" ? "51" : ""}; });
    ASSERT_EQ(other.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    auto w = Start();
    EXPECT_FALSE(w->IsConnected());
    EXPECT_EQ(Count(kConnectFailed), 1);
    EXPECT_EQ(Count(kLinkLost), 0);
    EXPECT_FALSE(w->Link()->IsOpen());
    EXPECT_EQ(other.Requests(), (std::vector<std::string>{"1;0;"}));
}

TEST_F(Shell, LinkLossDuringWorkIsAnnouncedOnce)
{
    sim::VirtualCalibrator vc(Bench());
    ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    auto w = Start();
    ASSERT_TRUE(w->IsConnected());
    sim::Faults f;
    f.noReply = -1;
    vc.SetFaults(f);
    float v;
    EXPECT_EQ(w->Link()->ReadRegisterReal(devlink::MeasuredValue, &v), -1);
    EXPECT_EQ(w->Link()->ReadRegisterReal(devlink::MeasuredValue, &v), -1);
    EXPECT_FALSE(w->IsConnected());
    EXPECT_EQ(Count(kLinkLost), 1);
    EXPECT_EQ(w->StatusPanelText(0), QStringLiteral("Нет связи"));
    EXPECT_FALSE(w->DeviceFrame(QStringLiteral("FrameMesure1"))->LinkUp());
    EXPECT_FALSE(w->FindFrame()->btnLink->isHidden());
}

// What a newcomer does on the run command: measure the bench bath with its reference, then pull
// the virtual cable. (The Pt100's resistance is measured here: the characteristic library lives
// beside the program, not beside the tests.)
TEST_F(Shell, MeasuresTheBenchBathAndKeepsEveryRowWhenTheCableIsPulled)
{
    sim::VirtualCalibrator vc(Bench());
    ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    platform::ScopedNoDelay noDelay;
    auto w = Start();
    ASSERT_TRUE(w->IsConnected());
    auto* page = w->findChild<measure::TFrameMesure*>(QStringLiteral("FrameMesure1"));
    ASSERT_NE(page, nullptr);
    page->FrameSensor1->cbType->setCurrentIndex(2); // a unified signal
    page->FrameSensor1->cb_Std->setCurrentIndex(2); // "Сопротивление ( Ом )"
    page->StartMeasurementClick();
    ASSERT_TRUE(page->Running());
    EXPECT_EQ(page->ReferenceUnit(), QStringLiteral("°C"));
    for (int i = 0; i < 4; ++i)
        page->Timer_MeasureTimer(); // the first after the unit wait is skipped
    ASSERT_EQ(page->ListModel()->Rows(), 3);
    EXPECT_NEAR(page->MCurrent->text().toDouble(), 138.5, 0.5); // a Pt100 at 100 °C
    EXPECT_TRUE(page->ListModel()->Cell(2, 1).endsWith(QStringLiteral(" Ом")));
    EXPECT_EQ(w->Dde()->Value(), page->MCurrent->text());
    EXPECT_EQ(w->StatusPanelText(4), QStringLiteral("разомкнут"));
    EXPECT_EQ(w->StatusPanelText(7), QStringLiteral("разомкнут"));

    vc.Unplug();
    page->Timer_MeasureTimer();
    EXPECT_FALSE(page->Running());
    EXPECT_EQ(Count(kLinkLost), 1);
    EXPECT_EQ(w->StatusPanelText(0), QStringLiteral("Нет связи"));
    EXPECT_EQ(page->ListModel()->Rows(), 3);
    EXPECT_EQ(page->MeasurementGraph->Data(0).Count(), 3);
    measure::TJournal::Content c;
    ASSERT_TRUE(measure::TJournal::Read(page->Journal().Path(), &c));
    EXPECT_TRUE(page->Journal().Path().startsWith(DataDir() + QStringLiteral("/journal/measurement-")));
    EXPECT_TRUE(c.closed);
    EXPECT_EQ(c.rows.size(), 3u);
    w->CloseSequence();
}

TEST_F(Shell, SettingsRoundTripKeepsHelpTopics)
{
    platform::IniFile ini;
    ini.SetValue(QStringLiteral("HelpIDs"), QStringLiteral("FrameMesure1"), QStringLiteral("mesure.htm"));
    ini.SetValue(QStringLiteral("HelpIDs"), QStringLiteral("NoSuchThing"), QStringLiteral("x.htm"));
    ASSERT_TRUE(ini.Save(SettingsPath()));
    {
        auto w = Start();
        EXPECT_EQ(w->Settings().helpTopicNames,
                  (QStringList{QStringLiteral("FrameMesure1"), QStringLiteral("NoSuchThing")}));
        w->setGeometry(37, 41, 1100, 700);
        w->CloseSequence();
    }
    platform::IniFile after;
    ASSERT_TRUE(after.Load(SettingsPath()));
    EXPECT_EQ(after.Value(QStringLiteral("HelpIDs"), QStringLiteral("FrameMesure1")),
              QStringLiteral("mesure.htm"));
    EXPECT_EQ(after.IntValue(QStringLiteral("Form"), QStringLiteral("Width"), 0), 1100);
    auto w = Start();
    EXPECT_EQ(w->geometry(), QRect(37, 41, 1100, 700));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("АРМ ЛОРИК   ")); // no project chosen yet
    EXPECT_TRUE(QFile::exists(DefaultProjectPath())); // closing without a project writes default.aip
}

TEST_F(Shell, HelpCommandsGoThroughTheDesktop)
{
    platform::IniFile ini;
    ini.SetValue(QStringLiteral("HelpIDs"), QStringLiteral("NoSuchThing"), QStringLiteral("x.htm"));
    ini.SetValue(QStringLiteral("HelpIDs"), QStringLiteral("FrameFindDevice1"),
                 QStringLiteral("connect.htm"));
    ASSERT_TRUE(ini.Save(SettingsPath()));
    auto w = Start();
    QStringList opened;
    w->desktopOpener = [&](const QString& what) { opened << what; };
    const QString chm = ProgramDir() + QStringLiteral("/LORIKARM.chm");
    const QString context = ProgramDir() + QStringLiteral("/LORIKXARM.chm");
    QFile::remove(chm);
    QFile::remove(context);
    w->Commands().Help();
    EXPECT_EQ(Count(QStringLiteral("Файл справки не найден!")), 1);
    EXPECT_TRUE(w->Commands().ContextHelp().isEmpty()); // no context help file: nothing happens
    QFile(chm).open(QIODevice::WriteOnly);
    QFile(context).open(QIODevice::WriteOnly);
    w->Commands().Help();
    w->show();
    EXPECT_EQ(w->Commands().ContextHelp(),
              ProgramDir() + QStringLiteral("/connect.htm")); // the first that can take the focus
    w->Commands().TemplateFolder();
    EXPECT_EQ(opened, (QStringList{chm, ProgramDir() + QStringLiteral("/connect.htm"), TemplateDir()}));
    QFile::remove(chm);
    QFile::remove(context);
}

TEST_F(Shell, LiveValueOnAPrivateSessionBus)
{
    if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("dbus-send")).isEmpty())
        GTEST_SKIP() << "dbus-daemon and dbus-send are needed (package dbus)";
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                 QStringLiteral("--print-address")});
    ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QByteArray address = daemon.readLine().trimmed();
    ASSERT_FALSE(address.isEmpty());
    testsupport::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", address);
    {
        DdePublisher dde(QStringLiteral("lorikws"));
        ASSERT_TRUE(dde.Register());
        auto get = [&] {
            QProcess client;
            client.start(QStringLiteral("dbus-send"),
                         {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                          QStringLiteral("--dest=lorikws.DDE"), QStringLiteral("/NOVAR"),
                          QStringLiteral("org.freedesktop.DBus.Properties.Get"),
                          QStringLiteral("string:lorikws.NOVAR"), QStringLiteral("string:MEAS_VALUE")});
            QEventLoop loop; // the call is served by this thread's event loop
            QObject::connect(&client, &QProcess::finished, &loop, &QEventLoop::quit);
            QTimer::singleShot(10000, &loop, &QEventLoop::quit);
            loop.exec();
            return QString::fromUtf8(client.readAllStandardOutput());
        };
        EXPECT_TRUE(get().contains(QStringLiteral("\"--.-\""))) << get().toStdString();
        dde.Publish(QStringLiteral("100.01234"));
        EXPECT_TRUE(get().contains(QStringLiteral("\"100.01234\"")));
    }
    daemon.kill();
    daemon.waitForFinished();
}

namespace {
const char kKtIni[] = "[Transfer]\r\n"
                      "dev_0=Печь-1 {0.000000,600.000000}, {0.500000,0.001000}, {0.100000,0.000000}, "
                      "{0.200000,0.000000}, {0.100000,0.000000}, 0.100000\r\n";
void WriteKt(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(platform::ToCp1251(QString::fromUtf8(kKtIni)));
}
QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST_F(Shell, ReportParametersInProjectsAndLanguageFiles)
{
    WriteKt(DataDir() + QStringLiteral("/kt.ini"));
    TForm_Main w(StartOptions{});
    verification::TForm_KT editor;
    ProgramWindows().assign({&w, &editor});
    auto* report = w.findChild<verification::TFrame_ReportParam*>();
    ASSERT_NE(report, nullptr);
    auto* kt = report->Frame_KT1;
    kt->SetEditor(&editor);
    int editorRuns = 0;
    kt->runEditor = [&](verification::TForm_KT&) { return ++editorRuns, false; };
    EXPECT_EQ(kt->ListPath(), DataDir() + QStringLiteral("/kt.ini"));
    ASSERT_EQ(kt->cb_KT->count(), 2);

    report->amp_D1_OWNER->setText(QStringLiteral("ООО Ромашка"));
    kt->cb_KT->setCurrentIndex(1); // "- добавить -"
    const QString path = homeDir.filePath(QStringLiteral("p.aip"));
    ASSERT_EQ(LoadSaveProject(path, true), 0);
    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    const QString section = QStringLiteral("_Form_Main_Frame_Chk1_Frame_ReportParam1_");
    EXPECT_EQ(ini.Value(section, QStringLiteral("amp_D1_OWNER")), QStringLiteral("ООО Ромашка"));
    EXPECT_FALSE(ini.HasKey(section, QStringLiteral("amp_CD_DATE")));
    EXPECT_EQ(ini.Value(section + QStringLiteral("Frame_KT1_"), QStringLiteral("cb_KT")),
              QStringLiteral("1"));
    for (const QString& s : ini.Sections())
        for (const QString& k : ini.Keys(s))
            EXPECT_NE(ini.Value(s, k), QStringLiteral("Владелец (собственник)")) << k.toStdString();

    report->amp_D1_OWNER->clear();
    kt->cb_KT->setCurrentIndex(0);
    ASSERT_EQ(LoadSaveProject(path, false), 0);
    EXPECT_EQ(report->amp_D1_OWNER->text(), QStringLiteral("ООО Ромашка"));
    EXPECT_EQ(kt->cb_KT->currentIndex(), 1);
    EXPECT_EQ(editorRuns, 0); // a project never opens the editor
    EXPECT_EQ(kt->SelectedCalibrator(), nullptr);

    // the language file carries neither the labelled edits' captions nor the calibrators' names
    platform::IniFile lng;
    TranslateWindow(&w, lng, true);
    const QStringList keys = lng.Keys(QStringLiteral("Translate"));
    QStringList texts;
    for (const QString& k : keys)
        texts << lng.Value(QStringLiteral("Translate"), k);
    EXPECT_FALSE(texts.contains(QStringLiteral("Владелец (собственник)")));
    EXPECT_FALSE(texts.contains(QStringLiteral("Печь-1")));
    EXPECT_FALSE(texts.contains(QStringLiteral("- добавить -")));
    EXPECT_TRUE(texts.contains(QStringLiteral("  Параметры расчёта неопределённости  ")));
    EXPECT_TRUE(texts.contains(QStringLiteral(
        "Укажите серийный номер подключеного ИВТМ для считывания параметров окружающей среды")));
    platform::IniFile empty;
    TranslateWindow(&w, empty, false); // every text "?-id": the list of calibrators stays as it is
    EXPECT_EQ(kt->cb_KT->itemText(0), QStringLiteral("Печь-1"));
    EXPECT_EQ(report->amp_D1_OWNER->EditLabel()->text(), QStringLiteral("Владелец (собственник)"));
    EXPECT_TRUE(kt->CheckBox_KT->text().startsWith(QStringLiteral("?-id ")));
    ProgramWindows().assign({&w});
}

TEST_F(Shell, CloseSequenceOffersToSaveTheCalibratorList)
{
    const QString kt = DataDir() + QStringLiteral("/kt.ini");
    auto changed = [](TForm_Main& w) {
        auto* f = w.findChild<verification::TFrame_KT*>();
        f->btn_KT_DelClick(); // the recorder answers OK
        return f;
    };
    struct Row {
        bool unattended;
        bool answer;
        bool saved;
    } rows[] = {{false, false, false}, {false, true, true}, {true, true, true}};
    for (const Row& r : rows) {
        WriteKt(kt);
        const QByteArray before = Bytes(kt);
        auto w = Start();
        changed(*w);
        messages.Clear();
        if (!r.unattended) messages.QueueAnswer(r.answer);
        w->SetUnattendedClose(r.unattended);
        w->CloseSequence();
        EXPECT_EQ(Count(QStringLiteral("Список калибраторов теспературы изменён!\n Сохранить?")),
                  r.unattended ? 0 : 1);
        EXPECT_EQ(Bytes(kt) != before, r.saved) << r.unattended << r.answer;
    }
    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(kt));
    EXPECT_TRUE(ini.Keys(QStringLiteral("Transfer")).isEmpty());

    // a list that cannot be written: the message names the file, the close goes on
    WriteKt(kt);
    auto w = Start();
    changed(*w);
    QFile::remove(kt);
    ASSERT_TRUE(QDir().mkpath(kt + QStringLiteral("/x"))); // a folder where the file should be
    QFile::remove(DefaultProjectPath());
    messages.Clear();
    w->CloseSequence();
    EXPECT_EQ(Count(QStringLiteral("Невозможно создать файл \n ") + kt + QStringLiteral(" !")), 1)
        << messages.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(QFile::exists(DefaultProjectPath()));
    QDir(kt).removeRecursively();
}

TEST_F(Shell, CalibratorLineAndConditionLimits)
{
    platform::IniFile settings;
    settings.SetValue(QStringLiteral("Conditions"), QStringLiteral("TempMin"), QStringLiteral("18"));
    ASSERT_TRUE(settings.Save(SettingsPath()));
    sim::VirtualCalibrator vc(Bench());
    ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    auto w = Start();
    ASSERT_TRUE(w->IsConnected());
    auto* report = w->findChild<verification::TFrame_ReportParam*>();
    EXPECT_EQ(report->ed_se_lorik->text(), QStringLiteral("ЛОРИК зав.№100001"));
    w->FindFrame()->btnDisLinkClick();
    EXPECT_EQ(report->ed_se_lorik->text(), QStringLiteral("ЛОРИК зав.№100001")); // kept while down
    report->amp_CD_TEMP->setText(QStringLiteral("17"));
    EXPECT_EQ(report->amp_CD_TEMP->palette().color(QPalette::Base), QColor(255, 191, 0));
}

// The Emulation page in the main window: it stops a running measurement, keeps its programme (the
// interval, not the countdown) in the project, and ends at the first tick after the cable is pulled.
TEST_F(Shell, EmulationStopsTheMeasurementKeepsItsProgrammeAndEndsWhenTheCableIsPulled)
{
    sim::VirtualCalibrator vc(Bench());
    ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    platform::ScopedNoDelay noDelay;
    auto w = Start();
    ASSERT_TRUE(w->IsConnected());
    auto* mesure = w->findChild<measure::TFrameMesure*>(QStringLiteral("FrameMesure1"));
    auto* page = w->findChild<measure::TFrameEmulate*>(QStringLiteral("FrameEmulate1"));
    ASSERT_NE(page, nullptr);
    mesure->StartMeasurementClick();
    ASSERT_TRUE(mesure->Running());

    // a unified resistance: the characteristic library lives beside the program, not the tests
    page->FrameSensor1->cbType->setCurrentIndex(2);
    page->FrameSensor1->cb_Std->setCurrentIndex(2);
    page->FrameSensor1->Update();
    measure::TFrame_steps* s = page->Frame_steps1;
    s->EFixedSteps->setCurrentIndex(measure::kStepsProgrammed);
    s->EStep[1]->setChecked(true);
    s->EStepValue[1]->setText(QStringLiteral("50"));
    s->EAutoStep->setChecked(true);
    s->EAutoStepInterval->setValue(7);
    page->StartEmulationClick();
    ASSERT_TRUE(page->Running());
    EXPECT_FALSE(mesure->Running());
    s->Program().Tick();
    s->Program().Tick();
    EXPECT_EQ(s->EAutoStepInterval->value(), 5); // the countdown

    const QString path = homeDir.filePath(QStringLiteral("e.aip"));
    ASSERT_EQ(LoadSaveProject(path, true), 0);
    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    const QString section = QStringLiteral("_Form_Main_FrameEmulate1_Frame_steps1_");
    EXPECT_EQ(ini.Value(section, QStringLiteral("EAutoStepInterval")), QStringLiteral("7"));
    EXPECT_EQ(ini.Value(section, QStringLiteral("EFixedSteps")), QStringLiteral("2"));
    EXPECT_EQ(ini.Value(section, QStringLiteral("EStep2Value")), QStringLiteral("50"));

    vc.Unplug();
    page->Timer1Timer();
    page->Timer1Timer();
    EXPECT_FALSE(page->Running());
    EXPECT_EQ(Count(kLinkLost), 1);

    s->EStep[1]->setChecked(false);
    s->EAutoStepInterval->setValue(30);
    ASSERT_EQ(LoadSaveProject(path, false), 0);
    EXPECT_TRUE(s->EStep[1]->isChecked());
    EXPECT_TRUE(s->EStepValue[1]->isEnabled());
    EXPECT_EQ(s->EAutoStepInterval->value(), 7);
    w->CloseSequence();
}
