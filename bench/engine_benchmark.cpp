// The engine's cost per frame: sphere projection and frame composition into memory, as the mean
// over one whole orbit and as the worst frame (the largest globe), beside a plain memset of the
// same frame as the floor that no frame can go below.
//
//   build-bench/bench/quillomantrase_benchmark
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "display/memory_display.h"
#include "scene/frame_tick.h"
#include "scene/globe_scene.h"
#include "shell/builtin_map.h"
#include "shell/map_image.h"
#include "tests/support/recording_seam.h"

namespace {

void SetUpForScreen(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    SetTestClock(1765084800);
    if (LoadMapImage(BuiltInMapBytes(), BuiltInMapSize(), nullptr) != 1 ||
        SetUpScene({width, height}, mapImage.headerBlock, mapImage.pixelData.get()) != 1 ||
        CreateDisplay({0, width, height, 0}) != 1)
        state.SkipWithError("set-up failed");
}

void ReportPerFrame(benchmark::State& state, std::int64_t frames) {
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate |
                                                                                   benchmark::Counter::kInvert);
}

void OrbitMean(benchmark::State& state) {
    SetUpForScreen(state);
    std::int64_t frames = 0;
    for (auto _ : state) {
        for (std::int32_t i = 0; i < globeScene.orbitLength; ++i) AdvanceFrame();
        frames += globeScene.orbitLength;
        benchmark::DoNotOptimize(PeekMemoryFrame().pixels[0]);
    }
    ReportPerFrame(state, frames);
}

// As a saver runs: a tenth of a second between frames in which other programs take the caches.
void OrbitCold(benchmark::State& state) {
    SetUpForScreen(state);
    std::vector<std::uint8_t> other(std::size_t{64} << 20);
    std::int64_t frames = 0;
    for (auto _ : state) {
        for (std::int32_t i = 0; i < globeScene.orbitLength; ++i) {
            state.PauseTiming();
            for (std::size_t at = 0; at < other.size(); at += 64) other[at] = static_cast<std::uint8_t>(other[at] + 1);
            benchmark::ClobberMemory();
            state.ResumeTiming();
            AdvanceFrame();
        }
        frames += globeScene.orbitLength;
        benchmark::DoNotOptimize(PeekMemoryFrame().pixels[0]);
    }
    ReportPerFrame(state, frames);
}

void WorstFrame(benchmark::State& state) {
    SetUpForScreen(state);
    const float* scale = globeScene.orbitScale.get();
    const auto largest = static_cast<std::int32_t>(std::max_element(scale, scale + globeScene.orbitLength) - scale);
    std::int64_t frames = 0;
    for (auto _ : state) {
        globeScene.orbitPosition = largest;
        AdvanceFrame();
        ++frames;
        benchmark::DoNotOptimize(PeekMemoryFrame().pixels[0]);
    }
    ReportPerFrame(state, frames);
}

void MemsetFloor(benchmark::State& state) {
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(state.range(0) * state.range(1) * 4));
    std::int64_t frames = 0;
    for (auto _ : state) {
        std::memset(frame.data(), 0, frame.size());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
        ++frames;
    }
    ReportPerFrame(state, frames);
}

void Screens(benchmark::internal::Benchmark* b) {
    b->Args({640, 480})->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
}

}  // namespace

BENCHMARK(MemsetFloor)->Apply(Screens);
BENCHMARK(OrbitMean)->Apply(Screens)->Iterations(1);
BENCHMARK(OrbitCold)->Apply(Screens)->Iterations(1);
BENCHMARK(WorstFrame)->Apply(Screens);

BENCHMARK_MAIN();
