#include "world/physics/CappedDynamicsWorld.h"

#include "world/physics/RigidActorBody.h"

namespace physics {

namespace {

// Scales the angular velocity down to `maximum`, keeping its direction.
void capAngularVelocity(btRigidBody& body, btScalar maximum)
{
    const btVector3 spin = body.getAngularVelocity();
    const btScalar speed = spin.length();
    if (speed > maximum) {
        body.setAngularVelocity(spin * (maximum / speed));
    }
}

}

void CappedDynamicsWorld::integrateTransforms(btScalar timeStep)
{
    for (int i = 0; i < m_nonStaticRigidBodies.size(); ++i) {
        btRigidBody& body = *m_nonStaticRigidBodies[i];
        const RigidActor* actor = actorOf(&body);
        if (actor == nullptr || !body.isActive() || body.isStaticOrKinematicObject()) {
            continue;
        }
        capAngularVelocity(body, actor->body().maxAngularVelocity);
    }
    btDiscreteDynamicsWorld::integrateTransforms(timeStep);
}

}
