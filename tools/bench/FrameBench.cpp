// frame_bench [width height [last frame [trace file]]]: plays the scripted run from frame 1 to the
// last frame through the real start-up, World and GameLoop at the given window size, with the due
// frames back to back instead of through the 60 Hz gate, and prints the median time of every timed
// pass, of the whole frame and of the floor measured beside it. With a trace file it also writes
// every frame's times there, one line a frame and pass, to find the stretch of the run that costs.
// Runs from the build folder.
#include "app/FrameProfiler.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "tools/bench/FloorPasses.h"
#include "world/GameLoop.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

std::string loadAverage()
{
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// "post/composite" belongs to the group "post"; a name without a slash to none.
std::string groupOf(const std::string& pass)
{
    size_t slash = pass.find('/');
    return slash == std::string::npos ? std::string() : pass.substr(0, slash);
}

}

int main(int argc, char** argv)
{
    const Clock::time_point processStart = Clock::now();
    if (argc != 1 && argc != 3 && argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: %s [width height [last frame [trace file]]]\n", argv[0]);
        return 2;
    }
    const int width = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int height = argc > 2 ? std::atoi(argv[2]) : 800;
    const int lastFrame = argc > 3 ? std::atoi(argv[3]) : 120;
    if (width <= 0 || height <= 0 || lastFrame < 2) {
        std::fprintf(stderr, "width and height must be positive and the last frame at least 2\n");
        return 2;
    }

    std::ofstream trace;
    if (argc > 4) {
        trace.open(argv[4]);
        if (!trace) {
            std::fprintf(stderr, "cannot write the trace file %s\n", argv[4]);
            return 2;
        }
        trace << "frame,pass,milliseconds\n";
    }

    loadSettings();
    settings::windowWidth = width;
    settings::windowHeight = height;
    GameLoop loop;
    if (!startUp(loop)) {
        return 1;
    }

    // A shared machine's speed drifts within a run, so every frame is followed by a floor, and
    // each figure is the median of the frame's times over the floor measured right after it.
    std::vector<double> frames, floors, ratios, untimed;
    std::vector<std::vector<double>> passRatios;
    std::map<std::string, std::vector<double>> groupRatios;
    double firstFrameSeconds = 0.0;
    std::vector<FrameProfiler::Pass> passes;
    {
        FrameProfiler profiler;
        std::unique_ptr<FloorPasses> floor;
        loop.start();
        for (int frame = 1; frame <= lastFrame; ++frame) {
            // Half the frames are profiled, in blocks of eight, so that the timers' own cost stays out
            // of the whole frame and the frames timed whole rarely follow a profiled one.
            const bool profiled = (frame - 1) / 8 % 2 == 1;
            if (profiled) {
                profiler.attach();
            }
            const Clock::time_point begin = Clock::now();
            loop.dueFrame();
            glFinish();
            const Clock::time_point end = Clock::now();
            profiler.detach();
            if (frame == 1) {
                firstFrameSeconds = milliseconds(end - processStart) / 1000.0;
                floor = std::make_unique<FloorPasses>(width, height);
            }
            const double frameMs = milliseconds(end - begin);
            const double floorMs = floor->measure();
            floors.push_back(floorMs);
            if (trace.is_open()) {
                trace << frame << ",frame," << frameMs << '\n' << frame << ",floor," << floorMs << '\n';
            }
            if (!profiled) {
                frames.push_back(frameMs);
                ratios.push_back(frameMs / floorMs);
                continue;
            }
            const std::vector<FrameProfiler::FrameSample> samples = profiler.endFrame();
            passRatios.resize(profiler.passes().size());
            double timed = 0.0;
            std::map<std::string, double> groups;
            for (const FrameProfiler::FrameSample& sample : samples) {
                if (trace.is_open()) {
                    trace << frame << ',' << profiler.passes()[sample.pass].name << ',' << sample.milliseconds << '\n';
                }
                timed += sample.milliseconds;
                passRatios[sample.pass].push_back(sample.milliseconds / floorMs);
                const std::string group = groupOf(profiler.passes()[sample.pass].name);
                if (!group.empty()) {
                    groups[group] += sample.milliseconds / floorMs;
                }
            }
            untimed.push_back((frameMs - timed) / floorMs);
            for (const auto& [group, ratio] : groups) {
                groupRatios[group].push_back(ratio);
            }
        }
        passes = profiler.passes();
    }
    std::printf("frame_bench %d x %d, frames 1 to %d, %u cores, load average %s\n", width, height, lastFrame,
                std::thread::hardware_concurrency(), loadAverage().c_str());
    std::printf("%-24s %5s %10s %10s %8s\n", "pass", "clock", "median ms", "p90 ms", "floors");
    // Milliseconds where the row has them of its own; the share of the floor in every row.
    auto row = [](const std::string& name, const char* clock, const std::vector<double>& ms,
                  const std::vector<double>& floorsOf) {
        if (ms.empty()) {
            std::printf("%-24s %5s %10s %10s %8.3f\n", name.c_str(), clock, "", "", percentile(floorsOf, 0.5));
        } else {
            std::printf("%-24s %5s %10.2f %10.2f %8.3f\n", name.c_str(), clock, percentile(ms, 0.5),
                        percentile(ms, 0.9), percentile(floorsOf, 0.5));
        }
    };
    std::string group;
    for (size_t i = 0; i < passes.size(); ++i) {
        if (groupOf(passes[i].name) != group && !group.empty()) {
            row(group + " (sum)", "gpu", {}, groupRatios[group]);
        }
        group = groupOf(passes[i].name);
        row(passes[i].name, passes[i].gpu ? "gpu" : "host", passes[i].milliseconds, passRatios[i]);
    }
    if (!group.empty()) {
        row(group + " (sum)", "gpu", {}, groupRatios[group]);
    }
    row("untimed rest of frame", "wall", {}, untimed);
    row("whole frame", "wall", frames, ratios);
    row("floor (54 passes)", "wall", floors, std::vector<double>{1.0});
    std::printf("frame / floor: %.2f, the median of %zu frames each over the floor right after it (p10 %.2f, p90 %.2f)\n",
                percentile(ratios, 0.5), ratios.size(), percentile(ratios, 0.1), percentile(ratios, 0.9));
    std::printf("first frame on screen: %.2f s after start\n", firstFrameSeconds);
    glfwTerminate();
    return 0;
}
