#include "world/Crevasses.h"

#include "app/Globals.h"

Crevasses::Crevasses()
{
    modelFile += crevassesModelFile;
}

Crevasses::~Crevasses() = default;
