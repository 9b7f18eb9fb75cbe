#include "world/Skitourer.h"

#include "app/Globals.h"

Skitourer::Skitourer()
{
    modelFile += skitourerModelFile;
}

Skitourer::~Skitourer() = default;
