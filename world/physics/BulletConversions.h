#pragma once

// Conversions between the layer's glm types and Bullet's; for the layer's own sources only.

#include "world/physics/Transform.h"

#include <LinearMath/btTransform.h>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

namespace physics {

inline btVector3 toBullet(const glm::vec3& v)
{
    return btVector3(v.x, v.y, v.z);
}

inline btQuaternion toBullet(const glm::quat& q)
{
    return btQuaternion(q.x, q.y, q.z, q.w);
}

inline btTransform toBullet(const Transform& t)
{
    return btTransform(toBullet(t.q), toBullet(t.p));
}

inline glm::vec3 toGlm(const btVector3& v)
{
    return glm::vec3(v.x(), v.y(), v.z());
}

inline glm::quat toGlm(const btQuaternion& q)
{
    return glm::quat(q.w(), q.x(), q.y(), q.z());
}

inline Transform toGlm(const btTransform& t)
{
    Transform pose;
    pose.p = toGlm(t.getOrigin());
    pose.q = toGlm(t.getRotation());
    return pose;
}

}
