// The application shell against the virtual calibrator in process, offscreen.
#include "platform/ini.h"
#include "platform/messageservice.h"
#include "link/findframe.h"
#include "measure/chartview.h"
#include "measure/mesureframe.h"
#include "measure/reportmodel.h"
#include "platform/delay.h"
#include "sensors/sensorframe.h"
#include "shell/commands.h"
#include "shell/components.h"
#include "shell/ddepublisher.h"
#include "shell/mainwindow.h"
#include "shell/pages.h"
#include "shell/paths.h"
#include "shell/project.h"
#include "shell/radiogroup.h"
#include "shell/translation.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/scoped_env.h"

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
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace shell;

namespace {

const QString kLinkLost = QStringLiteral("Обрыв связи с ЛОРИК!");
const QString kConnectFailed = QStringLiteral("Не удалось установить связь с прибором.");

class Shell : public ::testing::Test {
protected:
    Shell() : home("LORIKWS_HOME", homeDir.path().toLocal8Bit()) {}

    std::unique_ptr<TForm_Main> Start(const char* arg = nullptr)
    {
        QStringList args {QStringLiteral("lorikws")};
        if (arg) args << QString::fromLatin1(arg);
        auto w = std::make_unique<TForm_Main>(StartOptions::FromArguments(args));
        w->DeferredStart();
        return w;
    }
    int Count(const QString& text) const
    {
        int n = 0;
        for (const QString& t : messages.Texts()) n += t == text;
        return n;
    }
    sim::World Bench()
    {
        sim::World w;
        QString e;
        sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("bench")), &w, &e);
        return w;
    }

    QTemporaryDir homeDir;
    testsupport::ScopedEnv home;
    testsupport::ScopedSimDir simDir;
    platform::ScopedMessageRecorder messages;
};

} // namespace

TEST_F(Shell, SwitchesPagesAndDebugGroup)
{
    const QStringList six = {QStringLiteral("Connection"), QStringLiteral("Configuration"), QStringLiteral("Emulation"),
                             QStringLiteral("Measure"),    QStringLiteral("TestTab"),       QStringLiteral("Archive")};
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
    for (const char* page : {"FrameFindDevice1", "FrameGrad1", "FrameSettingsLorik1", "FrameEmulate1", "FrameMesure1",
                             "Frame_Chk1", "Frame_ReportParam1", "Frame_Chk_result1", "FrameArchive1"})
        EXPECT_NE(debug->findChild<QWidget*>(QString::fromLatin1(page)), nullptr) << page;
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
    EXPECT_TRUE(messages.Texts().join(QLatin1Char('|')).contains(QStringLiteral("soft_generated.lng--    possible created.")));
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
        TForm_Main w(StartOptions {});
        platform::IniFile lng;
        TranslateWindow(&w, lng, true);
        lng.SetValue(QStringLiteral("Translate"), TextId(QStringLiteral("Form_Main/FrameFindDevice1/btnLink")),
                     QStringLiteral("Connect"));
        lng.RemoveKey(QStringLiteral("Translate"), TextId(QStringLiteral("Form_Main/FrameFindDevice1/ButtonRefreshList")));
        ASSERT_TRUE(lng.Save(path));
    }
    platform::IniFile settings;
    settings.SetValue(QStringLiteral("Main"), QStringLiteral("LanguageFile"), name);
    ASSERT_TRUE(settings.Save(SettingsPath()));
    auto w = Start();
    auto* find = w->FindFrame();
    EXPECT_EQ(find->btnLink->text(), QStringLiteral("Connect"));
    EXPECT_EQ(find->ButtonRefreshList->text(),
              QStringLiteral("?-id ") + TextId(QStringLiteral("Form_Main/FrameFindDevice1/ButtonRefreshList")));
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
    sim::PtyTransport other([](const std::string& req) { return sim::Reply {req == "1;0;" ? "51" : ""}; });
    ASSERT_EQ(other.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
    auto w = Start();
    EXPECT_FALSE(w->IsConnected());
    EXPECT_EQ(Count(kConnectFailed), 1);
    EXPECT_EQ(Count(kLinkLost), 0);
    EXPECT_FALSE(w->Link()->IsOpen());
    EXPECT_EQ(other.Requests(), (std::vector<std::string> {"1;0;"}));
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
                  (QStringList {QStringLiteral("FrameMesure1"), QStringLiteral("NoSuchThing")}));
        w->setGeometry(37, 41, 1100, 700);
        w->CloseSequence();
    }
    platform::IniFile after;
    ASSERT_TRUE(after.Load(SettingsPath()));
    EXPECT_EQ(after.Value(QStringLiteral("HelpIDs"), QStringLiteral("FrameMesure1")), QStringLiteral("mesure.htm"));
    EXPECT_EQ(after.IntValue(QStringLiteral("Form"), QStringLiteral("Width"), 0), 1100);
    auto w = Start();
    EXPECT_EQ(w->geometry(), QRect(37, 41, 1100, 700));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("АРМ ЛОРИК   ")); // no project chosen yet
    EXPECT_TRUE(QFile::exists(DefaultProjectPath()));         // closing without a project writes default.aip
}

TEST_F(Shell, HelpCommandsGoThroughTheDesktop)
{
    platform::IniFile ini;
    ini.SetValue(QStringLiteral("HelpIDs"), QStringLiteral("NoSuchThing"), QStringLiteral("x.htm"));
    ini.SetValue(QStringLiteral("HelpIDs"), QStringLiteral("FrameFindDevice1"), QStringLiteral("connect.htm"));
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
    EXPECT_EQ(w->Commands().ContextHelp(), ProgramDir() + QStringLiteral("/connect.htm")); // the first that can take the focus
    w->Commands().TemplateFolder();
    EXPECT_EQ(opened, (QStringList {chm, ProgramDir() + QStringLiteral("/connect.htm"), TemplateDir()}));
    QFile::remove(chm);
    QFile::remove(context);
}

namespace {
// A frame with a few kinds of controls and handlers that record the order they run in.
class TFrameProbe : public QFrame {
public:
    explicit TFrameProbe(QWidget* parent, QStringList* log) : QFrame(parent)
    {
        setObjectName(QStringLiteral("FrameProbe1"));
        edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("ed_Value"));
        combo = new QComboBox(this);
        combo->setObjectName(QStringLiteral("cb_Kind"));
        combo->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        box = new QCheckBox(this);
        box->setObjectName(QStringLiteral("cb_Auto"));
        memo = new QPlainTextEdit(this);
        memo->setObjectName(QStringLiteral("Memo1"));
        group = new TRadioGroup(QStringLiteral("g"), {QStringLiteral("x"), QStringLiteral("y")}, this);
        group->setObjectName(QStringLiteral("rg_Mode"));
        date = new QLineEdit(this);
        date->setObjectName(QStringLiteral("amp_CD_DATE"));
        connect(combo, &QComboBox::currentIndexChanged, this, [log, this](int i) {
            *log << QStringLiteral("combo %1 edit=%2").arg(i).arg(edit->text());
        });
        connect(box, &QCheckBox::clicked, this, [log](bool on) { *log << QStringLiteral("box %1").arg(on); });
        connect(group, &TRadioGroup::clicked, this, [log](int i) { *log << QStringLiteral("group %1").arg(i); });
    }
    QLineEdit* edit;
    QComboBox* combo;
    QCheckBox* box;
    QPlainTextEdit* memo;
    TRadioGroup* group;
    QLineEdit* date;
};
class TForm_Probe : public QWidget {
public:
    TForm_Probe() { setObjectName(QStringLiteral("Form_Probe")); }
};
} // namespace

TEST_F(Shell, ProjectRoundTripRunsHandlersInLoadOrder)
{
    // TFrameProbe and TForm_Probe carry no Q_OBJECT: give them owner class names through a meta
    // object of their own is not possible, so the real frames of the main window are used instead.
    TForm_Main w(StartOptions {});
    QStringList log;
    auto* frame = w.findChild<QFrame*>(QStringLiteral("FrameMesure1"));
    auto* probe = new TFrameProbe(frame, &log);
    probe->edit->setText(QStringLiteral("12.5"));
    probe->combo->setCurrentIndex(2);
    probe->box->setChecked(true);
    probe->memo->setPlainText(QStringLiteral("one\nдва\nthree"));
    probe->group->SetItemIndex(1, false);
    probe->date->setText(QStringLiteral("01.01.2026"));
    const QString path = homeDir.filePath(QStringLiteral("p.aip"));
    ASSERT_EQ(LoadSaveProject(path, true), 0);

    platform::IniFile ini;
    ASSERT_TRUE(ini.Load(path));
    EXPECT_EQ(ini.Value(QStringLiteral("_Form_Main_FrameMesure1_"), QStringLiteral("ed_Value")), QStringLiteral("12.5"));
    EXPECT_EQ(ini.Value(QStringLiteral("_Form_Main_FrameMesure1_"), QStringLiteral("Memo1_str1")), QStringLiteral("два"));
    EXPECT_FALSE(ini.HasKey(QStringLiteral("_Form_Main_FrameMesure1_"), QStringLiteral("amp_CD_DATE")));
    EXPECT_FALSE(ini.HasKey(QStringLiteral("_Form_Main_"), QStringLiteral("Pages")));
    EXPECT_EQ(ini.Value(QStringLiteral("_Form_Main_FrameFindDevice1_"), QStringLiteral("cbAutoConnect")), QStringLiteral("1"));

    probe->edit->clear();
    probe->combo->setCurrentIndex(0);
    probe->box->setChecked(false);
    probe->memo->setPlainText(QStringLiteral("just one"));
    probe->group->SetItemIndex(0, false);
    probe->date->setText(QStringLiteral("kept"));
    log.clear();
    ASSERT_EQ(LoadSaveProject(path, false), 0);
    EXPECT_EQ(probe->edit->text(), QStringLiteral("12.5"));
    EXPECT_EQ(probe->combo->currentIndex(), 2);
    EXPECT_TRUE(probe->box->isChecked());
    EXPECT_EQ(probe->memo->toPlainText(), QStringLiteral("one\nдва\nthree"));
    EXPECT_EQ(probe->group->ItemIndex(), 1);
    EXPECT_EQ(probe->date->text(), QStringLiteral("kept"));
    // handlers ran once each, in load order, after the controls before them were loaded
    EXPECT_EQ(log, (QStringList {QStringLiteral("combo 2 edit=12.5"), QStringLiteral("box 1"), QStringLiteral("group 1")}));

    // a shorter memo leaves no stale lines behind
    probe->memo->setPlainText(QStringLiteral("only"));
    ASSERT_EQ(LoadSaveProject(path, true), 0);
    probe->memo->setPlainText(QStringLiteral("x"));
    ASSERT_EQ(LoadSaveProject(path, false), 0);
    EXPECT_EQ(probe->memo->toPlainText(), QStringLiteral("only"));
    // a missing file: combo boxes go to their first entry, handlers still run
    log.clear();
    ASSERT_EQ(LoadSaveProject(homeDir.filePath(QStringLiteral("none.aip")), false), 0);
    EXPECT_EQ(probe->combo->currentIndex(), 0);
    EXPECT_TRUE(log.contains(QStringLiteral("combo 0 edit=12.5")));
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
                         {QStringLiteral("--session"), QStringLiteral("--print-reply"), QStringLiteral("--dest=lorikws.DDE"),
                          QStringLiteral("/NOVAR"), QStringLiteral("org.freedesktop.DBus.Properties.Get"),
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
