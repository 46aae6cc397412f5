// One tick of a verification run, per kind: the page's tick against the in-process virtual
// calibrator (what the technician waits for: the reference, the device under test, the relays,
// the compensator), and the run's own arithmetic with the calibrator answering from memory, with
// an empty and a full results list (the tick does not depend on the rows).
#include "link/registers.h"
#include "measure/graphchk.h"
#include "measure/stepsframe.h"
#include "platform/delay.h"
#include "sensors/ioutframe.h"
#include "sensors/sensorframe.h"
#include "sensors/uncertainty.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/fake_host.h"
#include "verification/chkframe.h"
#include "verification/reportparam.h"
#include "verification/run.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

using namespace verification;

namespace {

// The calibrator, sensor and page answering at once from memory.
class MemoryIo : public PointIo {
public:
    explicit MemoryIo(int kind)
    {
        setup.isRtd = kind == KindTemperature;
        setup.isUnified = !setup.isRtd;
        setup.rangeMin = kind == KindTemperature ? -200 : 0;
        setup.rangeMax = kind == KindTemperature ? 600 : 1;
        setup.unitFactor = kind == KindPressure ? 1000 : 1;
        setup.lastReading = 12;
        type = kind == KindTemperature ? devlink::ExtReferenceThermometer : devlink::ExtPressure43;
    }
    bool LinkUp() override { return true; }
    int ReadInt(int reg, int* v) override
    {
        *v = reg == devlink::ExtDeviceType ? type : 2;
        return 0;
    }
    int ReadReal(int, float* v) override
    {
        *v = float(500 + 0.01 * std::sin(++n));
        return 0;
    }
    int WriteInt(int, int) override { return 0; }
    int WriteReal(int, float) override { return 0; }
    const sensors::SensorSetup& Setup() override { return setup; }
    int StartMeasure() override { return 0; }
    int StartEmulate() override { return 0; }
    int StopSignal() override { return 0; }
    float ReadMeasured() override { return float(0.5 + 0.0001 * std::cos(++n)); }
    float PhysToEl(float x) override { return 4 + 16 * x; }
    float GradToElCJ(int, float t, float) override { return t; }
    int UpdateColdJunction() override { return 0; }
    int ClassTolerance(float t, float* tol) override
    {
        *tol = 0.15f + 0.002f * std::fabs(t);
        return 0;
    }
    float TemperatureUncertainty(const measure::TStatistics& ref, const measure::TStatistics& meas) override
    {
        return sensors::UncertaintyTemperature(meas, ref, nullptr, 0.02f);
    }
    float CurrentError(float) override { return 0.0002f; }
    void CurrentRange(float* lo, float* hi) override
    {
        *lo = 4;
        *hi = 20;
    }
    bool ToleranceFilled(int) override { return true; }
    int StartSteps() override { return 0; }
    void StopSteps() override {}
    float SpinnerValue() override { return 0.5f; }
    void RunningChanged(bool) override {}
    void StartChart() override {}
    void PointTaken() override {}
    void ShowRelays() override {}
    void ClearRelays() override {}
    void ProcessPendingUpdates() override {}
    void Message(int) override {}
    void Wait(int) override {}

    sensors::SensorSetup setup;
    int type = 0;
    int n = 0;
};

void BM_RunTick(benchmark::State& state)
{
    const int kind = int(state.range(0));
    ResultList& list = Results();
    ClearRows(list);
    for (int i = 0; i < state.range(1); ++i)
        AppendRow(list, ResultRow{});
    MemoryIo io(kind);
    reports::ProtocolData data;
    TVerificationRun run(io, data);
    run.SetKind(kind);
    run.SetTypedTolerance(0.5f);
    if (run.Start() != 0) {
        state.SkipWithError("no start");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(run.Tick());
    ClearRows(list);
}
BENCHMARK(BM_RunTick)
    ->ArgNames({"kind", "rows"})
    ->Args({KindPressure, 0})
    ->Args({KindPressure, kMaxRows})
    ->Args({KindTemperature, 0})
    ->Args({KindTemperature, kMaxRows})
    ->Args({KindSecondary, 0})
    ->Args({KindSecondary, kMaxRows});

sim::World Scenario(const char* name)
{
    sim::World w;
    QString error;
    sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QString::fromLatin1(name)), &w, &error);
    return w;
}

// The page's tick on a scenario: 0 pressure, 1 Pt100 in the bath, 2 type K with automatic cold
// junction in the furnace, 3 a secondary instrument (type K emulated into the loop transmitter).
void BM_PageTick(benchmark::State& state)
{
    const int variant = int(state.range(0));
    const char* scenarios[] = {"pressure", "bench", "furnace", "loop"};
    const char* scenario = scenarios[variant];
    platform::ScopedNoDelay noDelay;
    QTemporaryDir dir;
    qputenv("LORIK_SIM_DIR", dir.path().toLocal8Bit());
    sim::VirtualCalibrator vc(Scenario(scenario));
    if (vc.Start(dir.filePath(QStringLiteral("ttyLORIK0"))) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    testsupport::FakePageHost host;
    measure::TFormGraphChk chart; // the window a run fills, as in the program
    host.chart = &chart;
    if (host.Connect(vc.PortPath()) != devlink::LinkSession::Handshake::Connected) {
        state.SkipWithError("no connection");
        return;
    }
    TFrame_Chk page(&host, nullptr, QStringLiteral(LORIK_BIN_DIR "/libpolynoms.so"));
    auto* report = new TFrame_ReportParam(dir.filePath(QStringLiteral("kt.ini")), &page);
    page.SetSubPages(report, nullptr, {});
    page.show();
    page.ed_Err_ok->setText(QStringLiteral("0.5"));
    if (variant == 1 || variant == 2) page.cb_TypePov->setCurrentIndex(KindTemperature);
    if (variant == 2) {
        page.FrameSensorDT1->cbType->setCurrentIndex(1);
        page.FrameSensorDT1->cb_TP->setCurrentIndex(1);
        page.FrameSensorDT1->cbIsAutoCompens->setChecked(true);
        page.FrameSensorDT1->cbTypeChange();
    }
    if (variant == 3) {
        page.cb_TypePov->setCurrentIndex(KindSecondary);
        sensors::TFrameSensor* f = page.FrameSensor_SC;
        f->cbType->setCurrentIndex(1);
        f->cb_TP->setCurrentIndex(1);
        f->cbIsAutoCompens->setChecked(true);
        f->Iout()->rb_4_20->setChecked(true);
        f->Iout()->ebFizMin->setText(QStringLiteral("0"));
        f->Iout()->ebFizMax->setText(QStringLiteral("600"));
        f->Update();
        page.Frame_steps_SC->EFixedSteps->setCurrentIndex(measure::kStepsNone);
        page.Frame_steps_SC->ESignalValue->setText(QStringLiteral("300"));
    }
    page.btn_StartClick();
    if (!page.Run().Running()) {
        state.SkipWithError("no start");
        return;
    }
    for (auto _ : state) {
        page.Timer_ProcessingTimer();
        if (!page.Run().Running()) {
            state.SkipWithError("the run stopped");
            break;
        }
    }
    // a tick that measured nothing would be no figure
    if (!std::isfinite(page.Run().Point().error)) state.SkipWithError("no error was measured");
    page.btn_StopClick();
}
BENCHMARK(BM_PageTick)->ArgName("scenario")->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(50);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
