#include "world/Skier.h"

#include "app/Globals.h"

Skier::Skier()
{
    modelFile += skierModelFile;
}

Skier::~Skier() = default;

void Skier::initGeometry() {}
