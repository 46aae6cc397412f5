// The results list's crash journal at its full 200 rows (text, parse, and the whole atomic rewrite
// that follows every change of the list), and the start-up detection of the office suites: loading
// the protocol maker module and asking it (no office is started).
#include "reports/protocolmodule.h"
#include "verification/resultjournal.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

verification::ResultList Rows200()
{
    verification::ResultList list;
    for (int i = 0; i < verification::kMaxRows; ++i) {
        verification::ResultRow r;
        r.reference = float(i) * 5.125f;
        r.referenceSignal = 4 + r.reference * 0.016f;
        r.measured = r.reference + 0.0123f;
        r.measuredSignal = r.referenceSignal + 0.0001f;
        r.error = 0.001f * float(i % 7) - 0.0031f;
        r.errorSignal = r.error * 0.16f;
        r.tolerance = 0.25f;
        r.pass = 1;
        r.uncertainty = 0.0217f;
        r.rangeHigh = 1000;
        verification::AppendRow(list, r);
    }
    return list;
}

void BM_JournalText200(benchmark::State& state)
{
    const verification::ResultList list = Rows200();
    const reports::ProtocolData data;
    for (auto _ : state)
        benchmark::DoNotOptimize(verification::JournalText(list, data));
}
BENCHMARK(BM_JournalText200)->Unit(benchmark::kMicrosecond);

void BM_JournalParse200(benchmark::State& state)
{
    const QByteArray text = verification::JournalText(Rows200(), reports::ProtocolData());
    auto record = std::make_unique<verification::JournalRecord>();
    for (auto _ : state)
        benchmark::DoNotOptimize(verification::ParseJournal(text, record.get(), nullptr));
}
BENCHMARK(BM_JournalParse200)->Unit(benchmark::kMicrosecond);

// What every change of the list costs: the text and the rewrite (temporary file, flush, rename).
void BM_JournalWrite200(benchmark::State& state)
{
    QTemporaryDir dir;
    const verification::ResultJournal journal(dir.filePath(QStringLiteral("results-journal.csv")));
    const verification::ResultList list = Rows200();
    const reports::ProtocolData data;
    for (auto _ : state)
        if (!journal.Write(list, data)) state.SkipWithError("not written");
}
BENCHMARK(BM_JournalWrite200)->Unit(benchmark::kMillisecond);

// The deferred start's detection, once per process as the program does it: the first load of the
// module (with the office binding it needs) and its answer.
void BM_DetectOfficeSuites(benchmark::State& state)
{
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        reports::ProtocolMakerModule maker(QStringLiteral(PROTOCOL_MAKER));
        const int suites = maker.OfficeSuites();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (!maker.Usable()) state.SkipWithError("the module does not load");
        benchmark::DoNotOptimize(suites);
    }
}
BENCHMARK(BM_DetectOfficeSuites)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
