// stb_image's decoder built into the texture fuzz target, with the target's own sanitizers and coverage,
// in place of the system's uninstrumented libstb: the faults the fuzzer looks for are inside it.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
