#include "world/physics/BoxController.h"

#include "world/physics/BulletConversions.h"
#include "world/physics/ControllerHitReport.h"
#include "world/physics/PhysicsWorldParts.h"
#include "world/physics/RigidActorBody.h"
#include "world/physics/RigidDynamic.h"

#include <algorithm>
#include <cmath>

namespace physics {

namespace {

constexpr int maxSideIterations = 10;
// The hidden body is smaller than the swept box, so that it does not touch what the controller
// rests on or stops short of.
constexpr float proxyScale = 0.8f;

// The closest blocking hit along a sweep; the controller's own proxy and the kinds of shape the
// move leaves out are passed through.
struct ClosestBlocker : btCollisionWorld::ClosestConvexResultCallback {
    ClosestBlocker(const btVector3& from, const btVector3& to, const btCollisionObject* self,
                   const ControllerFilters& filters)
        : ClosestConvexResultCallback(from, to), self(self), filters(filters)
    {
    }

    bool needsCollision(btBroadphaseProxy* proxy) const override
    {
        if (!ClosestConvexResultCallback::needsCollision(proxy)) {
            return false;
        }
        const auto* object = static_cast<const btCollisionObject*>(proxy->m_clientObject);
        const RigidActor* actor = actorOf(object);
        if (object == self || actor == nullptr) {
            return false;
        }
        return actor->isDynamic() ? filters.dynamicShapes : filters.staticShapes;
    }

    btScalar addSingleResult(btCollisionWorld::LocalConvexResult& result, bool normalInWorldSpace) override
    {
        part = 0;
        triangle = 0;
        if (result.m_localShapeInfo != nullptr) {
            part = result.m_localShapeInfo->m_shapePart;
            triangle = result.m_localShapeInfo->m_triangleIndex;
        }
        return ClosestConvexResultCallback::addSingleResult(result, normalInWorldSpace);
    }

    const btCollisionObject* self;
    const ControllerFilters& filters;
    int part = 0;
    int triangle = 0;
};

bool isAlmostZero(const glm::dvec3& v)
{
    return glm::dot(v, v) < 1e-12;
}

}

struct BoxController::Data {
    PhysicsWorld* world = nullptr;
    // Holds the current half extents: the setters write them here.
    BoxControllerDesc desc;
    glm::dvec3 position = glm::dvec3(0.0);
    glm::vec3 up = glm::vec3(0.0f, 1.0f, 0.0f);
    // The box's own x axis is the up direction, so (halfHeight, side, forward) are its half extents.
    glm::quat orientation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    RigidDynamic* proxy = nullptr;
};

BoxController::BoxController(PhysicsWorld& world, const BoxControllerDesc& desc) : state(std::make_unique<Data>())
{
    Data& d = *state;
    d.world = &world;
    d.desc = desc;
    d.position = desc.position;
    d.up = glm::normalize(desc.upDirection);
    d.orientation = glm::quat(glm::vec3(1.0f, 0.0f, 0.0f), d.up);

    Transform pose;
    pose.p = glm::vec3(d.position);
    pose.q = d.orientation;
    d.proxy = world.createRigidDynamic(pose);
    makeKinematic(*d.proxy);
    d.proxy->attachBox(proxyScale * glm::vec3(desc.halfHeight, desc.halfSideExtent, desc.halfForwardExtent),
                       *desc.material);
    d.proxy->body().controller = this;
    world.addActor(*d.proxy);
}

BoxController::~BoxController() = default;

ControllerHitReport::~ControllerHitReport() = default;

unsigned BoxController::move(const glm::vec3& displacement, float minDistance, float,
                             const ControllerFilters& filters)
{
    Data& d = *state;
    const btCollisionWorld& scene = *d.world->parts().scene;
    const btCollisionObject* self = d.proxy->body().body.get();
    if (!std::isfinite(displacement.x) || !std::isfinite(displacement.y) || !std::isfinite(displacement.z)) {
        return 0;
    }

    // One pass of sweeps towards position + motion: each stops contactOffset short of what it hits
    // and reports it; with slide, the rest of the motion follows the surface that was hit.
    auto pass = [&](const glm::dvec3& motion, int iterations, bool slide) {
        bool blocked = false;
        glm::dvec3 target = d.position + motion;
        for (int i = 0; i < iterations; ++i) {
            const glm::dvec3 delta = target - d.position;
            const double length = glm::length(delta);
            if (length <= double(minDistance)) {
                break;
            }
            // Rebuilt every sweep: a hit report may have resized the controller.
            btBoxShape box(btVector3(d.desc.halfHeight, d.desc.halfSideExtent, d.desc.halfForwardExtent));
            const btTransform from(toBullet(d.orientation), toBullet(glm::vec3(d.position)));
            const btTransform to(toBullet(d.orientation), toBullet(glm::vec3(target)));
            ClosestBlocker hit(from.getOrigin(), to.getOrigin(), self, filters);
            scene.convexSweepTest(&box, from, to, hit);
            RigidActor* actor = hit.hasHit() ? actorOf(hit.m_hitCollisionObject) : nullptr;
            if (actor == nullptr) {
                d.position = target;
                break;
            }
            blocked = true;
            const glm::dvec3 direction = delta / length;
            glm::dvec3 normal = glm::dvec3(toGlm(hit.m_hitNormalWorld.normalized()));
            if (glm::dot(normal, direction) > 0.0) {
                normal = -normal;
            }
            if (d.desc.reportCallback != nullptr) {
                auto fill = [&](auto& report) {
                    report.controller = this;
                    report.worldPos = glm::dvec3(toGlm(hit.m_hitPointWorld));
                    report.worldNormal = glm::vec3(normal);
                    report.dir = glm::vec3(direction);
                    report.length = float(length);
                };
                // Another controller's hidden body stands for that controller.
                if (BoxController* other = actor->body().controller) {
                    ControllersHit report;
                    fill(report);
                    report.other = other;
                    d.desc.reportCallback->onControllerHit(report);
                } else {
                    ControllerShapeHit report;
                    fill(report);
                    report.actor = actor;
                    report.triangleIndex = faceIndex(actor->body(), hit.part, hit.triangle);
                    d.desc.reportCallback->onShapeHit(report);
                }
            }
            d.position += direction * std::max(0.0, double(hit.m_closestHitFraction) * length - d.desc.contactOffset);
            if (!slide) {
                break;
            }
            const glm::dvec3 remaining = target - d.position;
            target = d.position + remaining - normal * glm::dot(remaining, normal);
        }
        return blocked;
    };

    const glm::dvec3 up(d.up);
    const glm::dvec3 motion(displacement);
    const double along = glm::dot(motion, up);
    const glm::dvec3 side = motion - up * along;
    // Stepping up only comes with a sideways motion, so that nothing moving against a standing
    // controller lifts it.
    const double step = isAlmostZero(side) ? 0.0 : double(d.desc.stepOffset);

    unsigned flags = 0;
    const glm::dvec3 beforeUp = d.position;
    if (pass(up * (step + std::max(along, 0.0)), 1, false)) {
        flags |= collisionflags::up;
    }
    const double climbed = std::min(glm::dot(d.position - beforeUp, up), step);
    if (pass(side, maxSideIterations, true)) {
        flags |= collisionflags::sides;
    }
    if (pass(-up * (std::max(climbed, 0.0) + std::max(-along, 0.0)), 1, false)) {
        flags |= collisionflags::down;
    }

    Transform pose;
    pose.p = glm::vec3(d.position);
    pose.q = d.orientation;
    placeKinematic(*d.proxy, toBullet(pose), false);
    return flags;
}

glm::dvec3 BoxController::getPosition() const
{
    return state->position;
}

bool BoxController::setPosition(const glm::dvec3& position)
{
    Data& d = *state;
    d.position = position;
    Transform pose;
    pose.p = glm::vec3(position);
    pose.q = d.orientation;
    placeKinematic(*d.proxy, toBullet(pose), true);
    return true;
}

glm::dvec3 BoxController::getFootPosition() const
{
    const Data& d = *state;
    return d.position - glm::dvec3(d.up) * double(d.desc.halfHeight + d.desc.contactOffset);
}

namespace {

// Resizes the box and its proxy where they stand: no collision test, no move.
bool resize(BoxController::Data& d, float& extent, float value)
{
    if (!(value > 0.0f) || !std::isfinite(value)) {
        return false;
    }
    extent = value;
    d.proxy->attachBox(proxyScale * glm::vec3(d.desc.halfHeight, d.desc.halfSideExtent, d.desc.halfForwardExtent),
                       *d.desc.material);
    return true;
}

}

bool BoxController::setHalfHeight(float halfHeight)
{
    return resize(*state, state->desc.halfHeight, halfHeight);
}

bool BoxController::setHalfSideExtent(float halfSideExtent)
{
    return resize(*state, state->desc.halfSideExtent, halfSideExtent);
}

bool BoxController::setHalfForwardExtent(float halfForwardExtent)
{
    return resize(*state, state->desc.halfForwardExtent, halfForwardExtent);
}

float BoxController::getHalfHeight() const
{
    return state->desc.halfHeight;
}

float BoxController::getHalfSideExtent() const
{
    return state->desc.halfSideExtent;
}

float BoxController::getHalfForwardExtent() const
{
    return state->desc.halfForwardExtent;
}

float BoxController::getContactOffset() const
{
    return state->desc.contactOffset;
}

float BoxController::getSlopeLimit() const
{
    return state->desc.slopeLimit;
}

float BoxController::getStepOffset() const
{
    return state->desc.stepOffset;
}

float BoxController::getDensity() const
{
    return state->desc.density;
}

const PhysicsMaterial* BoxController::getMaterial() const
{
    return state->desc.material;
}

RigidDynamic* BoxController::getActor() const
{
    return state->proxy;
}

}
