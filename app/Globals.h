#pragma once

#include <map>
#include <memory>
#include <random>
#include <string>

class Shader;
struct Texture;
struct Material;
class World;

// Asset registries, filled once at start-up; the first entry of a name wins.
using ShaderMap = std::map<std::string, std::shared_ptr<Shader>>;
using TextureMap = std::map<std::string, std::shared_ptr<Texture>>;
using MaterialMap = std::map<std::string, std::shared_ptr<Material>>;

extern ShaderMap shaderMap;
extern TextureMap textureMap;
extern MaterialMap materialMap;
extern std::shared_ptr<World> currentWorld;

// The one random engine, never reseeded, so every run places things the same way.
extern std::mt19937 randomEngine;

extern const std::string playerModelPath;
extern const std::string rockModelPath;
extern const std::string skierModelPath;
extern const std::string playerModelFile;
extern const std::string rockModelFile;
extern const std::string skierModelFile;
extern const std::string avalancheBarrierModelFile;
extern const std::string crevassesModelFile;
extern const std::string skiguideModelFile;
extern const std::string skitourerModelFile;
