// Reading one hue entry, and a whole hue file, each against the floor of a bare open, read
// and close of the same bytes.
#include "bench_file.h"
#include "huedata/hue_file.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <vector>

namespace {

constexpr huedata::HueId BenchId = 1500;

void BM_ReadHueRecord(benchmark::State& state) {
    const BenchHueFile file;
    const std::int32_t position = huedata::HuePosition(BenchId);
    for (auto _ : state) {
        benchmark::DoNotOptimize(huedata::ReadHueRecord(file.path(), position));
    }
}
BENCHMARK(BM_ReadHueRecord);

void BM_RawRead(benchmark::State& state) {
    const BenchHueFile file;
    const off_t offset = huedata::HuePosition(BenchId) - 1;
    std::array<unsigned char, huedata::HueRecordSize> bytes{};
    for (auto _ : state) {
        const int fd = ::open(file.path().c_str(), O_RDONLY);
        benchmark::DoNotOptimize(::pread(fd, bytes.data(), bytes.size(), offset));
        ::close(fd);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_RawRead);

void BM_ReadHueFile(benchmark::State& state) {
    const BenchHueFile file;
    for (auto _ : state) benchmark::DoNotOptimize(huedata::ReadHueFile(file.path()));
}
BENCHMARK(BM_ReadHueFile);

// The same bytes ReadHueFile reads for the 3,000 sample hues, into a buffer of their own,
// without decoding them.
void BM_RawReadWholeFile(benchmark::State& state) {
    const BenchHueFile file;
    for (auto _ : state) {
        std::vector<unsigned char> bytes(huetools::SampleHueCount / 8 * huedata::HueBlockSize);
        const int fd = ::open(file.path().c_str(), O_RDONLY);
        benchmark::DoNotOptimize(::pread(fd, bytes.data(), bytes.size(), 0));
        ::close(fd);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_RawReadWholeFile);

}  // namespace

BENCHMARK_MAIN();
