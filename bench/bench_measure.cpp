// The Measurement page over a day at 1 Hz: the cost of one tick (the reading from the in-process
// virtual calibrator, the list, the chart, the statistics, the journal and the offscreen repaint)
// after 1, 10 000 and 86 400 readings, the bookkeeping of one reading alone at the same sizes, and
// the memory the day's readings add.
#include "link/pagehost.h"
#include "measure/chartview.h"
#include "measure/emulateframe.h"
#include "measure/mesureframe.h"
#include "measure/reportmodel.h"
#include "measure/stepsframe.h"
#include "platform/delay.h"
#include "platform/messageservice.h"
#include "simulator/virtualcalibrator.h"
#include "tests/support/fake_host.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include <unistd.h>

namespace {

// The test host, but the live value keeps its last text only (a day of readings would otherwise
// be counted in the memory figure).
class BenchHost : public testsupport::FakePageHost {
public:
    explicit BenchHost(const QString& data) { dataDir = data; }
    void PublishValue(const QString& text) override { m_value = text; }

private:
    QString m_value;
};

double RssMb()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// A started measurement of the bench scenario holding `readings` rows.
struct Rig {
    QTemporaryDir simDir, data;
    sim::VirtualCalibrator vc;
    platform::RecordingMessageService messages;
    BenchHost host;
    measure::TFrameMesure page;
    double rssBefore = 0, rssAfter = 0;

    static sim::World Bench()
    {
        sim::World w;
        QString e;
        sim::LoadScenario(sim::VirtualCalibrator::ScenarioPath(QStringLiteral("bench")), &w, &e);
        return w;
    }
    explicit Rig(int readings)
        : vc(Bench()), host(data.path()),
          page(&host, nullptr, QStringLiteral(LORIK_BIN_DIR "/libpolynoms.so"))
    {
        platform::SetMessageService(&messages);
        qputenv("LORIK_SIM_DIR", simDir.path().toLocal8Bit());
        page.resize(1280, 800);
        page.show();
        QApplication::processEvents();
        if (vc.Start(simDir.path() + QStringLiteral("/ttyLORIK0")) != 0 ||
            host.Session().Connect(vc.PortPath()) != devlink::LinkSession::Handshake::Connected)
            return;
        {
            platform::ScopedNoDelay noDelay;
            page.StartMeasurementClick();
        }
        page.Timer_Measure->stop(); // the benchmark ticks by itself
        page.Timer_MeasureTimer();  // the tick skipped after the reference's unit wait
        QApplication::processEvents();
        rssBefore = RssMb();
        // the readings before: the page's own bookkeeping path, as a tick would take them
        measure::JournalRow r;
        r.unit = QStringLiteral("°С");
        r.hasReference = true;
        r.referenceUnit = QStringLiteral("°C");
        r.relay1 = r.relay2 = QStringLiteral("разомкнут");
        // the bench scenario's bath: 100 °C drifting by 0.03 °C over 240 s, the noise its readings show
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 0.0035), referenceNoise(0, 0.002);
        const std::int64_t origin = QDateTime::currentSecsSinceEpoch() - readings;
        for (int i = 0; i < readings; ++i) {
            const double bath = 100 + 0.03 * std::sin(2 * M_PI * i / 240.0);
            r.time = QDateTime::fromSecsSinceEpoch(origin + i);
            r.number = i + 1;
            r.measured = float(bath + noise(rng));
            r.reference = float(bath + referenceNoise(rng));
            page.Record(r, origin, true);
            if (i % 1000 == 0) QApplication::processEvents();
        }
        QApplication::processEvents();
        rssAfter = RssMb();
    }
    ~Rig() { platform::SetMessageService(nullptr); }
    bool Ready() const { return page.Running(); }
};

void Repaint()
{
    QApplication::processEvents(); // the scene and the views post their updates
    QApplication::processEvents(); // and paint them
}

void BM_Tick(benchmark::State& state)
{
    Rig rig(int(state.range(0)) - 1);
    if (!rig.Ready()) {
        state.SkipWithError("the measurement did not start");
        return;
    }
    const int paints = rig.page.MeasurementGraph->Paints();
    for (auto _ : state) {
        rig.page.Timer_MeasureTimer();
        Repaint();
    }
    state.counters["rows"] = rig.page.ListModel()->Rows();
    state.counters["chart_paints"] = rig.page.MeasurementGraph->Paints() - paints;
    state.counters["drawn_points"] = rig.page.MeasurementGraph->LastDrawnPoints();
    if (state.range(0) == 86400) {
        state.counters["rss_added_MB"] = rig.rssAfter - rig.rssBefore;
        state.counters["rss_MB"] = rig.rssAfter;
        state.counters["list_MB"] = double(rig.page.ListModel()->MemoryBytes()) / (1024.0 * 1024.0);
        state.counters["chart_MB"] = double(rig.page.MeasurementGraph->Data(0).MemoryBytes() +
                                            rig.page.MeasurementGraph->Data(1).MemoryBytes()) /
                                     (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_Tick)->Arg(1)->Arg(10000)->Arg(86400)->Iterations(60)->Unit(benchmark::kMillisecond);

// One reading's bookkeeping alone (no exchange), with its repaint.
void BM_Record(benchmark::State& state)
{
    Rig rig(int(state.range(0)) - 1);
    if (!rig.Ready()) {
        state.SkipWithError("the measurement did not start");
        return;
    }
    measure::JournalRow r;
    r.unit = QStringLiteral("°С");
    r.hasReference = true;
    r.reference = 100;
    r.referenceUnit = QStringLiteral("°C");
    int i = 0;
    for (auto _ : state) {
        r.time = QDateTime::currentDateTime();
        r.number = rig.page.ListModel()->Rows() + 1;
        r.measured = 100.0f + 0.001f * float(i++ % 10);
        rig.page.Record(r, measure::TimeOrigin(), true);
        Repaint();
    }
}
BENCHMARK(BM_Record)->Arg(1)->Arg(10000)->Arg(86400)->Iterations(200)->Unit(benchmark::kMillisecond);

// A started emulation of a Pt100 at 100 °C (the bench scenario) holding `rows` rows.
struct EmulationRig {
    QTemporaryDir simDir, data;
    sim::VirtualCalibrator vc;
    platform::RecordingMessageService messages;
    BenchHost host;
    measure::TFrameEmulate page;
    double rssBefore = 0, rssAfter = 0;

    explicit EmulationRig(int rows)
        : vc(Rig::Bench()), host(data.path()),
          page(&host, nullptr, QStringLiteral(LORIK_BIN_DIR "/libpolynoms.so"))
    {
        platform::SetMessageService(&messages);
        qputenv("LORIK_SIM_DIR", simDir.path().toLocal8Bit());
        page.resize(1280, 800);
        page.show();
        QApplication::processEvents();
        if (vc.Start(simDir.path() + QStringLiteral("/ttyLORIK0")) != 0 ||
            host.Session().Connect(vc.PortPath()) != devlink::LinkSession::Handshake::Connected)
            return;
        page.Frame_steps1->EFixedSteps->setCurrentIndex(measure::kStepsNone);
        page.Frame_steps1->ESignalValue->setText(QStringLiteral("100"));
        {
            platform::ScopedNoDelay noDelay;
            page.StartEmulationClick();
        }
        page.Timer1->stop(); // the benchmark ticks by itself
        QApplication::processEvents();
        rssBefore = RssMb();
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 0.0035);
        for (int i = 0; i < rows; ++i) {
            page.Record(100.0f, float(138.5 + noise(rng)));
            if (i % 1000 == 0) QApplication::processEvents();
        }
        QApplication::processEvents();
        rssAfter = RssMb();
    }
    ~EmulationRig() { platform::SetMessageService(nullptr); }
    bool Ready() const { return page.Running(); }
};

// The Emulation page's tick: one exchange, one row, both chart points, the repaint.
void BM_EmulationTick(benchmark::State& state)
{
    EmulationRig rig(int(state.range(0)) - 1);
    if (!rig.Ready()) {
        state.SkipWithError("the emulation did not start");
        return;
    }
    for (auto _ : state) {
        rig.page.Timer1Timer();
        Repaint();
    }
    state.counters["rows"] = rig.page.ListModel()->Rows();
    state.counters["drawn_points"] = rig.page.EmulationGraph->LastDrawnPoints();
    if (state.range(0) == 86400) {
        state.counters["rss_added_MB"] = rig.rssAfter - rig.rssBefore;
        state.counters["list_MB"] = double(rig.page.ListModel()->MemoryBytes()) / (1024.0 * 1024.0);
    }
}
BENCHMARK(BM_EmulationTick)->Arg(1)->Arg(10000)->Arg(86400)->Iterations(60)->Unit(benchmark::kMillisecond);

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
