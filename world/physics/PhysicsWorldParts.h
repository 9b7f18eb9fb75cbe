#pragma once

// The Bullet objects behind a PhysicsWorld; for the layer's own sources only.

#include "world/physics/BoxController.h"
#include "world/physics/CappedDynamicsWorld.h"
#include "world/physics/ContactReports.h"
#include "world/physics/HeightField.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidActor.h"
#include "world/physics/TriangleMesh.h"

#include <BulletCollision/BroadphaseCollision/btDbvtBroadphase.h>
#include <BulletCollision/CollisionDispatch/btCollisionDispatcher.h>
#include <BulletCollision/CollisionDispatch/btDefaultCollisionConfiguration.h>
#include <BulletDynamics/ConstraintSolver/btSequentialImpulseConstraintSolver.h>

#include <memory>
#include <vector>

namespace physics {

// Grouped by the part of the teardown that releases them.
struct PhysicsWorld::Parts {
    SceneDesc desc;

    // Foundation: the memory pools and collision algorithms everything else draws on.
    std::unique_ptr<btDefaultCollisionConfiguration> collisionConfiguration;

    // Physics: the solver and every material and actor made through the world.
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver;
    std::vector<std::unique_ptr<PhysicsMaterial>> materials;
    std::vector<std::unique_ptr<RigidActor>> actors;

    // Cooking: the height fields and meshes that static shapes read.
    std::vector<std::unique_ptr<HeightField>> heightFields;
    std::vector<std::unique_ptr<TriangleMesh>> triangleMeshes;

    // Dispatcher: pair finding and the narrow phase that hands out collision work.
    std::unique_ptr<btDbvtBroadphase> broadphase;
    std::unique_ptr<btCollisionDispatcher> dispatcher;

    // Scene: the dynamics world, what is in it, and the controllers moving through it.
    std::unique_ptr<CappedDynamicsWorld> scene;
    std::vector<RigidActor*> sceneActors;
    std::vector<std::unique_ptr<BoxController>> controllers;
    ContactReports contactReports;
    float pendingStep = 0.0f;
    bool stepPending = false;
};

}
