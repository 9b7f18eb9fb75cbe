#include "world/AvalancheBarrier.h"

#include "app/Globals.h"

AvalancheBarrier::AvalancheBarrier()
{
    modelFile += avalancheBarrierModelFile;
}

AvalancheBarrier::~AvalancheBarrier() = default;
