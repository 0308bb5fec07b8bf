#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Circle.h"
#include "Component.h"
#include "Poly.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// Counts its own destruction, so tests can see who deletes components.
class CountingComponent : public Component {
public:
    explicit CountingComponent(int* destroyed) : destroyed(destroyed) {}
    ~CountingComponent() override { ++*destroyed; }
    void update() override {}

private:
    int* destroyed;
};

Circle makeDisc(float x, float y) { return Circle(Vec2(x, y), 1.0f, 1, 0, 0); }

TEST(GameObject, ChildrenFollowTranslationScaledByTheirFactor)
{
    Circle parent = makeDisc(0.0f, 0.0f);
    Circle half = makeDisc(5.0f, 0.0f);
    Circle stays = makeDisc(-5.0f, 0.0f);
    Circle grandchild = makeDisc(0.0f, 9.0f);
    half.translationFollow = 0.5f;
    stays.translationFollow = 0.0f;
    parent.children = {&half, &stays};
    half.children = {&grandchild};

    parent.translate(10.0f, 0.0f);

    EXPECT_EQ(parent.getPosition(), Vec2(10.0f, 0.0f));
    EXPECT_EQ(half.getPosition(), Vec2(10.0f, 0.0f));
    EXPECT_EQ(stays.getPosition(), Vec2(-5.0f, 0.0f));
    // The grandchild follows its own parent's (already halved) move in full.
    EXPECT_EQ(grandchild.getPosition(), Vec2(5.0f, 9.0f));

    // A negative factor gates like 0.
    stays.translationFollow = -1.0f;
    parent.translate(Vec2(1.0f, 1.0f));
    EXPECT_EQ(stays.getPosition(), Vec2(-5.0f, 0.0f));
}

TEST(GameObject, ChildrenTurnAboutTheParentsPivotWhileTheirGateIsOpen)
{
    Circle parent = makeDisc(0.0f, 0.0f);
    Circle swings = makeDisc(3.0f, 0.0f);
    Circle keeps = makeDisc(0.0f, 3.0f);
    keeps.rotationFollow = 0.0f;
    parent.children = {&swings, &keeps};

    parent.rotate(kPi, parent.getPosition());

    EXPECT_NEAR(swings.getPosition().x, -3.0f, 1e-5f);
    EXPECT_NEAR(swings.getPosition().y, 0.0f, 1e-5f);
    // A closed gate keeps both place and orientation.
    EXPECT_EQ(keeps.getPosition(), Vec2(0.0f, 3.0f));
    EXPECT_EQ(keeps.quad.corners[0], Vec2(-1.0f, 4.0f));

    // The gate does not scale the angle: 0.25 still turns the full half turn.
    keeps.rotationFollow = 0.25f;
    parent.rotate(kPi, parent.getPosition());
    EXPECT_NEAR(keeps.getPosition().y, -3.0f, 1e-5f);
}

TEST(GameObject, SetVisibleCoversTheWholeAttachedTree)
{
    Circle root = makeDisc(0.0f, 0.0f);
    Circle child = makeDisc(0.0f, 0.0f);
    Poly grandchild(Vec2(0.0f, 0.0f), 1, 1.0f, 0, 0, {Vec2(0, 0), Vec2(1, 0), Vec2(0, 1)});
    Circle bystander = makeDisc(0.0f, 0.0f);
    root.children = {&child};
    child.children = {&grandchild};

    root.setVisible(false);
    EXPECT_FALSE(root.visible);
    EXPECT_FALSE(child.visible);
    EXPECT_FALSE(grandchild.visible);
    EXPECT_TRUE(bystander.visible);

    // Showing a subtree leaves its ancestors as they are.
    child.setVisible(true);
    EXPECT_FALSE(root.visible);
    EXPECT_TRUE(child.visible);
    EXPECT_TRUE(grandchild.visible);
}

TEST(GameObject, DestructionDeletesComponentsButNotChildren)
{
    testing::internal::CaptureStdout();
    int destroyed = 0;
    Circle child = makeDisc(0.0f, 0.0f);
    {
        Circle parent = makeDisc(0.0f, 0.0f);
        parent.children = {&child};
        parent.components["a"] = new CountingComponent(&destroyed);
        parent.components["b"] = new CountingComponent(&destroyed);
        parent.components["empty"] = nullptr;
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(destroyed, 2);
    // The child outlives its parent and still works.
    child.translate(1.0f, 0.0f);
    EXPECT_EQ(child.getPosition(), Vec2(1.0f, 0.0f));
}

TEST(Component, SerialNumbersArePrintedAndNeverReused)
{
    int destroyed = 0;
    const int first = nextComponentId;
    testing::internal::CaptureStdout();
    {
        CountingComponent a(&destroyed);
        CountingComponent b(&destroyed);
        EXPECT_EQ(a.id, first);
        EXPECT_EQ(b.id, first + 1);
    }
    CountingComponent c(&destroyed);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.id, first + 2);
    EXPECT_EQ(printed,
              std::to_string(first) + "\n" + std::to_string(first + 1) + "\n" + std::to_string(first + 2) + "\n");
}

} // namespace
