#include "world/Skiguide.h"

#include "app/Globals.h"

Skiguide::Skiguide()
{
    modelFile += skiguideModelFile;
}

Skiguide::~Skiguide() = default;
