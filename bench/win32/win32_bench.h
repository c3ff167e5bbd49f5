// A small timing harness for the Windows benchmarks, which run under Wine: Google Benchmark
// is not to be had for MinGW here. Each case runs a warm-up, then repetitions of a batch,
// and reports the median time per iteration in the style of Google Benchmark's table.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

// Median microseconds per call of `body`, over `repetitions` batches of `batch` calls.
inline double MedianMicroseconds(const std::function<void()>& body, int batch = 20,
                                 int repetitions = 10) {
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < batch; ++i) body();  // warm-up
    std::vector<double> perCall;
    for (int r = 0; r < repetitions; ++r) {
        LARGE_INTEGER start{};
        LARGE_INTEGER end{};
        QueryPerformanceCounter(&start);
        for (int i = 0; i < batch; ++i) body();
        QueryPerformanceCounter(&end);
        perCall.push_back(static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
                          static_cast<double>(frequency.QuadPart) / batch);
    }
    std::nth_element(perCall.begin(), perCall.begin() + repetitions / 2, perCall.end());
    return perCall[static_cast<std::size_t>(repetitions / 2)];
}

inline void Report(const char* name, double microseconds) {
    std::printf("%-28s %12.1f us\n", name, microseconds);
    std::fflush(stdout);
}

// Handles every message waiting for this thread, painting included, as the loop would.
inline void PumpMessages() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
