#pragma once

#include <chrono>

class FrameProfiler;

// Times its scope as one pass of the frame, by name, for the attached FrameProfiler; with none
// attached (the run) it does nothing. One line per pass: { PassTimer timer("backdrop"); ... }.
// GPU passes must not nest.
class PassTimer {
public:
    enum class Clock { Gpu, Host };

    explicit PassTimer(const char* name, Clock clock = Clock::Gpu);
    ~PassTimer();

    PassTimer(const PassTimer&) = delete;
    PassTimer& operator=(const PassTimer&) = delete;

private:
    FrameProfiler* profiler;
    const char* name;
    Clock clock;
    std::chrono::steady_clock::time_point start;
};
