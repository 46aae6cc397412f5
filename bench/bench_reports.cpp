// LibreOffice: the cold start to the first connection, and filling a 200-point protocol in a warm
// office (199 rows inserted, 8 row keys, every pair replaced, stored as .xls).
#include "office/office.h"
#include "platform/cp1251.h"
#include "reports/protocolmaker.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

static QTemporaryDir* g_profile = nullptr;

static void BM_ColdStart(benchmark::State& state)
{
    for (auto _ : state) {
        office::Session::Shared().Shutdown();
        if (office::Session::Shared().Connect() != office::ConnectOk) {
            state.SkipWithError("no office");
            return;
        }
        state.SetIterationTime(office::Session::Shared().LastStartMs() / 1000.0);
    }
}
BENCHMARK(BM_ColdStart)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

static void BM_Fill200Points(benchmark::State& state)
{
    if (office::Session::Shared().Connect() != office::ConnectOk) {
        state.SkipWithError("no office");
        return;
    }
    QTemporaryDir out;
    reports::ProtocolData data;
    verification::ResultList results;
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
        verification::AppendRow(results, r);
    }
    reports::ReplaceJob job;
    for (auto _ : state) {
        reports::TExcel_BCB maker(data, results, job, out.path());
        if (maker.MakeProtocol(QStringLiteral(LORIK_BIN_DIR "/template_xml"), QStringLiteral("Протокол поверки датчика давления.xls"),
                               false, {}) != 0) {
            state.SkipWithError("fill failed");
            return;
        }
    }
}
BENCHMARK(BM_Fill200Points)->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    g_profile = new QTemporaryDir;
    qputenv("LORIK_OFFICE_PROFILE", g_profile->path().toLocal8Bit());
    qputenv("LORIK_OFFICE_HEADLESS", "1");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    office::Session::Shared().Shutdown();
    delete g_profile;
    return 0;
}
