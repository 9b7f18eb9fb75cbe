#include "world/Rock.h"

#include "app/Globals.h"

Rock::Rock()
{
    modelFile += rockModelFile;
}

Rock::~Rock() = default;

void Rock::initGeometry() {}
