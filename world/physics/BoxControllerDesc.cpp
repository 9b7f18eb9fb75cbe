#include "world/physics/BoxControllerDesc.h"

#include <cmath>
#include <initializer_list>

namespace physics {

namespace {

bool allFinite(std::initializer_list<double> values)
{
    for (double value : values) {
        if (!std::isfinite(value)) {
            return false;
        }
    }
    return true;
}

}

bool BoxControllerDesc::isValid() const
{
    if (!allFinite({position.x, position.y, position.z, upDirection.x, upDirection.y, upDirection.z, slopeLimit,
                    contactOffset, stepOffset, density, scaleCoeff, volumeGrowth, halfHeight, halfSideExtent,
                    halfForwardExtent})) {
        return false;
    }
    const bool extentsPositive = halfHeight > 0.0f && halfSideExtent > 0.0f && halfForwardExtent > 0.0f;
    const bool stepFits = stepOffset >= 0.0f && stepOffset <= 2.0f * halfHeight;
    const bool rest = density >= 0.0f && slopeLimit >= 0.0f && contactOffset > 0.0f && scaleCoeff >= 0.0f &&
                      volumeGrowth >= 1.0f;
    const bool hasUp = upDirection != glm::vec3(0.0f);
    return extentsPositive && stepFits && rest && hasUp && material != nullptr;
}

}
