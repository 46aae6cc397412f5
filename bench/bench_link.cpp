// Frame codec throughput and the exchange round trip over a pseudo-terminal.
#include "link/frame.h"
#include "link/uail.h"
#include "simulator/transport.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

static void BM_FrameBuildAndParse(benchmark::State& state)
{
    std::uint8_t out[devlink::kBufferSize];
    const std::string reply = devlink::ReplyFrame(1, "123.45678");
    devlink::ReplyParser parser;
    for (auto _ : state) {
        const int n = devlink::BuildRequestFrame("1;37;22;", out, sizeof out);
        benchmark::DoNotOptimize(n);
        bool taken = false;
        for (unsigned char b : reply) taken |= parser.ParseByte(b);
        benchmark::DoNotOptimize(taken);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t(reply.size() + 12));
}
BENCHMARK(BM_FrameBuildAndParse);

// One register read against a peer that answers at once; reports median and p99 in microseconds.
static void BM_ExchangeRoundTrip(benchmark::State& state)
{
    sim::PtyTransport peer([](const std::string&) { return sim::Reply {"23.456"}; });
    if (peer.Start() != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    devlink::TInterface_UAIL link;
    link.Initialise(peer.PortPath(), 115200, 1, 150);
    link.CommandOnly(0);
    std::vector<double> us;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const int r = link.CommandRegister(37, 22);
        const auto t1 = std::chrono::steady_clock::now();
        if (r != 0) {
            state.SkipWithError("exchange failed");
            break;
        }
        us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    if (us.empty()) return;
    std::sort(us.begin(), us.end());
    state.counters["median_us"] = us[us.size() / 2];
    state.counters["p99_us"] = us[std::min(us.size() - 1, us.size() * 99 / 100)];
}
BENCHMARK(BM_ExchangeRoundTrip)->Iterations(3000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
