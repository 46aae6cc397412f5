// The Emulation page against the virtual calibrator in process, offscreen.
#include "link/registers.h"
#include "measure/emulateframe.h"
#include "measure/reportmodel.h"
#include "measure/stepsframe.h"
#include "measure/valuecontrolframe.h"
#include "platform/delay.h"
#include "platform/messageservice.h"
#include "sensors/ioutframe.h"
#include "sensors/sensorframe.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/fake_host.h"
#include "tests/support/scoped_env.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

using namespace measure;
using namespace Qt::StringLiterals;

namespace {

sim::World Scenario(const QString& name)
{
    sim::World w;
    QString e;
    sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(name), &w, &e);
    w.loop.lagS = 0; // the ticks here come faster than a second
    return w;
}

class Emulation : public ::testing::Test {
protected:
    explicit Emulation(const QString& scenario = u"bench"_s) : vc(Scenario(scenario)) {}
    void SetUp() override
    {
        ASSERT_EQ(vc.Start(simDir.Link(u"ttyLORIK0"_s)), 0);
        host.dataDir = data.path();
        page = std::make_unique<TFrameEmulate>(&host, nullptr, QStringLiteral(POLYNOMS_LIBRARY));
        page->resize(1100, 800);
        page->show();
        ASSERT_EQ(host.Connect(vc.PortPath()), devlink::LinkSession::Handshake::Connected);
    }
    void TearDown() override { page.reset(); }
    void Value(const QString& text)
    {
        page->Frame_steps1->EFixedSteps->setCurrentIndex(kStepsNone);
        page->Frame_steps1->ESignalValue->setText(text);
    }
    /// Index of the first write starting with `prefix` at or after `from`; -1 when none.
    static int Find(const std::vector<std::string>& w, const char* prefix, int from = 0)
    {
        for (int i = from; i < int(w.size()); ++i)
            if (w[i].rfind(prefix, 0) == 0) return i;
        return -1;
    }
    std::vector<std::string> Writes() { return vc.Model().Writes(); }
    QString Cell(int row, int column) const { return page->ListModel()->Cell(row, column); }

    testsupport::ScopedSimDir simDir;
    sim::VirtualCalibrator vc;
    QTemporaryDir data;
    platform::ScopedNoDelay noDelay;
    platform::ScopedMessageRecorder messages;
    testsupport::FakePageHost host;
    std::unique_ptr<TFrameEmulate> page;
};

class LoopEmulation : public Emulation {
protected:
    LoopEmulation() : Emulation(u"loop"_s) {}
};

} // namespace

TEST_F(Emulation, Pt100StartsInItsKindFirstAndStopWritesZeroFirst)
{
    // with the current input on, the setpoint still shows the emulated signal's unit
    page->FrameSensor1->Iout()->cbEnable->setChecked(true);
    page->FrameSensor1->Update();
    ASSERT_TRUE(page->FrameSensor1->Iout()->Enabled());
    Value(u"100"_s);
    const size_t before = Writes().size();
    page->StartEmulationClick();
    ASSERT_TRUE(page->Running());
    EXPECT_EQ(host.otherWorkStopped, 1);
    std::vector<std::string> w = Writes();
    w.erase(w.begin(), w.begin() + before);
    const int kind = Find(w, "10="), mode = Find(w, "20="), value = Find(w, "25=");
    ASSERT_GE(kind, 0);
    ASSERT_GE(value, 0);
    EXPECT_LT(kind, value);
    EXPECT_LT(mode, value);
    EXPECT_EQ(Find(w, "25=", value + 1), -1) << "one value written";
    EXPECT_NEAR(vc.Model().State().emulValue, 138.5, 0.05);
    EXPECT_TRUE(page->Label_RealEl_val->text().endsWith(u" Ом)"_s))
        << page->Label_RealEl_val->text().toStdString();
    EXPECT_EQ(page->ECurrent->text(), u"100.000"_s);

    page->Timer1Timer();
    ASSERT_EQ(page->ListModel()->Rows(), 1);
    EXPECT_EQ(Cell(0, 1), u"100 °С"_s);

    const size_t running = Writes().size();
    page->StopEmulationClick();
    EXPECT_FALSE(page->Running());
    w = Writes();
    w.erase(w.begin(), w.begin() + running);
    const int zero = Find(w, "25=0"), off = Find(w, "20=-1");
    ASSERT_GE(zero, 0);
    ASSERT_GE(off, 0);
    EXPECT_LT(zero, off);
    EXPECT_EQ(page->ListModel()->Rows(), 1) << "the list survives the stop";

    const size_t stopped = Writes().size();
    page->Frame_ValueControl1->Spinner().Press(12);
    page->Frame_ValueControl1->Release();
    EXPECT_EQ(Writes().size(), stopped) << "the spinner alone writes nothing while stopped";
    page->Timer1Timer(); // a late tick
    EXPECT_EQ(page->ListModel()->Rows(), 1);
}

TEST_F(Emulation, EnterAboveTheRangeEmulatesTheClampedValue)
{
    page->FrameSensor1->cbType->setCurrentIndex(1);
    page->FrameSensor1->cb_TP->setCurrentIndex(1); // type K
    page->FrameSensor1->Update();
    page->FrameSensor1->ebCompensVal->setText(u"0"_s);
    ASSERT_EQ(page->FrameSensor1->Setup().rangeMax, 1300);
    const float emf1300 = page->FrameSensor1->PhysToEl(1300);
    Value(u"100"_s);
    page->StartEmulationClick();
    ASSERT_TRUE(page->Running());
    page->Frame_steps1->ESignalValue->setText(u"1350"_s);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(page->Frame_steps1->ESignalValue, &enter);
    ASSERT_TRUE(page->Running());
    const float emitted = vc.Model().State().emulValue;
    EXPECT_EQ(page->ECurrent->text(), u"1300.000"_s);
    EXPECT_FLOAT_EQ(emf1300, emitted);
    for (int i = 0; i < 3; ++i)
        page->Timer1Timer();
    ASSERT_EQ(page->ListModel()->Rows(), 1) << "a thermocouple skips two ticks";
    EXPECT_EQ(Cell(0, 1), u"1300 °С"_s);
}

TEST_F(Emulation, OutOfRangeReadingLogsAMissingValueAndRunsOn)
{
    Value(u"50.25"_s);
    page->StartEmulationClick();
    ASSERT_TRUE(page->Running());
    vc.Model().InjectDeviceError(22, 6);
    page->Timer1Timer();
    ASSERT_TRUE(page->Running());
    ASSERT_EQ(page->ListModel()->Rows(), 1);
    EXPECT_EQ(Cell(0, 1), u"50.25 °С"_s);
    EXPECT_EQ(Cell(0, 2), u"<<<.<<<"_s);
    EXPECT_EQ(host.published.last(), u"<<<.<<<"_s);
    vc.Model().ClearDeviceErrors();
    page->Timer1Timer();
    EXPECT_EQ(Cell(1, 1), u"50,25 °С"_s);
    vc.Model().InjectDeviceError(22, 3);
    page->Timer1Timer();
    EXPECT_FALSE(page->Running()) << "another device error stops";
}

TEST_F(Emulation, RefusedValueOrNoLinkStartsNothing)
{
    page->FrameSensor1->cbType->setCurrentIndex(2);
    page->FrameSensor1->cb_Std->setCurrentIndex(0); // mV
    page->FrameSensor1->Update();
    Value(u"100.5"_s);
    page->StartEmulationClick();
    EXPECT_FALSE(page->Running());
    EXPECT_FALSE(page->Frame_steps1->Running());
    EXPECT_TRUE(page->Panel_ValueCorr->isEnabled() == false);

    Value(u"abc"_s);
    page->StartEmulationClick();
    EXPECT_FALSE(page->Running());

    host.Session().Disconnect();
    Value(u"10"_s);
    page->StartEmulationClick();
    EXPECT_FALSE(page->Running());
    EXPECT_EQ(host.noLinkMessages, 1);
}

TEST_F(LoopEmulation, RampWithAutoStepsIsFollowedByTheTransmitter)
{
    page->FrameSensor1->cbType->setCurrentIndex(1);
    page->FrameSensor1->cb_TP->setCurrentIndex(1); // type K
    page->FrameSensor1->Update();
    page->FrameSensor1->cbIsAutoCompens->setChecked(true);
    sensors::TFrame_std_Iout_tune* iout = page->FrameSensor1->Iout();
    iout->cbEnable->setChecked(true);
    iout->rb_4_20->setChecked(true);
    iout->ebFizMin->setText(u"0"_s);
    iout->ebFizMax->setText(u"600"_s);
    page->FrameSensor1->Update();
    ASSERT_TRUE(iout->Enabled());
    TFrame_steps* s = page->Frame_steps1;
    s->EFixedSteps->setCurrentIndex(kStepsTenPercent);
    s->ERangeStart->setText(u"0"_s);
    s->ERangeEnd->setText(u"600"_s);
    s->EAutoStep->setChecked(true);
    s->EAutoStepInterval->setValue(1);
    page->StartEmulationClick();
    ASSERT_TRUE(page->Running());
    for (int i = 0; i < 6; ++i) {
        s->Program().Tick();
        page->Timer1Timer();
    }
    ASSERT_EQ(page->ListModel()->Rows(), 4);
    EXPECT_EQ(page->EStep->text(), u"6"_s);
    EXPECT_EQ(Cell(3, 1), u"360 °С"_s);
    // a 0..600 °C transmitter read back through a 0..600 °C current input, the cold junction followed
    const float t = Cell(3, 2).section(u' ', 0, 0).replace(u',', u'.').toFloat();
    EXPECT_NEAR(t, 360, 1) << Cell(3, 2).toStdString();
}

TEST_F(Emulation, ExportsThreeColumnsAndAFailedStopStillEndsTheMode)
{
    Value(u"100"_s);
    page->StartEmulationClick();
    page->Timer1Timer();
    page->Timer1Timer();
    // the zero write fails once: the calibrator still leaves the emulation mode
    vc.Model().InjectDeviceErrorOnce(devlink::EmulValue, 6);
    page->StopEmulationClick();
    EXPECT_FALSE(page->Running());
    EXPECT_EQ(vc.Model().State().measMode, -1);
    page->SetSheetoutLibrary(QStringLiteral(STANDIN_LIBRARY));
    QTemporaryDir out;
    testsupport::ScopedEnv where("STANDIN_OUT", out.filePath(u"x"_s).toLocal8Bit());
    page->BitToExcelClick();
    QFile f(out.filePath(u"x"_s));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    EXPECT_EQ(lines[0], QByteArray("columns=3"));
    EXPECT_EQ(QString::fromUtf8(lines[2]), u"2\t"_s + Cell(1, 1) + u'\t' + Cell(1, 2));
    EXPECT_TRUE(messages.Texts().isEmpty());
    page->SetSheetoutLibrary(u"libnothing-here.so"_s);
    page->BitToExcelClick();
    EXPECT_EQ(messages.Texts(), QStringList{u"Библиотека libnothing-here.so не найдена!"_s});
}

TEST_F(Emulation, TheSetpointFollowsTheColdJunctionAsTheCalibratorWarms)
{
    page->FrameSensor1->cbType->setCurrentIndex(1);
    page->FrameSensor1->cb_TP->setCurrentIndex(1); // type K
    page->FrameSensor1->cbIsAutoCompens->setChecked(true);
    page->FrameSensor1->Update();
    Value(u"300"_s);
    page->StartEmulationClick();
    ASSERT_TRUE(page->Running());
    const float first = vc.Model().State().emulValue;
    const size_t writes = Writes().size();
    page->Timer1Timer(); // the compensator has not moved: nothing written
    EXPECT_EQ(Find(Writes(), "25=", int(writes)), -1);
    ASSERT_TRUE(vc.Model().Set("ambient", vc.Model().Ambient() + 3));
    page->Timer1Timer();
    ASSERT_TRUE(page->Running());
    EXPECT_GE(Find(Writes(), "25=", int(writes)), 0);
    EXPECT_LT(vc.Model().State().emulValue, first - 0.05f) << "a warmer junction needs less EMF";
}
