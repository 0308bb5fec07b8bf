#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Circle.h"
#include "ObjectMap.h"

namespace {

std::vector<GameObject*> scanForKind(const std::map<std::string, GameObject*>& bodies, std::uint16_t kind)
{
    std::vector<GameObject*> found;
    for (const auto& [name, body] : bodies)
        if (body != nullptr && body->kind == kind) found.push_back(body);
    return found;
}

// Whatever is registered, replaced or removed, in any order, the kind index and the remembered
// look-ups answer exactly as a scan and a search of a plain map holding the same entries.
TEST(ObjectMap, KindIndexAndLookUpsFollowEveryRegistrationAndRemoval)
{
    std::mt19937 random(7);
    std::vector<std::unique_ptr<Circle>> bodies;
    const auto makeBody = [&] {
        bodies.push_back(std::make_unique<Circle>(Vec2(), 1.0f, 1, 0, random() % 2 == 0 ? 3 : 5));
        return bodies.back().get();
    };
    ObjectMap objects;
    std::map<std::string, GameObject*> plain;
    GameObject** reserved = nullptr; // an entry made now and filled a step later
    for (int step = 0; step < 3000; ++step) {
        const std::string name = "body" + std::to_string(random() % 40);
        if (reserved != nullptr) {
            *reserved = makeBody();
            reserved = nullptr;
        }
        switch (random() % 4) {
        case 0: // register, or replace what the name held
            objects[name] = makeBody();
            break;
        case 1: // make a new entry now, fill it next step
            if (objects.count(name) == 0) reserved = &objects[name];
            break;
        case 2: { // withdraw
            const auto found = objects.find(name);
            if (found != objects.end()) objects.erase(found);
            break;
        }
        default: break;
        }
        plain.clear();
        for (const auto& [entry, body] : objects) plain[entry] = body;
        EXPECT_EQ(objects.ofKind(3), scanForKind(plain, 3)) << step;
        const auto found = objects.find(name);
        EXPECT_EQ(found != objects.end(), plain.count(name) == 1) << step;
    }
    EXPECT_EQ(objects.ofKind(5), scanForKind(plain, 5));
}

} // namespace
