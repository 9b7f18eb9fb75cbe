#pragma once

// The layer's Bullet dynamics world; for the layer's own sources only.

#include <BulletDynamics/Dynamics/btDiscreteDynamicsWorld.h>

namespace physics {

// Bullet's discrete world with each dynamic actor's angular speed held to the actor's maximum on
// every step. Bullet's own limit (btRigidBody::integrateVelocities) is not on this world's path:
// the solver integrates the velocities, so without this a body spins as fast as it is driven.
class CappedDynamicsWorld : public btDiscreteDynamicsWorld {
public:
    using btDiscreteDynamicsWorld::btDiscreteDynamicsWorld;

protected:
    // By now the solver has written back the step's velocities, forces, torques and contacts
    // included, and positions have not moved. PhysX caps before it solves contacts, so there a
    // contact can leave a body faster than its maximum for a step; here it cannot.
    void integrateTransforms(btScalar timeStep) override;
};

}
