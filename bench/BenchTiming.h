#pragma once

// Timing shared by the benchmarks: these machines are noisy, so every figure is a median of
// several repetitions, and only what is measured runs inside the clock.

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace benchtiming {

// Median milliseconds of the measured part over the repetitions; prepare runs before each one,
// outside the clock.
inline double median(int repetitions, const std::function<void()> &prepare,
                     const std::function<void()> &measured)
{
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace benchtiming
