#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

// Collects the time of every pass of the frame that a PassTimer marks: GPU passes from
// GL_TIME_ELAPSED queries, host passes from the steady clock. Only the benchmark attaches one;
// without an attached profiler the timers issue no queries and read no clock.
class FrameProfiler {
public:
    struct Pass {
        std::string name;
        bool gpu;
        // One sample per frame that ran the pass, in frames' order.
        std::vector<double> milliseconds;
    };

    FrameProfiler() = default;
    ~FrameProfiler();

    FrameProfiler(const FrameProfiler&) = delete;
    FrameProfiler& operator=(const FrameProfiler&) = delete;

    // From now on the timers report to this profiler (replacing any other); needs a current context.
    void attach();
    void detach();
    static FrameProfiler* attached();

    // GPU passes cannot nest: one begun inside another is not timed (its time counts to the outer one).
    void beginGpuPass(const char* name);
    void endGpuPass();
    void addHostPass(const char* name, double milliseconds);

    // One pass's time in one frame.
    struct FrameSample {
        size_t pass;
        double milliseconds;
    };

    // Waits for the frame's queries and files one sample per pass that ran in it (a pass that ran
    // more than once adds up). Returns those samples, by pass index.
    std::vector<FrameSample> endFrame();

    // In the order the frame first ran them.
    const std::vector<Pass>& passes() const { return passList; }

private:
    struct Sample {
        size_t pass;
        GLuint query;
        double milliseconds;
    };

    size_t passIndex(const char* name, bool gpu);

    std::vector<Pass> passList;
    std::vector<Sample> frameSamples;
    std::vector<GLuint> spareQueries;
    int openGpuPasses = 0;
};
