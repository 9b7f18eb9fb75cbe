#pragma once

#include <string>

// The largest window that something allows, and what that something is, for the message of a refused size.
struct SizeLimit {
    unsigned width = 0;
    unsigned height = 0;
    // "the screen", "the context's maximum texture size", ...
    std::string what;
};
