#include "tests/support/Process.h"

#include <cstdio>
#include <sys/wait.h>

ProcessResult runShell(const std::string& script)
{
    ProcessResult result;
    std::string command = "( " + script + " ) </dev/null 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        result.output.append(buffer, n);
    }
    int status = pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
