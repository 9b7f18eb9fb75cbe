#include "world/Terrain.h"

#include "app/Random.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

namespace {

// The stored grid is 129 x 129 so that the height query's blend at the far edges can read one row
// and column beyond the 128 that are generated; those stay 0.
constexpr int kGrid = Terrain::gridSize;
constexpr int kStored = kGrid + 1;
constexpr float kOrigin = Terrain::gridOrigin;
constexpr float kSpacing = Terrain::gridSpacing;
constexpr float kOffGrid = -200.0f;
constexpr std::int16_t kBorderHeight = 10000;

bool onGrid(int index)
{
    return index >= 0 && index < kGrid;
}

// The mean of those of the points that lie on the grid, summed in the order given: float sums in
// another order differ in the last bits, and the generated terrain depends on them.
float averageOnGrid(const std::vector<std::vector<float>>& heights, std::initializer_list<std::pair<int, int>> points)
{
    float sum = 0.0f;
    int counted = 0;
    for (const auto& [i, j] : points) {
        if (onGrid(i) && onGrid(j)) {
            sum += heights[i][j];
            ++counted;
        }
    }
    return sum / static_cast<float>(counted);
}

}

Terrain::Terrain() : heights(kStored, std::vector<float>(kStored, 0.0f))
{
    generateHeights();
}

Terrain::~Terrain()
{
    for (GLuint sampler : {comparingSampler, mipmapSampler}) {
        if (sampler != 0) {
            glDeleteSamplers(1, &sampler);
        }
    }
}

void Terrain::generateHeights()
{
    heights[0][0] = randomNormal(1.0f);
    heights[kGrid - 1][0] = randomNormal(1.0f);
    heights[0][kGrid - 1] = randomNormal(1.0f);
    heights[kGrid - 1][kGrid - 1] = randomNormal(1.0f);

    int step = 64;
    float sigma = 1.0f;
    float t = 0.0f;
    while (step >= 1) {
        t += 0.1f;
        sigma = static_cast<float>(static_cast<double>(sigma * sigma) / std::pow(2.0, static_cast<double>(t) * 0.1));

        for (int row = step; row < kGrid; row += 2 * step) {
            for (int col = step; col < kGrid; col += 2 * step) {
                const float offset = randomNormal(sigma);
                diamondStep(row, col, step, offset);
            }
        }
        for (int row = 0, k = 0; row < kGrid; row += step, ++k) {
            for (int col = (k % 2 == 1) ? 0 : step; col < kGrid; col += 2 * step) {
                const float offset = randomNormal(sigma);
                squareStep(row, col, step, offset);
            }
        }
        step /= 2;
    }

    float minH = std::numeric_limits<float>::max();
    float maxH = std::numeric_limits<float>::lowest();
    for (int i = 0; i < kGrid; ++i) {
        for (int j = 0; j < kGrid; ++j) {
            minH = std::min(minH, heights[i][j]);
            maxH = std::max(maxH, heights[i][j]);
        }
    }
    for (int i = 0; i < kGrid; ++i) {
        for (int j = 0; j < kGrid; ++j) {
            heights[i][j] = (heights[i][j] - minH) * 100.0f / (maxH - minH);
        }
    }

    halfExtents = glm::vec3(0.0f, getHeightAt(0.0f, 0.0f), 0.0f);
}

void Terrain::diamondStep(int row, int col, int step, float offset)
{
    heights[row][col] = averageOnGrid(heights, {{row + step, col - step},
                                                {row - step, col - step},
                                                {row + step, col + step},
                                                {row - step, col + step}}) +
                        offset;
}

void Terrain::squareStep(int row, int col, int step, float offset)
{
    heights[row][col] =
        averageOnGrid(heights, {{row + step, col}, {row - step, col}, {row, col + step}, {row, col - step}}) + offset;
}

float Terrain::getHeightAt(float x, float z)
{
    const float u = (x - kOrigin) / kSpacing;
    const float v = (z - kOrigin) / kSpacing;
    // Truncation toward zero puts (-1, 0) on index 0; the test on the float also keeps NaN and
    // values beyond int's range away from the conversion.
    if (!(u > -1.0f && u < static_cast<float>(kGrid)) || !(v > -1.0f && v < static_cast<float>(kGrid))) {
        return kOffGrid;
    }
    const int i = static_cast<int>(u);
    const int j = static_cast<int>(v);
    const float fx = (x - kOrigin - kSpacing * static_cast<float>(i)) / kSpacing;
    const float fz = (z - kOrigin - kSpacing * static_cast<float>(j)) / kSpacing;
    const auto& h = heights;
    return ((1.0f - fx) * h[i][j] + fx * h[i + 1][j]) * (1.0f - fz) +
           ((1.0f - fx) * h[i][j + 1] + fx * h[i + 1][j + 1]) * fz;
}

glm::vec3 Terrain::randomPoint()
{
    glm::vec3 point = randomOffsetXZ(128.0f, kSpacing, 100.0f);
    point.y = getHeightAt(point.x, point.z) + 20.0f;
    return point;
}

glm::vec3 Terrain::randomPointNear(glm::vec3 centre, float sigmaX, float sigmaZ, float yOffset)
{
    glm::vec3 point = randomOffsetAround(std::abs(centre.x) + 2.0f * sigmaX, std::abs(centre.z) + 2.0f * sigmaZ,
                                         centre, sigmaX, sigmaZ, 100.0f);
    point.y = getHeightAt(point.x, point.z) + yOffset;
    return point;
}

physics::HeightFieldDesc Terrain::getHeightFieldDesc()
{
    physics::HeightFieldDesc desc;
    desc.nbRows = static_cast<unsigned>(heights.size() - 1);
    desc.nbColumns = static_cast<unsigned>(heights[0].size() - 1);
    desc.samples.assign(static_cast<size_t>(desc.nbRows) * desc.nbColumns, physics::HeightFieldSample{});
    for (unsigned r = 0; r < desc.nbRows; ++r) {
        for (unsigned c = 0; c < desc.nbColumns; ++c) {
            const bool border = r == 0 || c == 0 || r == desc.nbRows - 1 || c == desc.nbColumns - 1;
            desc.samples[r * desc.nbColumns + c].height =
                border ? kBorderHeight : static_cast<std::int16_t>(heights[r][c]);
        }
    }
    return desc;
}

float Terrain::getHeight(int i, int j)
{
    // Off the grid like the height query, instead of reading outside the rows.
    if (!onGrid(i) || !onGrid(j)) {
        return kOffGrid;
    }
    return heights[i][j];
}

glm::vec3 Terrain::getGridPoint(int i, int j)
{
    return glm::vec3(kSpacing * static_cast<float>(i) - 64.0f, getHeight(i, j), kSpacing * static_cast<float>(j) - 64.0f);
}

glm::vec3 Terrain::getSurfacePoint(float x, float z)
{
    return glm::vec3(x, getHeightAt(x, z), z);
}
