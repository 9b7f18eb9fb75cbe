#pragma once

#include "tests/support/GLTestContext.h"

#include <filesystem>

class World;

// The run's World on a small window, made by createWorld from the real Resources next to the
// program, with the random engine back at its seed so that every test sees the run's terrain.
// The registries' loading messages are swallowed; what the World prints is the test's.
class RealWorld : public GLTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Throws the World away and makes a new one from a freshly seeded engine.
    void remakeWorld();

    // The window size the World is made for.
    virtual int worldWidth() const { return 64; }
    virtual int worldHeight() const { return 48; }

    World* world = nullptr;

private:
    std::filesystem::path previousDirectory;
    int savedWidth = 0;
    int savedHeight = 0;
};
