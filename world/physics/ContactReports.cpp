#include "world/physics/ContactReports.h"

#include "world/physics/BulletConversions.h"
#include "world/physics/RigidActorBody.h"

#include <BulletCollision/BroadphaseCollision/btDispatcher.h>
#include <BulletCollision/NarrowPhaseCollision/btPersistentManifold.h>

#include <limits>

namespace physics {

namespace {

constexpr std::size_t noReport = std::numeric_limits<std::size_t>::max();

}

void ContactReports::collect(btDispatcher& dispatcher, PairFilter filter)
{
    ++step;
    reports.clear();
    for (int i = 0; i < dispatcher.getNumManifolds(); ++i) {
        const btPersistentManifold* manifold = dispatcher.getManifoldByIndexInternal(i);
        RigidActor* a = actorOf(manifold->getBody0());
        RigidActor* b = actorOf(manifold->getBody1());
        if (manifold->getNumContacts() == 0 || a == nullptr || b == nullptr) {
            continue;
        }
        // A pair stays in the map only while it touches, so one found there touched last step.
        auto [entry, isNew] = touching.try_emplace({a, b});
        Touch& touch = entry->second;
        if (isNew) {
            touch.flags = filter != nullptr ? filter(*a, *b) : pairflags::contactDefault;
        }
        // Several manifolds of one pair (a box on several cells) make one report.
        if (touch.step != step) {
            touch.step = step;
            touch.report = noReport;
            const unsigned event = isNew ? pairflags::notifyTouchFound : pairflags::notifyTouchPersists;
            if ((touch.flags & event) != 0) {
                touch.report = reports.size();
                Report report;
                report.header.actors[0] = a;
                report.header.actors[1] = b;
                report.pair.events = event;
                reports.push_back(report);
            }
        }
        if (touch.report == noReport || (touch.flags & pairflags::notifyContactPoints) == 0) {
            continue;
        }
        for (int p = 0; p < manifold->getNumContacts(); ++p) {
            const btManifoldPoint& point = manifold->getContactPoint(p);
            ContactPoint contact;
            contact.position = toGlm(point.getPositionWorldOnB());
            contact.normal = toGlm(point.m_normalWorldOnB);
            contact.separation = point.getDistance();
            reports[touch.report].points.push_back(contact);
        }
    }
    for (auto it = touching.begin(); it != touching.end();) {
        it = it->second.step == step ? std::next(it) : touching.erase(it);
    }
}

void ContactReports::deliver(SimulationEventCallback& callback)
{
    for (Report& report : reports) {
        report.pair.contactCount = unsigned(report.points.size());
        report.pair.contacts = report.points.empty() ? nullptr : report.points.data();
        callback.onContact(report.header, &report.pair, 1);
    }
}

}
