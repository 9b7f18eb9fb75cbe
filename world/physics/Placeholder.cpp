// Bodies that do nothing yet, so that the layer's users build and link; the Bullet-backed
// implementation replaces this file.
#include "world/physics/BoxController.h"
#include "world/physics/ControllerHitReport.h"
#include "world/physics/HeightField.h"
#include "world/physics/PhysicsMaterial.h"
#include "world/physics/PhysicsWorld.h"
#include "world/physics/RigidDynamic.h"
#include "world/physics/RigidStatic.h"
#include "world/physics/SimulationEventCallback.h"
#include "world/physics/TriangleMesh.h"

namespace physics {

struct RigidActor::Body {
    Transform pose;
    std::uint8_t group = 0;
};
struct HeightField::Data {};
struct TriangleMesh::Data {};
struct BoxController::Data {};
struct PhysicsWorld::Parts {};

RigidActor::RigidActor(PhysicsWorld&, const Transform& pose) : state(std::make_unique<Body>()) { state->pose = pose; }
RigidActor::~RigidActor() = default;
Transform RigidActor::getGlobalPose() const { return state->pose; }
void RigidActor::setGlobalPose(const Transform& pose, bool) { state->pose = pose; }
void RigidActor::setDominanceGroup(std::uint8_t group) { state->group = group; }
std::uint8_t RigidActor::getDominanceGroup() const { return state->group; }
bool RigidActor::isInScene() const { return false; }

RigidDynamic::RigidDynamic(PhysicsWorld& world, const Transform& pose) : RigidActor(world, pose) {}
RigidDynamic::~RigidDynamic() = default;
void RigidDynamic::attachBox(const glm::vec3&, const PhysicsMaterial&) {}
glm::vec3 RigidDynamic::getBoxHalfExtents() const { return glm::vec3(0.0f); }
void RigidDynamic::setCMassLocalPose(const Transform&) {}
Transform RigidDynamic::getCMassLocalPose() const { return {}; }
float RigidDynamic::getMass() const { return 1.0f; }
glm::vec3 RigidDynamic::getMassSpaceInertiaTensor() const { return glm::vec3(1.0f); }
void RigidDynamic::setLinearVelocity(const glm::vec3&, bool) {}
glm::vec3 RigidDynamic::getLinearVelocity() const { return glm::vec3(0.0f); }
void RigidDynamic::setAngularVelocity(const glm::vec3&, bool) {}
glm::vec3 RigidDynamic::getAngularVelocity() const { return glm::vec3(0.0f); }
void RigidDynamic::addTorque(const glm::vec3&, bool) {}
void RigidDynamic::clearForce() {}
bool RigidDynamic::isSleeping() const { return false; }
void RigidDynamic::wakeUp() {}
void RigidDynamic::putToSleep() {}

RigidStatic::RigidStatic(PhysicsWorld& world, const Transform& pose) : RigidActor(world, pose) {}
RigidStatic::~RigidStatic() = default;
void RigidStatic::attachHeightField(const HeightFieldGeometry&, const PhysicsMaterial&) {}
void RigidStatic::attachTriangleMesh(TriangleMesh&, const PhysicsMaterial&) {}
void RigidStatic::setContactOffset(float) {}
float RigidStatic::getContactOffset() const { return 0.0f; }
unsigned RigidStatic::getNbShapes() const { return 0; }
void RigidStatic::getBounds(glm::vec3& lower, glm::vec3& upper) const { lower = upper = glm::vec3(0.0f); }
const HeightFieldGeometry* RigidStatic::getHeightFieldGeometry() const { return nullptr; }

HeightField::HeightField(const HeightFieldDesc&) : state(std::make_unique<Data>()) {}
HeightField::~HeightField() = default;
unsigned HeightField::getNbRows() const { return 0; }
unsigned HeightField::getNbColumns() const { return 0; }
std::int16_t HeightField::getHeight(unsigned, unsigned) const { return 0; }

TriangleMesh::TriangleMesh(const TriangleMeshDesc&) : state(std::make_unique<Data>()) {}
TriangleMesh::~TriangleMesh() = default;
unsigned TriangleMesh::getNbVertices() const { return 0; }
unsigned TriangleMesh::getNbTriangles() const { return 0; }

bool BoxControllerDesc::isValid() const { return false; }
ControllerHitReport::~ControllerHitReport() = default;
SimulationEventCallback::~SimulationEventCallback() = default;
unsigned defaultSimulationFilter(const RigidActor&, const RigidActor&) { return pairflags::contactDefault; }

BoxController::BoxController(PhysicsWorld&, const BoxControllerDesc&) : state(std::make_unique<Data>()) {}
BoxController::~BoxController() = default;
unsigned BoxController::move(const glm::vec3&, float, float, const ControllerFilters&) { return 0; }
glm::dvec3 BoxController::getPosition() const { return glm::dvec3(0.0); }
bool BoxController::setPosition(const glm::dvec3&) { return false; }
glm::dvec3 BoxController::getFootPosition() const { return glm::dvec3(0.0); }
bool BoxController::setHalfHeight(float) { return false; }
bool BoxController::setHalfSideExtent(float) { return false; }
bool BoxController::setHalfForwardExtent(float) { return false; }
float BoxController::getHalfHeight() const { return 0.0f; }
float BoxController::getHalfSideExtent() const { return 0.0f; }
float BoxController::getHalfForwardExtent() const { return 0.0f; }
float BoxController::getContactOffset() const { return 0.0f; }
float BoxController::getSlopeLimit() const { return 0.0f; }
float BoxController::getStepOffset() const { return 0.0f; }
float BoxController::getDensity() const { return 0.0f; }
const PhysicsMaterial* BoxController::getMaterial() const { return nullptr; }
RigidDynamic* BoxController::getActor() const { return nullptr; }

PhysicsWorld::PhysicsWorld(const SceneDesc&) : state(std::make_unique<Parts>()) {}
PhysicsWorld::~PhysicsWorld() = default;
void PhysicsWorld::simulate(float) {}
bool PhysicsWorld::fetchResults(bool) { return true; }
glm::vec3 PhysicsWorld::getGravity() const { return glm::vec3(0.0f); }
unsigned PhysicsWorld::getWorkerThreads() const { return 0; }
PhysicsMaterial* PhysicsWorld::createMaterial(float, float, float) { return nullptr; }
RigidDynamic* PhysicsWorld::createRigidDynamic(const Transform&) { return nullptr; }
RigidStatic* PhysicsWorld::createRigidStatic(const Transform&) { return nullptr; }
HeightField* PhysicsWorld::createHeightField(const HeightFieldDesc&) { return nullptr; }
TriangleMesh* PhysicsWorld::createTriangleMesh(const TriangleMeshDesc&) { return nullptr; }
BoxController* PhysicsWorld::createController(const BoxControllerDesc&) { return nullptr; }
void PhysicsWorld::addActor(RigidActor&) {}
std::vector<RigidActor*> PhysicsWorld::getActors(bool) const { return {}; }
void PhysicsWorld::release() {}

}
