#include <deque>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Circle.h"
#include "ObjectMap.h"

namespace {

// Whatever is registered, replaced or removed, in any order, the kind index, the remembered
// look-ups and the entry array answer exactly as a scan and a search of a plain map would.
TEST(ObjectMap, KindIndexLookUpsAndEntriesFollowEveryRegistrationAndRemoval)
{
    std::mt19937 random(7);
    std::deque<Circle> bodies; // never moves what it holds
    const auto makeBody = [&] { return &bodies.emplace_back(Vec2(), 1.0f, 1, 0, random() % 2 == 0 ? 3 : 5); };
    ObjectMap objects;
    GameObject** reserved = nullptr; // an entry made now and filled a step later
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE(step);
        const std::string name = "body" + std::to_string(random() % 40);
        if (reserved != nullptr) *std::exchange(reserved, nullptr) = makeBody();
        // Register (or replace what the name held), make an entry to fill later, withdraw, or just look.
        const auto action = random() % 4;
        if (action == 0) objects[name] = makeBody();
        if (action == 1 && objects.count(name) == 0) reserved = &objects[name];
        if (const auto found = objects.find(name); action == 2 && found != objects.end()) objects.erase(found);
        const std::map<std::string, GameObject*> plain(objects.begin(), objects.end());
        for (const std::uint16_t kind : {3, step % 2 == 0 ? 3 : 5}) {
            std::vector<GameObject*> scan;
            for (const auto& [entry, body] : plain)
                if (body != nullptr && body->kind == kind) scan.push_back(body);
            EXPECT_EQ(objects.ofKind(kind), scan);
        }
        EXPECT_EQ(objects.find(name) != objects.end(), plain.count(name) == 1);
        std::map<std::string, GameObject*> listed;
        for (const auto entry : objects.entries()) listed.insert(*entry);
        EXPECT_TRUE(listed == plain && objects.entries().size() == plain.size());
    }
}

} // namespace
