#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Circle.h"
#include "Component.h"
#include "Engine.h"
#include "MenuManager.h"
#include "SimulationManager.h"
#include "journal.h"
#include "recording_renderer.h"

namespace {

// Journals its destruction, so the order of removals can be seen.
class JournalDisc : public Circle {
public:
    JournalDisc(std::uint16_t layer, std::string name, std::vector<std::string>* journal)
        : Circle(Vec2(0.0f, 0.0f), 1.0f, layer, 0, 0), name(std::move(name)), journal(journal)
    {
    }
    ~JournalDisc() override { journal->push_back("removed " + name); }

private:
    std::string name;
    std::vector<std::string>* journal;
};

class SimulationManagerTest : public testing::Test {
protected:
    SimulationManagerTest()
    {
        testing::internal::CaptureStdout();
        engine = std::make_unique<Engine>(&world, &menu);
        engine->renderer = &renderer;
        setQuadRenderer(&renderer);
    }
    ~SimulationManagerTest() override
    {
        setQuadRenderer(nullptr);
        testing::internal::GetCapturedStdout();
    }

    GameObject* add(const std::string& name, std::uint16_t layer)
    {
        world.objects[name] = new JournalDisc(layer, name, &journal);
        return world.objects[name];
    }
    JournalComponent* attach(const std::string& body, const std::string& label)
    {
        auto* component = new JournalComponent(label, &journal, &componentsDestroyed);
        world.addComponent(component, body, label);
        return component;
    }
    std::vector<GameObject*> drawOrder() const { return {world.drawList.begin(), world.drawList.end()}; }

    // Declared first so that it outlives the bodies that write to it when the world goes.
    std::vector<std::string> journal;
    int componentsDestroyed = 0;
    SimulationManager world;
    MenuManager menu;
    RecordingRenderer renderer;
    std::unique_ptr<Engine> engine;
};

TEST_F(SimulationManagerTest, LayerRuleOrdersFarthestFirstAndNewestFirstAmongEquals)
{
    GameObject* a = add("a", 3);
    GameObject* b = add("b", 1);
    GameObject* c = add("c", 3);

    // Equal layers end in descending name order.
    world.sortDrawList();
    EXPECT_EQ(drawOrder(), (std::vector<GameObject*>{c, a, b}));

    // A newcomer goes in front of the bodies of its own layer.
    GameObject* d = add("d", 3);
    world.addToDrawList(d);
    EXPECT_EQ(drawOrder(), (std::vector<GameObject*>{d, c, a, b}));

    // Nearest of all goes last, farthest of all first.
    GameObject* near = add("near", 0);
    GameObject* far = add("far", 400);
    world.addToDrawList(near);
    world.addToDrawList(far);
    EXPECT_EQ(drawOrder(), (std::vector<GameObject*>{far, d, c, a, b, near}));

    // Sorting again rebuilds from the registry without duplicating anyone, hidden bodies included.
    near->visible = false;
    world.sortDrawList();
    EXPECT_EQ(drawOrder(), (std::vector<GameObject*>{far, d, c, a, b, near}));
}

TEST_F(SimulationManagerTest, RenderDrawsVisibleBodiesInDrawOrderBetweenFrameAndOverlay)
{
    add("a", 3);
    GameObject* hidden = add("b", 2);
    add("c", 1);
    hidden->visible = false;
    world.sortDrawList();

    engine->displayFrame();

    EXPECT_EQ(renderer.calls,
              (std::vector<std::string>{"frame", "begin", "quad", "end", "begin", "quad", "end", "hud"}));
    ASSERT_EQ(renderer.quads.size(), 2u);
    EXPECT_EQ(*renderer.quads[0].layerRef, 3);
    EXPECT_EQ(*renderer.quads[1].layerRef, 1);
}

TEST_F(SimulationManagerTest, ComponentsRunInAttachmentOrderThenMarkedBodiesGoInNameOrder)
{
    GameObject* zeta = add("zeta", 1);
    GameObject* alpha = add("alpha", 1);
    add("keeper", 1);
    // zeta's component marks alpha, which runs later in the same pass all the same.
    attach("zeta", "zeta runs")->toMark = alpha;
    attach("alpha", "alpha runs")->toMark = zeta;
    attach("keeper", "keeper runs");
    world.sortDrawList();

    world.updateAll();

    EXPECT_EQ(journal,
              (std::vector<std::string>{"zeta runs", "alpha runs", "keeper runs", "removed alpha", "removed zeta"}));
    EXPECT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.components.size(), 1u);
    EXPECT_EQ(world.drawList.size(), 1u);
    EXPECT_EQ(componentsDestroyed, 2);

    // The removed bodies' components never run again.
    journal.clear();
    world.updateAll();
    EXPECT_EQ(journal, (std::vector<std::string>{"keeper runs"}));
}

TEST_F(SimulationManagerTest, RemoveObjectWithdrawsEverythingOfTheBodyAndNothingElse)
{
    GameObject* parent = add("parent", 2);
    GameObject* child = add("child", 1);
    parent->children.push_back(child);
    attach("child", "child runs");
    attach("parent", "parent runs");
    world.sortDrawList();

    // An unknown name changes nothing.
    world.removeObject("nobody");
    world.removeObject("Child");
    EXPECT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.components.size(), 2u);
    EXPECT_EQ(world.drawList.size(), 2u);
    EXPECT_TRUE(journal.empty());

    // Removing a child unhooks it from its parent, so moving the parent stays safe.
    world.removeObject("child");
    EXPECT_EQ(journal, (std::vector<std::string>{"removed child"}));
    EXPECT_EQ(world.objects.count("child"), 0u);
    EXPECT_TRUE(parent->children.empty());
    EXPECT_EQ(drawOrder(), (std::vector<GameObject*>{parent}));
    EXPECT_EQ(componentsDestroyed, 1);
    parent->translate(1.0f, 1.0f);

    journal.clear();
    world.updateAll();
    EXPECT_EQ(journal, (std::vector<std::string>{"parent runs"}));
}

TEST_F(SimulationManagerTest, AttachingToAnUnknownNameRegistersNothingAndDropsTheComponent)
{
#ifdef NDEBUG
    int destroyed = 0;
    world.addComponent(new JournalComponent("lost", &journal, &destroyed), "ghost", "lost");
    EXPECT_EQ(world.objects.count("ghost"), 0u);
    EXPECT_TRUE(world.components.empty());
    EXPECT_EQ(destroyed, 1);
#else
    auto component = std::make_unique<JournalComponent>("lost", &journal);
    EXPECT_DEATH(world.addComponent(component.get(), "ghost", "lost"), "registered");
#endif
}

} // namespace
