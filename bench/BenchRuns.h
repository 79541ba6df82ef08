#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace hb::bench {

// True in a smoke run (HB_BENCH_SMOKE set): every benchmark runs once on a small load, only to
// show that it still builds and works. Its figures mean nothing.
inline bool isSmokeRun()
{
    return std::getenv("HB_BENCH_SMOKE") != nullptr;
}

// A fixed iteration count or workload size, or 1 in a smoke run.
inline benchmark::IterationCount runs(benchmark::IterationCount count)
{
    return isSmokeRun() ? 1 : count;
}

} // namespace hb::bench
