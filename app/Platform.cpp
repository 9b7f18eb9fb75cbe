#include "app/Platform.h"

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace platform {

namespace {
constexpr size_t kPathBufferSize = 260;
}

bool workingDirectory(std::string& out)
{
    char buffer[kPathBufferSize];
    if (getcwd(buffer, sizeof buffer) == nullptr) {
        return false;
    }
    out = buffer;
    return true;
}

void pause()
{
    if (!isatty(STDIN_FILENO)) {
        return;
    }
    std::fputs("Press any key to continue . . . ", stdout);
    std::fflush(stdout);
    waitForCharacter();
}

void waitForCharacter()
{
    if (isatty(STDIN_FILENO)) {
        std::getchar();
    }
}

void reportError(const std::string& message)
{
    std::cout << "ERROR: " << message << std::endl;
    pause();
}

}
