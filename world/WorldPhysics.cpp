#include "world/World.h"

#include "world/DynamicGameObject.h"
#include "world/Player.h"
#include "world/Terrain.h"
#include "world/physics/BoxController.h"
#include "world/physics/HeightField.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidStatic.h"

#include <iostream>

void World::initPhysics()
{
    // The physics world stands for the foundation, the physics object, the cooking, the CPU
    // dispatcher and the scene. It asks for the dispatcher's two workers, but the step runs on
    // this thread: the Bullet build we link is not thread-safe. No visual debugger is connected.
    physics::SceneDesc sceneDesc;
    sceneDesc.gravity = glm::vec3(0.0f, -20.0f, 0.0f);
    sceneDesc.workerThreads = 2;
    sceneDesc.filterShader = physics::defaultSimulationFilter;
    sceneDesc.simulationEventCallback = &simulationEvents;
    physics = new physics::PhysicsWorld(sceneDesc);

    defaultMaterial = physics->createMaterial(0.75f, 0.75f, 0.0001f);

    if (player) {
        physics::BoxControllerDesc controllerDesc;
        player->controller = physics->createController(player->makeControllerDesc(controllerDesc, defaultMaterial));
        if (player->controller == nullptr) {
            std::cerr << "the player's box controller could not be made from its description "
                         "(a size not positive, or a step offset above twice the half height)"
                      << std::endl;
        }
    }

    if (!terrain) {
        return;
    }
    physics::Transform terrainPose;
    terrainPose.p = glm::vec3(-3200.0f, 0.0f, -3200.0f);
    terrainActor = physics->createRigidStatic(terrainPose);
    physics::HeightFieldGeometry heightField;
    heightField.heightField = physics->createHeightField(terrain->getHeightFieldDesc());
    heightField.heightScale = 1.0f;
    heightField.rowScale = 50.0f;
    heightField.columnScale = 50.0f;
    terrainActor->attachHeightField(heightField, *defaultMaterial);
    terrainActor->setContactOffset(0.01f);
    physics->addActor(*terrainActor);
}

void World::releasePhysics()
{
    // No vehicle library and no visual debugger are part of this build, so there are no friction
    // pairs to release and no close call to make; the world releases its scene, dispatcher,
    // physics, cooking and foundation in that order, and every body and controller with them.
    if (physics != nullptr) {
        physics->release();
        delete physics;
        physics = nullptr;
    }
    defaultMaterial = nullptr;
    terrainActor = nullptr;
    // The bodies and the controller went with the world: nothing may reach them any more.
    if (player) {
        player->controller = nullptr;
    }
    for (const auto& object : objects) {
        if (auto* body = dynamic_cast<DynamicGameObject*>(object.get())) {
            body->actor = nullptr;
        }
    }
}
