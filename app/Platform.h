#pragma once

#include <string>

namespace platform {

// The working directory, read into a 260-character buffer.
// Returns false when it cannot be read (removed, or longer than the buffer).
bool workingDirectory(std::string& out);

// The console "PAUSE": prompts and waits for a key, but only when standard
// input is a terminal, so scripted runs, tests and CI never block.
void pause();

// Writes "ERROR: " and the message as one line on standard output, then pauses.
void reportError(const std::string& message);

// Waits for one character on standard input without a prompt, likewise only on a terminal.
void waitForCharacter();

}
