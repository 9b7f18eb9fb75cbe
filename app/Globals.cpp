#include "app/Globals.h"

// Defined in one translation unit so that destruction at exit runs in the reverse of this
// order: the World first, then the material, texture and shader registries.
ShaderMap shaderMap;
TextureMap textureMap;
MaterialMap materialMap;
std::shared_ptr<World> currentWorld;

std::mt19937 randomEngine;

const std::string playerModelPath = "/models/player.obj";
const std::string rockModelPath = "/models/RockCluster.obj";
const std::string skierModelPath = "/models/TestSkier.obj";
const std::string playerModelFile = "/TestSkier.obj";
const std::string rockModelFile = "/RockCluster.obj";
const std::string skierModelFile = "/TestSkier.obj";
const std::string avalancheBarrierModelFile = "/skier2.obj";
const std::string crevassesModelFile = "/skier2.obj";
const std::string skiguideModelFile = "/telemarker.obj";
const std::string skitourerModelFile = "/skier.obj";
