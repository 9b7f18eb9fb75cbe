#pragma once

// Contact events of a step, gathered from Bullet's manifolds; for the layer's own sources only.

#include "world/physics/PairFilter.h"
#include "world/physics/SimulationEventCallback.h"

#include <cstddef>
#include <map>
#include <utility>
#include <vector>

class btDispatcher;

namespace physics {

// Bullet solves every touching pair; the filter only decides, once per pair when it starts to
// touch, which of its contacts are reported.
class ContactReports {
public:
    // Reads the touching pairs after a step and keeps the reports their flags ask for.
    void collect(btDispatcher& dispatcher, PairFilter filter);
    void deliver(SimulationEventCallback& callback);

private:
    struct Touch {
        unsigned flags = 0;
        // The last step the pair touched in, and its report there (if it asked for one).
        unsigned step = 0;
        std::size_t report = 0;
    };
    struct Report {
        ContactPairHeader header;
        ContactPair pair;
        std::vector<ContactPoint> points;
    };

    std::map<std::pair<const RigidActor*, const RigidActor*>, Touch> touching;
    std::vector<Report> reports;
    unsigned step = 0;
};

}
