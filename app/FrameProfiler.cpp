#include "app/FrameProfiler.h"

#include <cstring>
#include <iostream>

namespace {
FrameProfiler* current = nullptr;
}

FrameProfiler::~FrameProfiler()
{
    detach();
    for (const Sample& sample : frameSamples) {
        if (sample.query != 0) {
            spareQueries.push_back(sample.query);
        }
    }
    if (!spareQueries.empty()) {
        glDeleteQueries(static_cast<GLsizei>(spareQueries.size()), spareQueries.data());
    }
}

void FrameProfiler::attach()
{
    current = this;
}

void FrameProfiler::detach()
{
    if (current == this) {
        current = nullptr;
    }
}

FrameProfiler* FrameProfiler::attached()
{
    return current;
}

size_t FrameProfiler::passIndex(const char* name, bool gpu)
{
    for (size_t i = 0; i < passList.size(); ++i) {
        if (passList[i].gpu == gpu && passList[i].name == name) {
            return i;
        }
    }
    passList.push_back({name, gpu, {}});
    return passList.size() - 1;
}

void FrameProfiler::beginGpuPass(const char* name)
{
    if (openGpuPasses++ > 0) {
        // A second GL_TIME_ELAPSED query cannot start while one runs.
        std::cerr << "\nGPU pass \"" << name << "\" begun inside another is not timed" << std::endl;
        return;
    }
    GLuint query = 0;
    if (spareQueries.empty()) {
        glGenQueries(1, &query);
    } else {
        query = spareQueries.back();
        spareQueries.pop_back();
    }
    glBeginQuery(GL_TIME_ELAPSED, query);
    // A software rasteriser (llvmpipe) bins draws into scenes and runs a scene at a flush; a query
    // that begins and ends inside the scene of its draws measures almost nothing, so the pass gets
    // a scene of its own. The flushes cost a little, which is why only profiled frames have them.
    glFlush();
    frameSamples.push_back({passIndex(name, true), query, 0.0});
}

void FrameProfiler::endGpuPass()
{
    if (openGpuPasses > 0 && --openGpuPasses == 0) {
        glFlush();
        glEndQuery(GL_TIME_ELAPSED);
    }
}

void FrameProfiler::addHostPass(const char* name, double milliseconds)
{
    frameSamples.push_back({passIndex(name, false), 0, milliseconds});
}

std::vector<FrameProfiler::FrameSample> FrameProfiler::endFrame()
{
    std::vector<double> frame(passList.size(), -1.0);
    for (Sample& sample : frameSamples) {
        if (sample.query != 0) {
            GLuint64 nanoseconds = 0;
            glGetQueryObjectui64v(sample.query, GL_QUERY_RESULT, &nanoseconds);
            sample.milliseconds = static_cast<double>(nanoseconds) * 1e-6;
            spareQueries.push_back(sample.query);
        }
        double& sum = frame[sample.pass];
        sum = (sum < 0.0 ? 0.0 : sum) + sample.milliseconds;
    }
    frameSamples.clear();
    std::vector<FrameSample> filed;
    for (size_t i = 0; i < frame.size(); ++i) {
        if (frame[i] >= 0.0) {
            passList[i].milliseconds.push_back(frame[i]);
            filed.push_back({i, frame[i]});
        }
    }
    return filed;
}
