#include "tests/support/SlopeSurface.h"

#include "world/Terrain.h"
#include "world/physics/HeightField.h"
#include "world/physics/RigidStatic.h"

SlopeSurface::SlopeSurface(Terrain& terrain) : query(physics::SceneDesc{})
{
    // Placed and scaled as the World places the slope's field.
    physics::Transform corner;
    corner.p = glm::vec3(-3200.0f, 0.0f, -3200.0f);
    physics::RigidStatic* slope = query.createRigidStatic(corner);
    physics::HeightFieldGeometry geometry;
    geometry.heightField = query.createHeightField(terrain.getHeightFieldDesc());
    geometry.rowScale = 50.0f;
    geometry.columnScale = 50.0f;
    slope->attachHeightField(geometry, *query.createMaterial(0.75f, 0.75f, 0.0001f));
    query.addActor(*slope);
}

bool SlopeSurface::heightAt(float x, float z, float& height) const
{
    // From above the border ring's 10000.
    physics::RaycastHit hit;
    if (!query.raycast(glm::vec3(x, 30000.0f, z), glm::vec3(0.0f, -1.0f, 0.0f), 60000.0f, hit)) {
        return false;
    }
    height = hit.position.y;
    return true;
}
