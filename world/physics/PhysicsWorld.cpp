#include "world/physics/PhysicsWorld.h"

#include "world/physics/BoxController.h"
#include "world/physics/BoxControllerDesc.h"
#include "world/physics/BulletConversions.h"
#include "world/physics/PhysicsWorldParts.h"
#include "world/physics/RigidActorBody.h"
#include "world/physics/RigidDynamic.h"
#include "world/physics/RigidStatic.h"

#include <BulletCollision/CollisionDispatch/btManifoldResult.h>
#include <BulletCollision/CollisionShapes/btConcaveShape.h>
#include <BulletCollision/NarrowPhaseCollision/btRaycastCallback.h>

#include <cmath>
#include <iostream>
#include <mutex>

namespace physics {

namespace {

// Two touching shapes average their friction and their restitution, where Bullet would multiply.
btScalar averageFriction(const btCollisionObject* a, const btCollisionObject* b)
{
    return (a->getFriction() + b->getFriction()) * btScalar(0.5);
}

btScalar averageRestitution(const btCollisionObject* a, const btCollisionObject* b)
{
    return (a->getRestitution() + b->getRestitution()) * btScalar(0.5);
}

// Bullet keeps these as process-wide globals; every world wants the same values, so they are set
// once, whichever world comes first and on whichever thread.
void setBulletGlobals()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gCalculateCombinedFrictionCallback = &averageFriction;
        gCalculateCombinedRestitutionCallback = &averageRestitution;
        // A body must stay below the sleep thresholds this long before it sleeps.
        gDeactivationTime = 0.4f;
    });
}

// Bullet's restitution is zero below this approach speed.
constexpr btScalar bounceThreshold = 2.0f;

void reportLostBodies(const std::vector<RigidActor*>& actors)
{
    for (RigidActor* actor : actors) {
        RigidActor::Body& body = actor->body();
        if (body.lossReported || body.body->getActivationState() != DISABLE_SIMULATION) {
            continue;
        }
        body.lossReported = true;
        const btVector3 at = body.body->getCenterOfMassPosition();
        std::cerr << "physics: a body at (" << at.x() << ", " << at.y() << ", " << at.z() << ") moving at "
                  << body.body->getLinearVelocity().length()
                  << " units/s swept bounds too large for Bullet (over 1e6 units) and left the simulation;"
                     " it stays where it is until its pose or velocity is set\n";
    }
}

}

PhysicsWorld::PhysicsWorld(const SceneDesc& desc) : state(std::make_unique<Parts>())
{
    setBulletGlobals();
    Parts& p = *state;
    p.desc = desc;
    // Made in the order foundation, physics, cooking, dispatcher, scene. Cooking needs no object
    // of its own: height fields and meshes are cooked as they are created.
    p.collisionConfiguration = std::make_unique<btDefaultCollisionConfiguration>();
    p.solver = std::make_unique<btSequentialImpulseConstraintSolver>();
    p.broadphase = std::make_unique<btDbvtBroadphase>();
    p.dispatcher = std::make_unique<btCollisionDispatcher>(p.collisionConfiguration.get());
    // The step runs on this thread: Debian's Bullet is built without threading, so the two
    // workers asked for stand for nothing more than the number reported back.
    p.scene = std::make_unique<CappedDynamicsWorld>(p.dispatcher.get(), p.broadphase.get(), p.solver.get(),
                                                    p.collisionConfiguration.get());
    p.scene->setGravity(toBullet(desc.gravity));
    p.scene->getSolverInfo().m_restitutionVelocityThreshold = bounceThreshold;
    // A box with faces of its own meets a height field's triangles through clipping, which keeps a
    // full contact patch where the distance search alone gives one point per triangle a step.
    p.scene->getDispatchInfo().m_enableSatConvex = true;
}

PhysicsWorld::~PhysicsWorld()
{
    release();
}

void PhysicsWorld::simulate(float dt)
{
    Parts& p = *state;
    if (!p.scene) {
        return;
    }
    if (p.stepPending) {
        std::cerr << "physics: simulate called again before fetchResults; the second step is not taken\n";
        return;
    }
    if (!(dt > 0.0f) || !std::isfinite(dt)) {
        std::cerr << "physics: simulate needs a positive, finite time step, not " << dt << "\n";
        return;
    }
    p.pendingStep = dt;
    p.stepPending = true;
}

bool PhysicsWorld::fetchResults(bool)
{
    Parts& p = *state;
    if (!p.scene || !p.stepPending) {
        return false;
    }
    p.stepPending = false;
    // No sub-steps: one step of exactly the given length, and no interpolated poses.
    p.scene->stepSimulation(p.pendingStep, 0);
    reportLostBodies(p.sceneActors);
    if (p.desc.simulationEventCallback != nullptr) {
        p.contactReports.collect(*p.dispatcher, p.desc.filterShader);
        p.contactReports.deliver(*p.desc.simulationEventCallback);
    }
    return true;
}

glm::vec3 PhysicsWorld::getGravity() const
{
    return state->desc.gravity;
}

unsigned PhysicsWorld::getWorkerThreads() const
{
    return state->desc.workerThreads;
}

PhysicsMaterial* PhysicsWorld::createMaterial(float staticFriction, float dynamicFriction, float restitution)
{
    auto material = std::make_unique<PhysicsMaterial>();
    material->staticFriction = staticFriction;
    material->dynamicFriction = dynamicFriction;
    material->restitution = restitution;
    state->materials.push_back(std::move(material));
    return state->materials.back().get();
}

RigidDynamic* PhysicsWorld::createRigidDynamic(const Transform& pose)
{
    RigidDynamic* actor = new RigidDynamic(*this, pose);
    state->actors.emplace_back(actor);
    return actor;
}

RigidStatic* PhysicsWorld::createRigidStatic(const Transform& pose)
{
    RigidStatic* actor = new RigidStatic(*this, pose);
    state->actors.emplace_back(actor);
    return actor;
}

HeightField* PhysicsWorld::createHeightField(const HeightFieldDesc& desc)
{
    if (desc.nbRows < 2 || desc.nbColumns < 2 || desc.samples.size() != std::size_t(desc.nbRows) * desc.nbColumns) {
        std::cerr << "physics: a height field needs at least 2 x 2 samples and one sample per row and column; got "
                  << desc.samples.size() << " samples for " << desc.nbRows << " x " << desc.nbColumns << "\n";
        return nullptr;
    }
    state->heightFields.emplace_back(new HeightField(desc));
    return state->heightFields.back().get();
}

TriangleMesh* PhysicsWorld::createTriangleMesh(const TriangleMeshDesc& desc)
{
    if (desc.points.empty() || desc.triangles.empty()) {
        return nullptr;
    }
    if (desc.triangles.size() % 3 != 0) {
        std::cerr << "physics: a triangle mesh needs three indices per triangle; got " << desc.triangles.size() << "\n";
        return nullptr;
    }
    for (std::uint32_t index : desc.triangles) {
        if (index >= desc.points.size()) {
            std::cerr << "physics: triangle mesh index " << index << " is past its " << desc.points.size()
                      << " points\n";
            return nullptr;
        }
    }
    state->triangleMeshes.emplace_back(new TriangleMesh(desc));
    return state->triangleMeshes.back().get();
}

BoxController* PhysicsWorld::createController(const BoxControllerDesc& desc)
{
    if (!state->scene || !desc.isValid()) {
        return nullptr;
    }
    state->controllers.emplace_back(new BoxController(*this, desc));
    return state->controllers.back().get();
}

void PhysicsWorld::addActor(RigidActor& actor)
{
    Parts& p = *state;
    RigidActor::Body& body = actor.body();
    if (!p.scene || body.inScene) {
        return;
    }
    if (body.world != &p) {
        std::cerr << "physics: an actor can only join the scene of the world that made it\n";
        return;
    }
    // Statics and kinematics join as static filters, which never collide with each other.
    p.scene->addRigidBody(body.body.get());
    body.inScene = true;
    p.sceneActors.push_back(&actor);
}

std::vector<RigidActor*> PhysicsWorld::getActors(bool dynamic) const
{
    std::vector<RigidActor*> found;
    for (RigidActor* actor : state->sceneActors) {
        if (actor->isDynamic() == dynamic) {
            found.push_back(actor);
        }
    }
    return found;
}

bool PhysicsWorld::raycast(const glm::vec3& origin, const glm::vec3& unitDirection, float maxDistance,
                           RaycastHit& hit) const
{
    // Bullet's walk along a height field's cells never enters the cells of its last row and column
    // from a ray that runs along their far edge, so height fields are left out of its ray test and
    // their triangles under the ray's bounds are tested one by one instead.
    struct ClosestHit : btCollisionWorld::ClosestRayResultCallback {
        using ClosestRayResultCallback::ClosestRayResultCallback;
        bool needsCollision(btBroadphaseProxy* proxy) const override
        {
            const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
            return !isHeightField(object) && ClosestRayResultCallback::needsCollision(proxy);
        }
        btScalar addSingleResult(btCollisionWorld::LocalRayResult& result, bool normalInWorldSpace) override
        {
            if (result.m_localShapeInfo != nullptr) {
                part = result.m_localShapeInfo->m_shapePart;
                triangle = result.m_localShapeInfo->m_triangleIndex;
            }
            return ClosestRayResultCallback::addSingleResult(result, normalInWorldSpace);
        }
        static bool isHeightField(const btCollisionObject* object)
        {
            return object->getCollisionShape()->getShapeType() == TERRAIN_SHAPE_PROXYTYPE;
        }
        int part = 0;
        int triangle = 0;
    };
    struct ClosestTriangle : btTriangleRaycastCallback {
        using btTriangleRaycastCallback::btTriangleRaycastCallback;
        btScalar reportHit(const btVector3& hitNormal, btScalar fraction, int hitPart, int hitTriangle) override
        {
            normal = hitNormal;
            part = hitPart;
            triangle = hitTriangle;
            found = true;
            return fraction;
        }
        btVector3 normal{0.0f, 0.0f, 0.0f};
        int part = 0;
        int triangle = 0;
        bool found = false;
    };

    const glm::vec3 end = origin + unitDirection * maxDistance;
    if (!state->scene || !std::isfinite(end.x) || !std::isfinite(end.y) || !std::isfinite(end.z)) {
        return false;
    }
    const btVector3 from = toBullet(origin);
    const btVector3 to = toBullet(end);
    ClosestHit closest(from, to);
    state->scene->rayTest(from, to, closest);
    RigidActor* actor = closest.hasHit() ? actorOf(closest.m_collisionObject) : nullptr;
    btScalar fraction = actor != nullptr ? closest.m_closestHitFraction : btScalar(1.0f);
    btVector3 normal = closest.m_hitNormalWorld;
    unsigned face = actor != nullptr ? faceIndex(actor->body(), closest.part, closest.triangle) : 0;

    for (RigidActor* field : state->sceneActors) {
        btRigidBody& body = *field->body().body;
        if (!ClosestHit::isHeightField(&body) || !closest.ClosestRayResultCallback::needsCollision(body.getBroadphaseHandle())) {
            continue;
        }
        const btTransform& frame = body.getWorldTransform();
        const btVector3 fromLocal = frame.invXform(from);
        const btVector3 toLocal = frame.invXform(to);
        ClosestTriangle triangles(fromLocal, toLocal);
        triangles.m_hitFraction = fraction;
        btVector3 lower = fromLocal;
        btVector3 upper = fromLocal;
        lower.setMin(toLocal);
        upper.setMax(toLocal);
        static_cast<const btConcaveShape*>(body.getCollisionShape())->processAllTriangles(&triangles, lower, upper);
        if (triangles.found) {
            actor = field;
            fraction = triangles.m_hitFraction;
            normal = frame.getBasis() * triangles.normal;
            face = faceIndex(field->body(), triangles.part, triangles.triangle);
        }
    }
    if (actor == nullptr) {
        return false;
    }
    hit.actor = actor;
    hit.position = toGlm(from.lerp(to, fraction));
    hit.normal = toGlm(normal.normalized());
    hit.distance = fraction * maxDistance;
    hit.faceIndex = face;
    return true;
}

void PhysicsWorld::release()
{
    Parts& p = *state;
    if (!p.scene) {
        return;
    }
    auto released = [this](const char* part) {
        if (releaseListener) {
            releaseListener(part);
        }
    };

    p.controllers.clear();
    for (auto it = p.sceneActors.rbegin(); it != p.sceneActors.rend(); ++it) {
        p.scene->removeRigidBody((*it)->body().body.get());
        (*it)->body().inScene = false;
    }
    p.sceneActors.clear();
    p.scene.reset();
    released("scene");

    p.dispatcher.reset();
    p.broadphase.reset();
    released("dispatcher");

    p.actors.clear();
    p.materials.clear();
    p.solver.reset();
    released("physics");

    p.triangleMeshes.clear();
    p.heightFields.clear();
    released("cooking");

    p.collisionConfiguration.reset();
    released("foundation");
}

}
