// The verification page against the virtual calibrator's bundled scenarios, through a fake page
// host: temperature points with their own class tolerances, the pressure reference's unit, the
// typed tolerance kept, a reference or a link lost in a run, and a full results list.
#include "link/registers.h"
#include "measure/chartview.h"
#include "measure/graphchk.h"
#include "measure/stepsframe.h"
#include "measure/valuecontrolframe.h"
#include "platform/delay.h"
#include "platform/messageservice.h"
#include "reports/protocoldata.h"
#include "sensors/ioutframe.h"
#include "sensors/sensorframe.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/fake_host.h"
#include "tests/support/scoped_env.h"
#include "verification/chkframe.h"
#include "verification/ktframe.h"
#include "verification/reportparam.h"
#include "verification/results.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace verification;
using devlink::LinkSession;

namespace {

sim::World Scenario(const char* name)
{
    sim::World w;
    QString error;
    EXPECT_TRUE(
        sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QString::fromLatin1(name)), &w, &error))
        << error.toStdString();
    return w;
}

class Chk : public ::testing::Test {
protected:
    explicit Chk(sim::World w) : vc(std::move(w)) {}
    void SetUp() override
    {
        ASSERT_EQ(vc.Start(simDir.Link(QStringLiteral("ttyLORIK0"))), 0);
        ASSERT_EQ(host.Connect(vc.PortPath()), LinkSession::Handshake::Connected);
        ClearRows(Results());
        host.chart = &chart;
        reports::ProtocolData& d = reports::Protocol();
        d.errorCoefficient = 0;
        d.decimals = 3;
        page = std::make_unique<TFrame_Chk>(&host, nullptr, QStringLiteral(POLYNOMS_LIBRARY));
        report = new TFrame_ReportParam(dir.filePath(QStringLiteral("kt.ini")), page.get());
        page->SetSubPages(report, nullptr, {[this] { ++refreshes; }, {}, {}});
        page->show();
        messages.Clear();
    }
    void TearDown() override
    {
        page.reset();
        ClearRows(Results());
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            page->Timer_ProcessingTimer();
    }
    void Tolerance(const char* text) { page->ed_Err_ok->setText(QString::fromUtf8(text)); }
    int Count(const QString& text) const
    {
        int n = 0;
        for (const QString& t : messages.Texts())
            n += t == text;
        return n;
    }

    testsupport::ScopedSimDir simDir;
    platform::ScopedMessageRecorder messages;
    platform::ScopedNoDelay noDelay;
    QTemporaryDir dir;
    sim::VirtualCalibrator vc;
    testsupport::FakePageHost host;
    measure::TFormGraphChk chart;
    std::unique_ptr<TFrame_Chk> page;
    TFrame_ReportParam* report = nullptr;
    int refreshes = 0;
};

class Bench : public Chk {
protected:
    Bench() : Chk(Scenario("bench")) {}
    void SetUp() override
    {
        Chk::SetUp();
        page->cb_TypePov->setCurrentIndex(KindTemperature);
        page->FrameSensorDT1->cbClassTS->setCurrentIndex(1); // Pt100, class A
    }
};

class Pressure : public Chk {
protected:
    Pressure(int pending = 3) : Chk(World(pending)) {}
    static sim::World World(int pending)
    {
        sim::World w = Scenario("pressure");
        w.processPressure = {500, 0, 120, 0}; // 0.5 МПа, steady
        w.referencePendingReads = pending;
        return w;
    }
};

class PressureLate : public Pressure {
protected:
    PressureLate() : Pressure(25) {}
};

class Furnace : public Chk {
protected:
    Furnace() : Chk(Scenario("furnace")) {}
};

// type K emulated into a 0..600 °C transmitter read back through the current input
class Loop : public Chk {
protected:
    Loop() : Chk(World()) {}
    static sim::World World()
    {
        sim::World w = Scenario("loop");
        w.loop.lagS = 0; // the ticks here come faster than a second
        return w;
    }
    void SetUp() override
    {
        Chk::SetUp();
        page->cb_TypePov->setCurrentIndex(KindSecondary);
        sensors::TFrameSensor* s = page->FrameSensor_SC;
        s->cbType->setCurrentIndex(1);
        s->cb_TP->setCurrentIndex(1); // type K
        s->cbIsAutoCompens->setChecked(true);
        sensors::TFrame_std_Iout_tune* iout = s->Iout();
        iout->rb_4_20->setChecked(true);
        iout->ebFizMin->setText(QStringLiteral("0"));
        iout->ebFizMax->setText(QStringLiteral("600"));
        s->Update();
        Tolerance("0.25");
    }
    /// A programme of the values given.
    void Programme(std::initializer_list<const char*> values)
    {
        measure::TFrame_steps* steps = page->Frame_steps_SC;
        steps->EFixedSteps->setCurrentIndex(measure::kStepsProgrammed);
        int i = 0;
        for (const char* v : values) {
            steps->EStep[i]->setChecked(true);
            steps->EStepValue[i]->setText(QString::fromLatin1(v));
            ++i;
        }
    }
};

} // namespace

TEST_F(Bench, ThreeBathTemperaturesGiveThreeRowsWithTheirOwnTolerances)
{
    // before any reading the class is judged at 0 °C
    EXPECT_EQ(page->ed_Err_ok->text(), QStringLiteral("0.15"));
    EXPECT_EQ(page->ed_DT_min->text(), QStringLiteral("-100"));
    EXPECT_EQ(page->lab_Err_ok_unit->text(), QStringLiteral("°C"));
    page->btn_StartClick();
    ASSERT_TRUE(page->Run().Running());
    EXPECT_TRUE(page->btn_Stop->isVisible());
    EXPECT_FALSE(page->cb_TypePov->isEnabled());
    measure::TChartView* graph = chart.Chart();
    EXPECT_EQ(graph->AxisTitle(measure::ChartAxis::Left), QStringLiteral("°C"));
    EXPECT_EQ(graph->AxisTitle(measure::ChartAxis::Right), QStringLiteral("°C"));
    page->BtnGraphClick();
    EXPECT_TRUE(chart.isVisible());
    for (double t : {50.0, 100.0, 200.0}) {
        vc.Model().Set("process-temp", t);
        Ticks(3);
        ASSERT_TRUE(page->Btn_ToReport->isEnabled()) << t;
        page->Btn_ToReportClick();
    }
    ASSERT_EQ(Results().count, 3);
    EXPECT_EQ(refreshes, 3);
    for (int i = 0; i < 3; ++i) {
        const ResultRow& r = Results().rows[i];
        SCOPED_TRACE(i);
        EXPECT_NEAR(r.reference, i == 0 ? 50 : i * 100, 0.5);
        EXPECT_NEAR(r.tolerance, 0.15f + 0.002f * std::fabs(r.reference), 1e-4); // class A at its reference
        EXPECT_NEAR(r.error, r.measured - r.reference, 1e-5);
        EXPECT_EQ(r.pass, 1);
        EXPECT_TRUE(std::isfinite(r.uncertainty));
        EXPECT_GT(r.uncertainty, 0);
    }
    EXPECT_EQ(page->ed_Err_ok->text(), QStringLiteral("0.550"));
    for (int series = 0; series < 3; ++series)
        EXPECT_EQ(graph->Data(series).Count(), 9) << series;
    EXPECT_NEAR(graph->Data(0).Y(8), Results().rows[2].measured, 1e-5);
    EXPECT_NEAR(graph->Data(1).Y(8), Results().rows[2].reference, 1e-5);
    EXPECT_NEAR(graph->Data(2).Y(8), Results().rows[2].error, 1e-5);
    EXPECT_TRUE(graph->Data(0).Label(0).startsWith(QStringLiteral("0:0"))); // time since the start
    EXPECT_EQ(page->PageControl_Chk->tabText(2), QStringLiteral("   Результаты (3/200)   "));

    // typed, the permissible error stays what was typed
    page->btn_StopClick();
    Tolerance("0.3");
    page->btn_StartClick();
    Ticks(2);
    EXPECT_FLOAT_EQ(page->Run().Point().tolerance, 0.3f);
    EXPECT_EQ(page->ed_Err_ok->text(), QStringLiteral("0.3"));
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join(u'|').toStdString();
}

TEST_F(Bench, AnUnratedReferenceThermometerShowsNoUncertaintyButThePointMayBeAdded)
{
    // the error by type, of a type rated up to 150 °C only
    report->Frame_KT1->rb_RETAN_errByType->setChecked(true);
    report->Frame_KT1->rb_RETAN_Click();
    report->Frame_KT1->cb_RETAN_type->setCurrentIndex(report->Frame_KT1->cb_RETAN_type->count() - 1);
    vc.Model().Set("process-temp", 200);
    page->btn_StartClick();
    ASSERT_TRUE(page->Run().Running());
    Ticks(2);
    EXPECT_TRUE(std::isnan(page->Run().Point().uncertainty));
    EXPECT_EQ(page->lab_U->text(), QStringLiteral("<<<.<<<"));
    EXPECT_EQ(page->lab_U->toolTip(),
              QStringLiteral("Погрешность эталона не нормирована при этой температуре"));
    EXPECT_TRUE(page->Btn_ToReport->isEnabled());
    page->Btn_ToReportClick();
    ASSERT_EQ(Results().count, 1);
    EXPECT_TRUE(std::isnan(Results().rows[0].uncertainty));
    EXPECT_EQ(Results().rows[0].pass, 1);
}

TEST_F(Pressure, ReferenceInKilopascalsAndTheTypedToleranceKept)
{
    reports::Protocol().decimals = 0;
    Tolerance("0.25");
    page->btn_StartClick();
    ASSERT_TRUE(page->Run().Running());
    EXPECT_FLOAT_EQ(page->Run().RefUnitRatio(), 0.001f);
    Ticks(5);
    const ResultRow& p = page->Run().Point();
    EXPECT_NEAR(p.reference, 0.5, 0.001);
    EXPECT_NEAR(p.measured, 0.5, 0.001);
    EXPECT_FLOAT_EQ(p.tolerance, 0.25f);
    EXPECT_EQ(page->ed_Err_ok->text(), QStringLiteral("0.25")); // shown "as typed", not as "0"
    EXPECT_EQ(p.pass, 1);
    EXPECT_EQ(page->lab_Err_unit->text(), QStringLiteral("%"));
    EXPECT_EQ(page->lab_Etl_fiz_unit->text(), QStringLiteral("МПа"));
    const reports::ProtocolData& d = reports::Protocol();
    EXPECT_FLOAT_EQ(d.device.permissibleError, 0.25f);
    EXPECT_FLOAT_EQ(d.device.signalLow, 4);
    EXPECT_FLOAT_EQ(d.device.signalHigh, 20);
    EXPECT_EQ(d.verificationType, KindPressure);
}

TEST_F(PressureLate, AUnitStillUnknownLeavesTheRatioAtOne)
{
    Tolerance("0.5");
    const int waits = noDelay.Count();
    page->btn_StartClick();
    ASSERT_TRUE(page->Run().Running());
    EXPECT_FLOAT_EQ(page->Run().RefUnitRatio(), 1.0f);
    EXPECT_EQ(noDelay.Count() - waits, kUnitPolls + 1); // 20 unit waits and the settling of the input
}

TEST_F(Pressure, NoToleranceOrNoReferenceRefusesTheStart)
{
    page->btn_StartClick();
    EXPECT_FALSE(page->Run().Running());
    EXPECT_EQ(messages.Texts(), (QStringList{QStringLiteral("Не указан параметр"),
                                             QStringLiteral("Не указана допустимая погрешность!")}));
    messages.Clear();
    Tolerance("0.5");
    vc.Model().Set("reference-type", 0);
    page->btn_StartClick();
    EXPECT_FALSE(page->Run().Running());
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Не подключен эталон давления!")});
}

TEST_F(Pressure, AReferenceLostInARunStopsItOnceAndKeepsTheRows)
{
    Tolerance("0.5");
    page->btn_StartClick();
    Ticks(2);
    page->Btn_ToReportClick();
    ASSERT_EQ(Results().count, 1);
    vc.Model().Set("reference-type", 0); // the calibrator answers device error 14
    Ticks(3);
    EXPECT_FALSE(page->Run().Running());
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Не подключен эталон !")});
    EXPECT_TRUE(host.IsConnected());
    EXPECT_EQ(Results().count, 1);
    EXPECT_FALSE(page->Btn_ToReport->isEnabled());
    EXPECT_TRUE(page->btn_Start->isVisible());
    EXPECT_TRUE(page->btn_Start->isEnabled());
    EXPECT_EQ(vc.Model().State().measMode, -1);
}

TEST_F(Pressure, ALinkLostInARunStopsItWithOneMessageAndNoWrite)
{
    struct Row {
        const char* name;
        std::function<void(sim::VirtualCalibrator&)> lose;
    } rows[] = {
        // one silent reply on the reference's register: that is the link, not the reference
        {"no reply once",
         [](sim::VirtualCalibrator& c) { c.Model().InjectSilentOnce(devlink::ExtDeviceValue); }},
        // silence: every write the stop tried would still reach the calibrator
        {"silence",
         [](sim::VirtualCalibrator& c) {
             sim::Faults f;
             f.noReply = -1;
             c.SetFaults(f);
         }},
        {"unplugged", [](sim::VirtualCalibrator& c) { c.Unplug(); }},
    };
    Tolerance("0.5");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        if (!host.IsConnected()) {
            vc.SetFaults({});
            if (!vc.Transport().Plugged()) {
                ASSERT_EQ(vc.Plug(), 0);
            }
            ASSERT_EQ(host.Connect(vc.PortPath()), LinkSession::Handshake::Connected);
        }
        messages.Clear();
        page->btn_StartClick();
        ASSERT_TRUE(page->Run().Running());
        Ticks(1);
        const size_t writes = vc.Model().Writes().size();
        r.lose(vc);
        Ticks(3);
        EXPECT_FALSE(page->Run().Running());
        EXPECT_FALSE(host.IsConnected());
        EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("Обрыв связи с ЛОРИК!")});
        EXPECT_EQ(vc.Model().Writes().size(), writes);
        EXPECT_FALSE(page->btn_Start->isEnabled());
        EXPECT_FALSE(page->Btn_ToReport->isEnabled());
    }
}

TEST_F(Pressure, TheListTakesTwoHundredPoints)
{
    Tolerance("0.5");
    for (int i = 0; i < kMaxRows - 1; ++i)
        ASSERT_GT(AppendRow(Results(), ResultRow{}), 0);
    page->ResultsChanged();
    page->btn_StartClick();
    Ticks(2);
    ASSERT_TRUE(page->Btn_ToReport->isEnabled());
    page->Btn_ToReportClick();
    EXPECT_EQ(Results().count, kMaxRows);
    EXPECT_FALSE(page->Btn_ToReport->isEnabled());
    EXPECT_EQ(page->Btn_ToReport->toolTip(), QStringLiteral("Список результатов заполнен (200)"));
    EXPECT_EQ(page->PageControl_Chk->tabText(2), QStringLiteral("   Результаты (200/200)   "));
    Ticks(1);
    EXPECT_FALSE(page->Btn_ToReport->isEnabled());
    // a row removed on the results page: room for one more
    RemoveRow(Results(), 0);
    page->PageControl_Chk->setCurrentIndex(2);
    page->PageControl_Chk->setCurrentIndex(1);
    EXPECT_TRUE(page->Btn_ToReport->isEnabled());
    EXPECT_TRUE(page->Btn_ToReport->toolTip().isEmpty());
}

TEST_F(Furnace, AThermocoupleWithAutomaticColdJunctionReadsItsOwnError)
{
    page->cb_TypePov->setCurrentIndex(KindTemperature);
    sensors::TFrameSensor* s = page->FrameSensorDT1;
    s->cbType->setCurrentIndex(1);
    s->cb_TP->setCurrentIndex(1); // type K
    s->cbIsAutoCompens->setChecked(true);
    s->cbTypeChange();
    page->btn_StartClick();
    ASSERT_TRUE(page->Run().Running());
    Ticks(3);
    const ResultRow& p = page->Run().Point();
    EXPECT_NEAR(p.reference, 400, 0.5);
    EXPECT_NEAR(p.error, 0.8, 0.1);                        // the furnace's thermocouple reads 0.8 °C high
    EXPECT_NEAR(p.tolerance, 0.0075f * p.reference, 1e-4); // class 2 at 400 °C: 0.0075·t
    EXPECT_EQ(p.pass, 1);
    EXPECT_NEAR(s->Setup().coldJunctionTemp, 23, 0.5);
}

TEST_F(Loop, AThreeStepProgrammeGivesThreePointsWithinTheTransmittersError)
{
    Programme({"100", "300", "500"});
    EXPECT_EQ(page->Frame_ValueControl1->Label_Units->text(), page->FrameSensor_SC->Setup().physUnit);
    EXPECT_FALSE(page->FrameSensor_SC->Iout()->cbUniuFiz->isEnabled()); // read in the sensor's unit
    page->btn_StartClick();
    ASSERT_TRUE(page->Run().Running());
    EXPECT_TRUE(page->Panel_Etl_el->isVisible());
    for (float value : {100.0f, 300.0f, 500.0f}) {
        SCOPED_TRACE(value);
        EXPECT_FLOAT_EQ(page->Frame_ValueControl1->Value(), value);
        // the new value: the windows and the point of the old one are gone until the next tick
        EXPECT_FALSE(page->Btn_ToReport->isEnabled());
        EXPECT_EQ(page->Run().MeasuredWindow().count, 0);
        EXPECT_NEAR(vc.Model().State().emulValue, page->FrameSensor_SC->PhysToEl(value), 1e-3);
        Ticks(3);
        ASSERT_TRUE(page->Btn_ToReport->isEnabled());
        page->Btn_ToReportClick();
        page->Frame_steps_SC->NextStep();
    }
    ASSERT_EQ(Results().count, 3);
    const float span = page->FrameSensor_SC->Setup().rangeMax - page->FrameSensor_SC->Setup().rangeMin;
    for (int i = 0; i < 3; ++i) {
        const ResultRow& r = Results().rows[i];
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(r.reference, 100.0f + 200.0f * i);
        EXPECT_NEAR(r.measured, r.reference + 0.0005f * 600, 0.3); // 0.05 % of the transmitter's span
        EXPECT_NEAR(r.error, (r.measured - r.reference) / span * 100, 1e-4);
        EXPECT_EQ(r.pass, 1);
    }
    EXPECT_EQ(Results().rows[2].tolerance, 0.25f);

    // a hand correction is a new value too
    Ticks(2);
    ASSERT_TRUE(page->Btn_ToReport->isEnabled());
    page->Frame_ValueControl1->SetValue(page->Frame_ValueControl1->Value() + 1);
    EXPECT_FALSE(page->Btn_ToReport->isEnabled());
    EXPECT_TRUE(page->lb_Err_meas->text().isEmpty());
    Ticks(1);
    EXPECT_TRUE(page->Btn_ToReport->isEnabled());
    EXPECT_FLOAT_EQ(page->Run().Point().reference, 301.0f); // the programme plays back: 100, 300, 500, 300

    page->btn_StopClick();
    EXPECT_FALSE(page->Frame_steps_SC->Running());
    EXPECT_EQ(vc.Model().State().emulValue, 0);
    EXPECT_TRUE(messages.Texts().isEmpty()) << messages.Texts().join(u'|').toStdString();
}

TEST_F(Loop, AStepOutsideTheSensorsRangeRefusesTheStart)
{
    Programme({"100", "5000"});
    page->btn_StartClick();
    EXPECT_FALSE(page->Run().Running());
    EXPECT_FALSE(page->Frame_steps_SC->Running());
    EXPECT_EQ(page->focusWidget(), page->Frame_steps_SC->EStepValue[1]); // flashed and focused
}
