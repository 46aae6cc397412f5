// LibreOffice: the cold start to the first connection, and a 200-point protocol (199 rows copied
// from the marker row, 8 row keys, every placeholder replaced, stored as .xls and as PDF), in a
// warm office and from a cold one (start included).
#include "office/desktop.h"
#include "office/office.h"
#include "platform/cp1251.h"
#include "reports/protocolmaker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Protocol200 {
    reports::ProtocolData data;
    verification::ResultList results;
    reports::ReplaceJob job;
    QTemporaryDir out;
    Protocol200()
    {
        data.decimals = 3;
        data.inspectionPassed = 1;
        data.errorCoefficient = 1;
        data.device.permissibleError = 0.25f;
        data.device.rangeHigh = 1000;
        platform::SetText(data.device.serial, QStringLiteral("B-1"));
        for (int i = 0; i < 200; ++i) {
            verification::ResultRow r;
            r.reference = float(i) * 5;
            r.measured = r.reference + 0.01f;
            r.referenceSignal = 4 + r.reference * 0.016f;
            r.measuredSignal = r.referenceSignal + 0.0001f;
            r.error = 0.001f * float(i % 7);
            r.uncertainty = 0.02f;
            verification::AppendRow(results, r);
        }
    }
    bool Make()
    {
        reports::TExcel_BCB maker(data, results, job, out.path());
        return maker.MakeProtocol(QStringLiteral(LORIK_BIN_DIR "/template_xml"),
                                  QStringLiteral("Протокол поверки датчика давления.xls"), false, {}) == 0;
    }
};

void BM_ColdStart(benchmark::State& state)
{
    for (auto _ : state) {
        office::ShutdownOffice();
        if (office::Session::Shared().Start() != office::StartOk) {
            state.SkipWithError("no office");
            return;
        }
        state.SetIterationTime(office::Session::Shared().LastStartMs() / 1000.0);
    }
}
BENCHMARK(BM_ColdStart)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_Fill200PointsWithPdfWarm(benchmark::State& state)
{
    if (office::Session::Shared().Start() != office::StartOk) {
        state.SkipWithError("no office");
        return;
    }
    Protocol200 p;
    if (!p.Make()) { // the first fill after a start warms the office's caches
        state.SkipWithError("fill failed");
        return;
    }
    for (auto _ : state) {
        if (!p.Make()) {
            state.SkipWithError("fill failed");
            return;
        }
    }
}
BENCHMARK(BM_Fill200PointsWithPdfWarm)->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_Fill200PointsWithPdfCold(benchmark::State& state)
{
    Protocol200 p;
    for (auto _ : state) {
        office::ShutdownOffice();
        QElapsedTimer clock;
        clock.start();
        if (!p.Make()) {
            state.SkipWithError("fill failed");
            return;
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
    }
}
BENCHMARK(BM_Fill200PointsWithPdfCold)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    office::ScopedDesktopRecorder desktop; // the protocols are not opened
    QTemporaryDir profiles;
    if (qEnvironmentVariableIsEmpty("LORIK_OFFICE_PROFILE"))
        qputenv("LORIK_OFFICE_PROFILE", profiles.path().toLocal8Bit());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    office::ShutdownOffice();
    return 0;
}
