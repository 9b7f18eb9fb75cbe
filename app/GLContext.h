#pragma once

// True when the current context lists the extension. GLEW's flags are not asked: with
// glewExperimental they report entry points the driver does not really support.
bool contextHasExtension(const char* name);
