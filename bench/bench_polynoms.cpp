// Conversion speed of the characteristic library in both directions, and a sweep that prints, per
// type, the largest round-trip disagreement (through the 32-bit interface) and the largest
// disagreement between the exact inverse and the standard's inverse polynomial.
#include "polynoms/characteristics.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

extern "C" int ElToGrad(float* t, int code, float el);
extern "C" int GradToEl(float* el, int code, float t);

static void BM_GradToEl(benchmark::State& state)
{
    const int code = int(state.range(0));
    double lo, hi;
    polynoms::InverseRange(code, &lo, &hi);
    float t = float(lo), el = 0;
    const float step = float((hi - lo) / 1000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(GradToEl(&el, code, t));
        t += step;
        if (t > float(hi)) t = float(lo);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GradToEl)->DenseRange(0, 14, 1);

static void BM_ElToGrad(benchmark::State& state)
{
    const int code = int(state.range(0));
    double lo, hi, elo, ehi;
    polynoms::InverseRange(code, &lo, &hi);
    polynoms::TempToEl(code, lo, &elo);
    polynoms::TempToEl(code, hi, &ehi);
    float el = float(elo), t = 0;
    const float step = float((ehi - elo) / 1000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ElToGrad(&t, code, el));
        el += step;
        if (el > float(ehi)) el = float(elo);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ElToGrad)->DenseRange(0, 14, 1);

static void Sweep()
{
    std::printf("%-5s %-22s %-26s\n", "code", "round trip max |dt|, C", "standard inverse max |dt|, C");
    for (int code = 0; code < polynoms::kTypeCount; ++code) {
        double lo, hi;
        polynoms::InverseRange(code, &lo, &hi);
        double worstTrip = 0, worstStd = 0;
        for (double t = lo; t <= hi; t += 0.01) {
            float el = 0, back = 0;
            if (GradToEl(&el, code, float(t)) != 0 || ElToGrad(&back, code, el) != 0) continue;
            worstTrip = std::max(worstTrip, std::fabs(double(back) - double(float(t))));
            double e = 0, ts = 0;
            polynoms::TempToEl(code, t, &e);
            if (polynoms::StandardInverse(code, e, &ts) == polynoms::Ok) worstStd = std::max(worstStd, std::fabs(ts - t));
        }
        std::printf("%-5d %-22.6f %-26.4f\n", code, worstTrip, worstStd);
    }
}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Sweep();
    return 0;
}
