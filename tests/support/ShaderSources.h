#pragma once

#include "app/Shader.h"

#include <memory>
#include <string>

// Compiles every stage file "<name>.<postfix>" of the source tree's Resources/shader and links
// them into one program; compile and link logs become test failures.
std::shared_ptr<Shader> buildProgramFromSources(const std::string& name);
