// Reading one hue entry, against the floor of a bare open + pread + close of the same bytes.
#include "bench_file.h"
#include "huedata/hue_file.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>

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

}  // namespace

BENCHMARK_MAIN();
