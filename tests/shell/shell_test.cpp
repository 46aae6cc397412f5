// The application shell against the virtual calibrator in process, offscreen.
#include "link/findframe.h"
#include "platform/ini.h"
#include "platform/messageservice.h"
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
#include "tests/shell/shell_fixture.h"
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
