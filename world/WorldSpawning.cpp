#include "world/World.h"

#include "app/Geometry.h"
#include "app/Random.h"
#include "world/Player.h"
#include "world/Rock.h"
#include "world/Skier.h"
#include "world/Terrain.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include <iostream>

namespace {

float modelVolume(const MeshData& model)
{
    return model.extents.x * model.extents.y * model.extents.z;
}

// Off the grid the height query answers -200; a spawn point is drawn again until it lies on the
// slope. The bound keeps a player far off the grid from hanging the frame: after it the last
// point stands.
constexpr int kSpawnPointDraws = 10000;

}

void World::initGameObject(std::shared_ptr<GameObject> obj, std::vector<Vertex> vertices,
                           std::vector<std::uint16_t> indices, const glm::vec3& extents, int type, bool noPhysics,
                           std::string programName)
{
    std::shared_ptr<Shader> program = findShader(programName);
    if (!program) {
        std::cerr << "no shader found for gameObject" << std::endl;
        return;
    }
    obj->setShader(program);
    obj->setVertices(vertices);
    obj->setIndices(indices);
    obj->extents = extents;
    if (!noPhysics && !obj->initPhysics(physics, defaultMaterial, static_cast<std::uint8_t>(type), nullptr)) {
        std::cout << "problems with initializing physic in gameObject ...";
    }
    if (!obj->setupBuffers()) {
        std::cout << "problems initializing GL ...";
    }
    obj->camera = camera;
    if (!noPhysics) {
        objects.push_back(obj);
        if (physics != nullptr && obj->getActor() != nullptr) {
            physics->addActor(*obj->getActor());
        }
    }
}

glm::vec3 World::spawnPointNearPlayer()
{
    glm::vec3 point = terrain->randomPointNear(player->position, 100.0f, 100.0f, 50.0f);
    for (int draw = 1; draw < kSpawnPointDraws && terrain->getHeightAt(point.x, point.z) == -200.0f; ++draw) {
        point = terrain->randomPointNear(player->position, 100.0f, 100.0f, 50.0f);
    }
    return point;
}

bool World::placeObstacle(GameObject& obj, const glm::vec3& position, float scale, const std::string& materialName)
{
    obj.position = position;
    obj.scale = scale;
    obj.setMaterial(findMaterial(materialName));
    obj.camera = camera;
    obj.sun = sun;
    obj.updateModelMatrix();
    if (!obj.material) {
        std::cerr << "no material \"" << materialName << "\" found: " << obj.modelFile << " left out" << std::endl;
        return false;
    }
    return true;
}

void World::addRock(const glm::vec3& position)
{
    auto rock = std::make_shared<Rock>();
    const float scale = randomScale(70.0f, modelVolume(geometry->rock), 0.01f);
    if (placeObstacle(*rock, position, scale, "snow")) {
        initGameObject(rock, geometry->rock.vertices, geometry->rock.indices, geometry->rock.extents, 1, false,
                       "cook_torrance");
    }
}

void World::addSkier(const glm::vec3& position)
{
    auto skier = std::make_shared<Skier>();
    const float scale = randomScale(20.0f, modelVolume(geometry->skier), 0.01f);
    if (!placeObstacle(*skier, position, scale, "rubber")) {
        return;
    }
    initGameObject(skier, geometry->skier.vertices, geometry->skier.indices, geometry->skier.extents, 2, false,
                   "cook_torrance");
    if (skier->actor != nullptr) {
        skier->actor->addTorque(glm::vec3(100000.0f, 55500.0f, 10000.0f), true);
        skier->actor->setLinearVelocity(glm::vec3(0.0f, 90.0f, 0.0f), true);
    }
}

void World::spawnObstacles(int count, int kind)
{
    if (!player || !terrain) {
        return;
    }
    for (int i = 0; i < count; ++i) {
        const glm::vec3 point = spawnPointNearPlayer();
        if (kind == 1) {
            addRock(point);
        } else if (kind == 2) {
            addSkier(point);
        }
    }
}

void World::spawnChaserSkier(float dx, float dz)
{
    if (!player || !terrain) {
        return;
    }
    chaser = std::make_shared<Skier>();
    const glm::vec3 point = terrain->randomPointNear(player->position, 2.0f, 2.0f, 50.0f);
    const glm::vec3 start(point.x - dx, point.y - 40.0f, point.z - dz);
    const float scale = randomScale(500.0f, modelVolume(geometry->skier), 0.01f);
    if (placeObstacle(*chaser, start, scale, "rubber")) {
        initGameObject(chaser, geometry->skier.vertices, geometry->skier.indices, geometry->skier.extents, 2, false,
                       "cook_torrance");
    }
    chaserSpawned = true;
}

bool World::updateChaserSkier(float dx, float dz)
{
    if (!chaser || !chaserSpawned) {
        return false;
    }
    physics::RigidDynamic* actor = chaser->actor;
    if (actor == nullptr) {
        return false;
    }
    // The position the frame last copied from the body.
    const glm::vec3 p = chaser->position;
    const bool inQuadrant = p.x > 0.0f && p.z > 0.0f;
    if (inQuadrant && chaserMoving) {
        actor->setLinearVelocity(glm::vec3(10.0f * dx, -55500.0f, 10.0f * dz), true);
        chaser->updateModelMatrix();
        for (int i = 0; i < 20; ++i) {
            addSkier(glm::vec3(0.0f, 80.0f, 0.0f));
        }
        chaserMoving = false;
        return true;
    }
    if (inQuadrant) {
        actor->setLinearVelocity(glm::vec3(0.0f), true);
        chaser->updateModelMatrix();
        return false;
    }
    actor->setLinearVelocity(glm::vec3(10.0f * dx, 0.0f, 10.0f * dz), true);
    actor->setAngularVelocity(glm::vec3(0.0f, chaserSpin, 0.0f), true);
    chaserSpin = static_cast<float>(static_cast<double>(chaserSpin) * 0.02);
    chaser->updateModelMatrix();
    chaserMoving = true;
    return false;
}

void World::relocateFarObjects()
{
    if (!player || !terrain) {
        return;
    }
    for (const auto& object : objects) {
        const glm::vec3 d = object->position - player->position;
        const float distanceSquared = d.x * d.x + d.y * d.y + d.z * d.z;
        if (!(distanceSquared > 50000.0f)) {
            continue;
        }
        physics::Transform pose;
        pose.p = spawnPointNearPlayer();
        physics::RigidActor* actor = object->getActor();
        if (actor == nullptr) {
            continue;
        }
        actor->setGlobalPose(pose, true);
        if (auto* body = dynamic_cast<physics::RigidDynamic*>(actor)) {
            body->clearForce();
            body->setLinearVelocity(glm::vec3(0.0f), true);
        }
    }
}

void World::addGameObject(std::shared_ptr<GameObject> obj, bool skip)
{
    if (skip) {
        return;
    }
    objects.push_back(obj);
    if (physics != nullptr && obj->getActor() != nullptr) {
        physics->addActor(*obj->getActor());
    }
}

void World::addSkierScaled(const glm::vec3& position, float scale)
{
    auto skier = std::make_shared<Skier>();
    if (placeObstacle(*skier, position, scale, "rubber")) {
        initGameObject(skier, geometry->skier.vertices, geometry->skier.indices, geometry->skier.extents, 2, false,
                       "cook_torrance");
    }
}

void World::addRocks(int count)
{
    for (int i = 0; terrain && i < count; ++i) {
        auto rock = std::make_shared<Rock>();
        rock->model = glm::translate(glm::mat4(1.0f), terrain->randomPoint());
        rock->camera = camera;
        initGameObject(rock, geometry->rock.vertices, geometry->rock.indices, geometry->rock.extents, 1, false,
                       "cook_torrance");
    }
}

void World::addSkiers(int count)
{
    for (int i = 0; terrain && i < count; ++i) {
        auto skier = std::make_shared<Skier>();
        skier->model = glm::translate(glm::mat4(1.0f), terrain->randomPoint());
        skier->camera = camera;
        initGameObject(skier, geometry->skier.vertices, geometry->skier.indices, geometry->skier.extents, 2, false,
                       "cook_torrance");
    }
}

void World::addSkiersAndRocks(int skiers, int rocks)
{
    addSkiers(skiers);
    addRocks(rocks);
}

void World::restart()
{
    if (player) {
        player->updateCamera();
        player->hitCounter = 0;
    }
    startTime = glfwGetTime();
    running = true;
    chaserMoving = false;
    chaserSpawned = false;
}
