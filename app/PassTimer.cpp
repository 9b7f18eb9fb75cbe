#include "app/PassTimer.h"

#include "app/FrameProfiler.h"

PassTimer::PassTimer(const char* name, Clock clock) : profiler(FrameProfiler::attached()), name(name), clock(clock)
{
    if (profiler == nullptr) {
        return;
    }
    if (clock == Clock::Gpu) {
        profiler->beginGpuPass(name);
    } else {
        start = std::chrono::steady_clock::now();
    }
}

PassTimer::~PassTimer()
{
    if (profiler == nullptr) {
        return;
    }
    if (clock == Clock::Gpu) {
        profiler->endGpuPass();
    } else {
        profiler->addHostPass(
            name, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
}
