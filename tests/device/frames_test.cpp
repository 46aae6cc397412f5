// The configuration, calibration and archive pages against the virtual calibrator, through a fake
// page host.
#include "device/archiveframe.h"
#include "device/gradframe.h"
#include "device/settingsframe.h"
#include "platform/cp1251.h"
#include "platform/delay.h"
#include "platform/messageservice.h"
#include "reports/protocoldata.h"
#include "simulator/archive.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/fake_host.h"
#include "tests/support/scoped_env.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>

using namespace devlink;
using namespace device;

namespace {

class Page : public ::testing::Test {
protected:
    explicit Page(sim::World w = {}) : vc(std::move(w)) {}
    void SetUp() override
    {
        ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
        ASSERT_EQ(host.Connect(vc.PortPath()), LinkSession::Handshake::Connected);
        vc.Transport().ClearRequests();
    }
    std::vector<std::string> Requests() { return vc.Transport().Requests(); }
    bool Wrote(const std::string& w)
    {
        for (const std::string& x : vc.Model().Writes())
            if (x == w) return true;
        return false;
    }
    /// The link is lost at request number `n` from now (no reply from then on).
    void LoseLinkAt(int n)
    {
        sim::Faults silent;
        silent.noReply = -1;
        if (n <= 1) {
            vc.Transport().SetFaults(silent);
            return;
        }
        auto count = std::make_shared<std::atomic<int>>(0);
        vc.Transport().SetTrace([this, count, n, silent](const std::string&, const std::string&) {
            if (++*count == n - 1) vc.Transport().SetFaults(silent);
        });
    }
    testsupport::ScopedSimDir simDir;
    platform::ScopedMessageRecorder messages;
    platform::ScopedNoDelay noDelay;
    sim::VirtualCalibrator vc;
    testsupport::FakePageHost host;
};

PcTime FixedPc(DeviceClock c)
{
    return {c, QStringLiteral("MSK"), 10800};
}

class Settings : public Page {
protected:
    Settings() : frame(&host) { host.admin = true; }
    void SetUp() override
    {
        Page::SetUp();
        frame.SetLinkUp(true);
        frame.SetPcClock([this] { return FixedPc(pc); });
    }
    DeviceClock pc{2026, 2, 15, 12, 30, 30};
    TFrameSettingsLorik frame;
};

} // namespace

TEST_F(Settings, ReadsInOrderAndShowsTheEncodings)
{
    EXPECT_FALSE(frame.GroupBox11->findChild<QSpinBox*>(QStringLiteral("CSpinEdit2"))->isEnabled());
    EXPECT_EQ(frame.cbLCDoffTime->currentIndex(), -1);
    EXPECT_EQ(frame.AutoOff->currentIndex(), -1);
    EXPECT_FALSE(frame.WriteConf->isEnabled());
    EXPECT_EQ(frame.Edit_Serial->text(), QStringLiteral("100001"));
    vc.Model().SetRaw(Brightness, "92");
    vc.Model().SetRaw(AutoOffTime, "45");
    frame.ReadConfClick();
    const std::vector<std::string> order = {"1;37;66;", "1;37;65;",  "1;37;64;", "1;37;63;", "1;37;60;",
                                            "1;37;62;", "1;37;310;", "1;37;61;", "1;37;80;", "1;37;73;",
                                            "1;37;74;", "1;37;75;",  "1;37;70;", "1;37;71;", "1;37;72;"};
    std::vector<std::string> expected = order;
    expected.insert(expected.end(), order.end() - 6, order.end()); // the clock is read once more
    EXPECT_EQ(Requests(), expected);
    EXPECT_EQ(frame.Bright->value(), 1);
    EXPECT_EQ(frame.AutoOff->currentText(), QStringLiteral("никогда"));
    EXPECT_EQ(frame.cbLCDoffTime->currentText(), QStringLiteral("30 сек."));
    EXPECT_EQ(frame.CSpinEdit3->value(), 3);
    EXPECT_TRUE(frame.WriteConf->isEnabled());
    EXPECT_TRUE(frame.CSpinEdit2->isEnabled());

    vc.Model().SetRaw(Brightness, "94");
    vc.Model().SetRaw(BacklightOffTime, "45"); // no item: the selection stays
    frame.ReadConfClick();
    EXPECT_EQ(frame.Bright->value(), 7);
    EXPECT_EQ(frame.cbLCDoffTime->currentText(), QStringLiteral("30 сек."));
    EXPECT_TRUE(messages.Entries().empty());
}

TEST_F(Settings, WritesInOrderAndSkipsWhatIsNotSelected)
{
    frame.ReadConfClick();
    vc.Transport().ClearRequests();
    frame.Bright->setValue(100);
    frame.cbLCDoffTime->setCurrentIndex(-1);
    frame.CSpinEdit2->setValue(7);
    frame.WriteConfClick();
    EXPECT_EQ(Requests(), (std::vector<std::string>{"1;38;66;7;", "1;38;65;3;", "1;38;62;1;", "1;38;64;1;",
                                                    "1;38;60;1;", "1;38;63;0;", "1;38;67;111;"}));
    EXPECT_TRUE(frame.WriteConf->isEnabled());
    // a refused write leaves "Записать" disabled until the next read
    vc.Model().InjectDeviceError(BuzzerOn, 6);
    frame.WriteConfClick();
    EXPECT_FALSE(frame.WriteConf->isEnabled());
    EXPECT_EQ(Requests().back(), "1;38;64;1;");
}

TEST_F(Settings, DeviceErrorStopsTheReadLinkLossStopsEverything)
{
    vc.Model().InjectDeviceError(BuzzerOn, 5); // the third read
    frame.ReadConfClick();
    std::vector<std::string> r = Requests();
    ASSERT_GE(r.size(), 3u);
    EXPECT_EQ(r[2], "1;37;64;");
    EXPECT_EQ(r[3], "1;37;73;"); // then only the clock
    EXPECT_TRUE(frame.WriteConf->isEnabled());
    EXPECT_TRUE(frame.Buzzer->isEnabled());
    vc.Model().ClearDeviceErrors();

    frame.SetLinkUp(false);
    frame.SetLinkUp(true);
    vc.Transport().ClearRequests();
    LoseLinkAt(3);
    frame.ReadConfClick();
    EXPECT_FALSE(host.IsConnected());
    EXPECT_EQ(Requests().size(), 3u); // nothing after the lost one
    EXPECT_FALSE(frame.ReadConf->isEnabled());
    EXPECT_FALSE(frame.WriteConf->isEnabled());
    EXPECT_FALSE(frame.Buzzer->isEnabled());
    EXPECT_FALSE(frame.btnReadDT->isEnabled());
}

TEST_F(Settings, ClockFromThePcAndItsDifference)
{
    pc = {2026, 2, 15, 12, 30, 59};
    frame.WriteSystemDTClick();
    EXPECT_TRUE(Wrote("72=59")); // no carry at :59
    pc = {2026, 2, 15, 12, 30, 30};
    vc.Model().SetClock({2026, 1, 31, 23, 0, 0});
    frame.WriteSystemDTClick();
    EXPECT_TRUE(Wrote("72=31"));
    EXPECT_EQ(frame.lab_DeltaTime->text(),
              ClockText({2026, 2, 15, 12, 30, 31}) + QStringLiteral(" (Δ +1 с)"));
    vc.Model().SetClock({2026, 2, 15, 12, 30, 28});
    frame.btnReadDTClick();
    EXPECT_TRUE(frame.lab_DeltaTime->text().endsWith(QStringLiteral("(Δ −2 с)")))
        << frame.lab_DeltaTime->text().toStdString();
    frame.TimerDataTimesysTimer();
    EXPECT_EQ(frame.Label_DT_now->text(), ClockText(pc) + QStringLiteral(" MSK, UTC+03:00"));

    // fields that form no date: shown as read, in red, without a box
    vc.Model().SetClock({2026, 2, 31, 25, 0, 0});
    frame.btnReadDTClick();
    EXPECT_EQ(frame.lab_DeltaTime->text(), QStringLiteral("2026-02-31 25:00:00"));
    EXPECT_EQ(frame.lab_DeltaTime->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_TRUE(messages.Entries().empty());
}

TEST_F(Settings, SerialNumberIsCommittedAndTheLinkFollows)
{
    frame.Edit_Serial->setText(QStringLiteral("12a"));
    frame.WriteSerialNoClick();
    EXPECT_TRUE(Requests().empty()); // not an integer: nothing is sent
    frame.Edit_Serial->setText(QStringLiteral("4242"));
    frame.WriteSerialNoClick();
    EXPECT_EQ(Requests(), (std::vector<std::string>{"1;38;310;4242;", "1;38;300;735;", "1;38;301;628;",
                                                    "1;37;310;", "1;37;310;"}));
    EXPECT_EQ(frame.Edit_Serial->text(), QStringLiteral("4242"));
    EXPECT_STREQ(host.Link()->DeviceSerialNumber(), "4242");

    host.admin = false;
    frame.SetLinkUp(true);
    EXPECT_FALSE(frame.WriteSerialNo->isEnabled());
}

TEST_F(Settings, DebugSwitchActsOnlyWhenConnectedAndCpuLoadOnlyInDebug)
{
    EXPECT_TRUE(frame.GroupBox_CPU->isHidden());
    EXPECT_TRUE(frame.GroupBox_SendDebug->isHidden());
    frame.CheckBox1_sendDebug->setChecked(true);
    frame.CheckBox1_sendDebugClick();
    EXPECT_TRUE(Wrote("500=1"));
    EXPECT_EQ(Requests().back(), "1;37;500;");
    host.Session().Disconnect();
    vc.Transport().ClearRequests();
    Q_EMIT frame.CheckBox1_sendDebug->clicked(false); // as a project load does
    EXPECT_TRUE(Requests().empty());

    testsupport::FakePageHost debugHost;
    debugHost.debug = debugHost.admin = true;
    ASSERT_EQ(debugHost.Connect(vc.PortPath()), LinkSession::Handshake::Connected);
    TFrameSettingsLorik debugFrame(&debugHost);
    EXPECT_FALSE(debugFrame.GroupBox_CPU->isHidden());
    debugFrame.ReadConfClick();
    EXPECT_TRUE(debugFrame.Label_CPU_Load->text().endsWith(QLatin1Char('%')));
    EXPECT_GT(debugFrame.ProgressBar_CPUload->value(), 0);
}

namespace {

sim::World Drifted()
{
    sim::World w;
    w.input = sim::Input::Source;
    w.noise = 0;
    w.measError[0] = {0.02, 0};   // mV reads 2 % high
    w.emulError[2] = {0.02, 0.1}; // the Ohm output is 2 % high and 0.1 Ohm off
    return w;
}

class Grad : public Page {
protected:
    Grad() : Page(Drifted()), frame(&host)
    {
        host.admin = true;
        frame.SetBackupDir(backups.path());
    }
    void SetUp() override
    {
        Page::SetUp();
        frame.SetLinkUp(true);
    }
    QStringList Backups() { return QDir(backups.path()).entryList(QDir::Files); }
    QTemporaryDir backups;
    TFrameGrad frame;
};

} // namespace

TEST_F(Grad, HiddenErrorsAreCorrected)
{
    // measuring channel mV: 50 mV applied reads 51; the factor from the sample corrects it
    frame.GradModes->setCurrentIndex(1);
    frame.CMSampleValue->setText(QStringLiteral("50"));
    frame.ReadMeasClick();
    ASSERT_TRUE(frame.Measuring());
    EXPECT_TRUE(frame.ReadMeas->isHidden());
    frame.TimerMeasTimer();
    EXPECT_NEAR(frame.CMMeasuredValue->text().toDouble(), 51.0, 1e-4);
    EXPECT_NEAR(frame.CMCalibFactor->text().toDouble(), 50.0 / 51.0, 1e-9);
    EXPECT_TRUE(Backups().isEmpty());
    frame.WriteRefClick();
    EXPECT_EQ(Backups().size(), 1); // taken before the first calibration write
    EXPECT_TRUE(Wrote("300=1"));
    frame.TimerMeasTimer();
    EXPECT_NEAR(frame.CMMeasuredValue->text().toDouble(), 50.0, 1e-3);
    frame.btnStopClick();
    EXPECT_FALSE(frame.Measuring());
    EXPECT_EQ(vc.Model().State().measMode, -1);

    // emulation channel Ohm: the reference measures both points, then the output is right
    frame.GradModes->setCurrentIndex(0);
    frame.EmulationTabs->setCurrentIndex(2);
    frame.SetMinClick();
    frame.CEMinValue->setText(QString::number(vc.Model().TrueOutput(), 'f', 4));
    frame.WriteMinClick();
    frame.SetMaxClick();
    const double high = vc.Model().TrueOutput();
    EXPECT_NEAR(high, 320 * 1.02 + 0.1, 1e-9);
    frame.CEMaxValue->setText(QString::number(high, 'f', 4));
    frame.WriteMaxClick();
    EXPECT_NEAR(frame.CEMaxValue->text().toDouble(), high, 1e-4); // read back
    frame.Edit1_EmulValue->setText(QStringLiteral("100"));
    frame.BtnEmulValueClick();
    EXPECT_NEAR(vc.Model().TrueOutput(), 100.0, 1e-3);
    EXPECT_EQ(Backups().size(), 1); // one backup a run
}

TEST_F(Grad, FactorArithmeticAndTheCompensatorShift)
{
    frame.GradModes->setCurrentIndex(1);
    frame.EditDavCalib->setText(QStringLiteral("1.02"));
    frame.CMMeasuredValue->setText(QStringLiteral("9.8"));
    frame.CMSampleValue->setText(QStringLiteral("10"));
    EXPECT_TRUE(frame.CMCalibFactor->text().startsWith(QStringLiteral("1.0408163")));
    frame.CMMeasuredValue->setText(QStringLiteral("0"));
    frame.CMSampleValue->setText(QStringLiteral("11"));
    EXPECT_TRUE(frame.CMCalibFactor->text().startsWith(QStringLiteral("1.0408163"))); // M = 0: unchanged

    frame.MeasurementTabs->setCurrentIndex(4);
    EXPECT_TRUE(frame.WriteRef->isHidden());
    vc.Model().SetRaw(CompensatorValue, "0.37");
    frame.ReadMeasClick();
    frame.TimerMeasTimer();
    EXPECT_EQ(frame.EditMeasShift->text(), QStringLiteral("-0.37"));
    // a reading of the compensator's resistance proposes a shift nobody should write unasked
    vc.Model().ClearRaw(CompensatorValue);
    frame.TimerMeasTimer();
    EXPECT_LT(frame.EditMeasShift->text().toDouble(), -100);
    messages.QueueAnswer(false);
    frame.WriteShiftMeasClick();
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_TRUE(messages.Entries()[0].text.contains(QStringLiteral("выглядит неправдоподобно")));
    EXPECT_FALSE(Wrote("206=" + frame.EditMeasShift->text().toStdString()));
    EXPECT_TRUE(Backups().isEmpty());
    frame.EditMeasShift->setText(QStringLiteral("-0.4"));
    frame.WriteShiftMeasClick();
    EXPECT_TRUE(Wrote("206=-0.400000"));
    EXPECT_EQ(messages.Entries().size(), 1u); // a small shift is not asked about
}

TEST_F(Grad, NothingIsSentForAFieldThatDoesNotParse)
{
    frame.CEMinValue->clear();
    frame.WriteMinClick();
    frame.CEShift->setText(QStringLiteral("abc"));
    frame.WriteShiftEmulClick();
    frame.Edit1_EmulValue->clear();
    frame.BtnEmulValueClick();
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(Backups().isEmpty());
}

TEST_F(Grad, TabChangeAndLinkLossStopMeasuring)
{
    frame.GradModes->setCurrentIndex(1);
    frame.ReadMeasClick();
    frame.TimerMeasTimer();
    ASSERT_FALSE(frame.CMMeasuredValue->text().isEmpty());
    frame.MeasurementTabs->setCurrentIndex(1);
    EXPECT_FALSE(frame.Measuring());
    EXPECT_FALSE(frame.TimerMeas->isActive());
    EXPECT_TRUE(frame.btnStop->isHidden());
    EXPECT_FALSE(frame.ReadMeas->isHidden());
    EXPECT_TRUE(frame.CMMeasuredValue->text().isEmpty());
    EXPECT_EQ(vc.Model().State().measMode, -1);

    frame.ReadMeasClick();
    ASSERT_TRUE(frame.Measuring());
    LoseLinkAt(1);
    frame.TimerMeasTimer();
    EXPECT_FALSE(host.IsConnected());
    EXPECT_FALSE(frame.Measuring());
    EXPECT_FALSE(frame.TimerMeas->isActive());
    const size_t sent = Requests().size();
    frame.TimerMeasTimer();
    EXPECT_EQ(Requests().size(), sent); // the port is not reopened by a tick
    EXPECT_FALSE(frame.ReadMeas->isEnabled());
}

TEST_F(Grad, CalibrationFromABackupFile)
{
    frame.BitBtn_SaveClick();
    ASSERT_EQ(Backups().size(), 1);
    const QString file = backups.filePath(Backups().first());
    messages.Clear();
    ASSERT_EQ(host.Link()->WriteRegisterReal(kCalibMeasFactor[2], 1.25f), 0);
    messages.QueueAnswer(false);
    frame.LoadCalibrationFile(file);
    EXPECT_FALSE(Wrote("204=1.000000")); // cancelled
    frame.LoadCalibrationFile(file);
    ASSERT_EQ(messages.Entries().size(), 3u); // two questions, then the outcome
    EXPECT_EQ(messages.Entries()[2].text,
              QStringLiteral("Калибровка из файла записана в прибор и проверена."));
    EXPECT_EQ(vc.Model().State().calibration.at(kCalibMeasFactor[2]), 1.0f);

    // another calibrator's file is confirmed with both serial numbers
    host.Link()->SetDeviceSerialNumber("777");
    messages.Clear();
    messages.QueueAnswer(false);
    frame.LoadCalibrationFile(file);
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_TRUE(messages.Entries()[0].text.contains(QStringLiteral("зав.№ 100001")));
    EXPECT_TRUE(messages.Entries()[0].text.contains(QStringLiteral("зав.№ 777")));
}

namespace {

class Archive : public ::testing::Test {
protected:
    Archive() : frame(&host) { verification::ClearRows(verification::Results()); }
    QString Write(int records)
    {
        const QString path = dir.filePath(QStringLiteral("arc%1.zip").arg(records));
        EXPECT_TRUE(sim::WriteArchive(path, records));
        return path;
    }
    void Tick(int row)
    {
        frame.Model().setData(frame.Model().index(row, 0), Qt::Checked, Qt::CheckStateRole);
    }
    QTemporaryDir dir;
    platform::ScopedMessageRecorder messages;
    testsupport::FakePageHost host;
    TFrameArchive frame;
};

} // namespace

TEST_F(Archive, LoadTickTransfer)
{
    ASSERT_TRUE(frame.LoadArchive(Write(20)));
    EXPECT_EQ(frame.Label_FileInfo->text(), QStringLiteral("Загружено записей: 20"));
    EXPECT_FALSE(frame.btnToExcell->isEnabled());
    EXPECT_TRUE(frame.lab_cSelected->isHidden());
    Tick(2);
    Tick(0);
    EXPECT_TRUE(frame.btnToExcell->isEnabled());
    EXPECT_EQ(frame.lab_cSelected->text(), QStringLiteral("Выбрано: 2 точек"));

    // measured points exist: asked first, Cancel keeps them
    verification::AppendRow(verification::Results(), verification::ResultRow{5});
    messages.QueueAnswer(false);
    frame.btnToExcellClick();
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Удалить все измеренные значения!")});
    EXPECT_EQ(verification::Results().count, 1);
    EXPECT_EQ(host.resultsShown, 0);
    frame.btnToExcellClick();
    EXPECT_EQ(verification::Results().count, 2);
    EXPECT_EQ(verification::Results().rows[0].measured, 700.0f); // record 1 comes first
    EXPECT_EQ(host.resultsShown, 1);
    EXPECT_EQ(host.reportFields.value(QStringLiteral("amp_D1_SERIAL")), QStringLiteral("1001"));
    EXPECT_EQ(host.reportFields.value(QStringLiteral("amp_CD_DATE")), QStringLiteral("2025-03-04"));
    EXPECT_EQ(platform::GetText(reports::Protocol().device.serial), QStringLiteral("1001"));

    frame.NewProject();
    EXPECT_EQ(frame.Model().rowCount(), 0);
    EXPECT_EQ(frame.Label_FileInfo->text(), QStringLiteral("Загружено записей: 0"));
    EXPECT_FALSE(frame.btnToExcell->isEnabled());
}

TEST_F(Archive, DamagedFileEmptiesTheListWithMessage9)
{
    ASSERT_TRUE(frame.LoadArchive(Write(3)));
    const QString bad = dir.filePath(QStringLiteral("bad.zip"));
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("PK\x03\x04 not really");
    f.close();
    EXPECT_FALSE(frame.LoadArchive(bad));
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Файл архива ЛОРИК повреждён!")});
    EXPECT_EQ(frame.Model().rowCount(), 0);
    EXPECT_EQ(frame.Label_FileInfo->text(), QStringLiteral("Загружено записей: 0"));
    EXPECT_EQ(frame.Label_ArcPath->text(), bad);
}

TEST_F(Archive, MoreThanTheListHoldsIsSaidAndCsvIsWritten)
{
    ASSERT_TRUE(frame.LoadArchive(Write(201)));
    for (int i = 0; i < 201; ++i)
        Tick(i);
    frame.btnToExcellClick();
    EXPECT_EQ(verification::Results().count, 200);
    ASSERT_EQ(messages.Entries().size(), 1u);
    EXPECT_TRUE(messages.Entries()[0].text.contains(QStringLiteral("200 из 201")));

    frame.Model().SetRecords(ReadArchiveFile(Write(3)).records);
    const QString csv = dir.filePath(QStringLiteral("out.csv"));
    ASSERT_TRUE(frame.SaveCsv(csv)); // nothing ticked: all rows
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("№;Режим;дата;время;сер. номер;")));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("1;Поверка МПД;2025-03-04;13:07:45;1001;")));
    f.close();
    Tick(1);
    ASSERT_TRUE(frame.SaveCsv(csv));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_EQ(QString::fromUtf8(f.readAll()).count(QLatin1Char('\n')), 2);
}
