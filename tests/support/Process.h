#pragma once

#include <string>

// Result of running a shell command line: its exit code and what it wrote.
struct ProcessResult {
    int exitCode = -1;
    std::string output;
};

// Runs `script` with /bin/sh, standard output and standard error together, standard input closed.
ProcessResult runShell(const std::string& script);
