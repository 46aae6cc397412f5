// INI files as the program reads and writes them: parse time grows linearly with the number of
// keys (it once grew with their square), and a 10 MB settings, project or language file loads well
// under a second.
#include "platform/ini.h"

#include <benchmark/benchmark.h>

namespace {

QByteArray Keys(int sections, int perSection)
{
    QByteArray text;
    for (int s = 0; s < sections; ++s) {
        text += "[_Form_Main_Frame" + QByteArray::number(s) + "_]\r\n";
        for (int k = 0; k < perSection; ++k)
            text += "ed_Field" + QByteArray::number(k) + "=\xE7\xED\xE0\xF7\xE5\xED\xE8\xE5 " + QByteArray::number(k * 7) + "\r\n";
    }
    return text;
}

// 100 000 keys in one section (the worst case for a list searched per key), and spread over 100.
void BM_ParseKeys(benchmark::State& state)
{
    const QByteArray text = Keys(int(state.range(1)), int(state.range(0) / state.range(1)));
    for (auto _ : state) {
        platform::IniFile ini;
        ini.ParseBytes(text);
        benchmark::DoNotOptimize(ini.Sections().size());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
    state.counters["keys"] = double(state.range(0));
}
BENCHMARK(BM_ParseKeys)->Args({10000, 1})->Args({100000, 1})->Args({100000, 100})->Unit(benchmark::kMillisecond);

// A 10 MB file of long values.
void BM_Parse10MB(benchmark::State& state)
{
    QByteArray text = "[Main]\r\n";
    const QByteArray value(200, 'x');
    for (int i = 0; text.size() < 10 * 1024 * 1024; ++i) text += "k" + QByteArray::number(i) + '=' + value + "\r\n";
    for (auto _ : state) {
        platform::IniFile ini;
        ini.ParseBytes(text);
        benchmark::DoNotOptimize(ini.Keys(QStringLiteral("Main")).size());
    }
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_Parse10MB)->Unit(benchmark::kMillisecond);

// Filling and writing a project of 100 000 keys (every key set once, then serialised).
void BM_FillAndSerialize(benchmark::State& state)
{
    for (auto _ : state) {
        platform::IniFile ini;
        for (int k = 0; k < state.range(0); ++k)
            ini.SetInt(QStringLiteral("_Form_Main_"), QStringLiteral("k") + QString::number(k), k);
        benchmark::DoNotOptimize(ini.Serialize().size());
    }
}
BENCHMARK(BM_FillAndSerialize)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
