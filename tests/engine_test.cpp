#include <gtest/gtest.h>
#include <iostream>
#include <list>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "Circle.h"
#include "Component.h"
#include "Engine.h"
#include "FrameClock.h"
#include "MenuManager.h"
#include "Renderer.h"
#include "ScriptedWindow.h"
#include "Session.h"
#include "SimulationManager.h"

namespace {

// What the engine asked of the game, menu, window, renderer and components, in order.
std::string journal;
void note(const std::string& entry) { journal += (journal.empty() ? "" : " ") + entry; }

struct JournalComponent : Component {
    explicit JournalComponent(std::string name) : Component(0), name(std::move(name)) {}
    ~JournalComponent() override { note("~" + name); }
    void update() override { note(name); }
    std::unique_ptr<Component> clone(const BodyRelink&) const override
    {
        return std::make_unique<JournalComponent>(*this);
    }
    bool assignFrom(const Component&, const BodyRelink&) override { return false; }
    std::string name;
};

struct JournalWindowAndMenu : ScriptedWindow, MenuManager {
    using ScriptedWindow::ScriptedWindow;
    void beginTick() override { note("tick"); }
    void update() override { note("menu"); }
    void render() override { note("menu-drawn"); }
    bool wantsPointer() const override { return pointerWanted; }
    bool pointerWanted = false;
};

// A session that steps one world a tick a frame with the devices' record, and ends after a number of frames.
struct StepSession : Session {
    StepSession(SimulationManager& world, int frames) : world(world), frames(frames) {}
    void begin(const SessionStage&) override { note("begin"); }
    void frame(const TickInput& devices) override
    {
        world.step(devices);
        if (--frames == 0) status = 5;
    }
    SimulationManager* shownMatch() override { return &world; }
    std::vector<TickRun> takeTickRuns() override { return {}; }
    std::optional<int> finished() const override { return status; }
    void leave() override { note("leave"); }
    SimulationManager& world;
    int frames;
    std::optional<int> status;
};

// The game and the renderer, wired to an engine as the program wires them. The game's own update removes,
// then marks for removal, the bodies it is told to; the renderer logs a quad with its layer.
class EngineTest : public testing::Test, public SimulationManager, public Renderer {
protected:
    EngineTest() : SimulationManager(std::cout)
    {
        engine.window = &windowAndMenu;
        engine.renderer = this;
        engine.setSession(std::make_unique<StepSession>(*this, 1000));
        engine.beginSession();
        journal.clear();
    }

    void update() override
    {
        note("game");
        for (const std::string& name : toRemove) removeObject(name);
        for (const std::string& name : toMark) objects[name]->markedForRemoval = true;
    }
    void setUpFrame(const Camera&) override { note("frame"); }
    void drawTexturedQuad(const TexturedQuad& quad) override { note("quad" + std::to_string(*quad.layerRef)); }
    void beginBody() override { note("begin"); }
    void endBody() override { note("end"); }
    void drawHud(const HudValues&) override { note("hud"); }
    void fillScreenRect(const ScreenRect&, const Rgba&) override { note("rect"); }
    void drawScreenText(int, int, std::string_view, TextSize, TextAlign, const Rgba&) override { note("text"); }

    GameObject* add(const std::string& name, std::uint16_t layer = 1)
    {
        objects[name] = new Circle(Vec2(0.0f, 0.0f), 1.0f, layer, 0, 0);
        addComponent(new JournalComponent(name), name, "journal");
        return objects[name];
    }

    std::vector<std::string> toRemove, toMark;
    Engine engine{windowAndMenu};
    JournalWindowAndMenu windowAndMenu{engine};
};

TEST_F(EngineTest, WindowSizePointerAndButtonsReachTheEngineAndTheViewWithTheNextTick)
{
    EXPECT_EQ(std::pair(engine.mouseX, engine.mouseY), std::pair(400, 300)); // the start window's centre
    windowAndMenu.setButton(MouseButton::Right, true);
    windowAndMenu.setButton(MouseButton::Other, false); // only left and right count
    EXPECT_TRUE(engine.rightDown && !engine.leftDown);
    // In turn from the start view of 400 x 300: wider than high keeps the width, otherwise (a square too) the
    // height, so the extents drift. An empty side counts as one pixel; a view that would shrink below 0.001
    // is set to it on its short side, so that the game's zoom can bring it back.
    const std::tuple<int, int, const char*> steps[] = {
        {300, 300, "300 x 300, centre 150 150, aspect 1 1, view 300 x 300"},
        {400, 600, "400 x 600, centre 200 300, aspect 0.666667 0.666667, view 200 x 300"},
        {800, 600, "800 x 600, centre 400 300, aspect 1.33333 1.33333, view 200 x 150"},
        {301, 199, "301 x 199, centre 150 99, aspect 1.51256 1.51256, view 200 x 132.226"},
        {640, 0, "640 x 1, centre 320 0, aspect 640 640, view 200 x 0.3125"},
        {0, 600, "1 x 600, centre 0 300, aspect 0.00166667 0.00166667, view 0.001 x 0.6"},
        {5000, 1, "5000 x 1, centre 2500 0, aspect 5000 5000, view 5 x 0.001"}};
    for (const auto& [width, height, expected] : steps) {
        windowAndMenu.resize(width, height);
        const Camera& view = camera;
        // The next devices' record lists the sizes taken, and its tick fits the view to them.
        const TickInput devices = engine.readDevices();
        ASSERT_EQ(devices.window.reshapes.size(), 1u);
        const std::pair<int, int> heard = devices.window.reshapes.back();
        step(devices);
        std::ostringstream state;
        state << heard.first << " x " << heard.second << ", centre " << engine.centreX << " " << engine.centreY
              << ", aspect " << engine.aspectRatio << " " << view.aspect << ", view " << view.viewWidth << " x "
              << view.viewHeight;
        EXPECT_EQ(state.str(), expected);
    }
}

TEST_F(EngineTest, DrawOrderIsFarthestFirstAndNewestFirstAmongEqualLayers)
{
    GameObject *a = add("a", 3), *b = add("b", 1), *c = add("c", 3);
    sortDrawList(); // files the bodies in name order
    EXPECT_EQ(drawList, (std::list<GameObject*>{c, a, b}));
    GameObject *d = add("d", 3), *nearest = add("near", 0), *farthest = add("far", 400);
    for (GameObject* body : {d, nearest, farthest}) addToDrawList(body);
    EXPECT_EQ(drawList, (std::list<GameObject*>{farthest, d, c, a, b, nearest}));
    nearest->visible = false;
    // Only the visible are drawn, each on its own transform, between the frame set-up and the overlay.
    engine.displayFrame();
    EXPECT_EQ(journal,
              "frame begin quad400 end begin quad3 end begin quad3 end begin quad3 end begin quad1 end hud menu-drawn");
    // A removed body leaves every place it had, one it was given twice too, also after a rebuild.
    addToDrawList(a);
    removeObject("a");
    sortDrawList();
    removeObject("c");
    EXPECT_EQ(drawList, (std::list<GameObject*>{farthest, d, b, nearest}));
}

TEST_F(EngineTest, UpdatesRunInAttachmentOrderAndRemovalsLeaveNoHoleThatRuns)
{
    for (const char* name : {"b7", "b6", "b5", "b4", "b3", "b2", "b1", "b0", "parent"}) add(name);
    objects["parent"]->children = {objects["b1"], objects["b3"]};
    for (int sort = 0; sort < 2; ++sort) sortDrawList(); // the second starts afresh
    // A tick refreshes the keys, runs the game, the components, then the menu. Here the game removes bodies
    // (unknown names change nothing) and marks others, which still run and then go in name order. The update
    // order is compacted at half holes, in ticks 2 and 3; later removals must find the survivors' new places.
    const std::tuple<std::vector<std::string>, std::vector<std::string>, const char*, std::size_t> ticks[] = {
        {{"b1", "b2", "nobody", "B4"}, {"b3"}, "tick game ~b1 ~b2 b7 b6 b5 b4 b3 b0 parent ~b3 menu", 6},
        {{}, {"b6", "b5"}, "tick game b7 b6 b5 b4 b0 parent ~b5 ~b6 menu", 4},
        {{"b0"}, {"b7"}, "tick game ~b0 b7 b4 parent ~b7 menu", 2},
        {{"b4"}, {}, "tick game ~b4 parent menu", 1}};
    for (const auto& [removed, marked, expected, left] : ticks) {
        journal.clear();
        toRemove = removed;
        toMark = marked;
        engine.updateTick();
        EXPECT_EQ(journal, expected);
        EXPECT_EQ(std::tuple(objects.size(), components.size(), drawList.size()), std::tuple(left, left, left));
    }
    // Either way of leaving unhooks a body from its parent, so that moving the parent stays safe.
    EXPECT_TRUE(objects["parent"]->children.empty());
}

TEST_F(EngineTest, TheWorldOwnsItsComponentsAndDeletesOnesWithNoBody)
{
    {
        SimulationManager world(std::cout);
        world.objects["kept"] = new Circle(Vec2(0.0f, 0.0f), 1.0f, 1, 0, 0);
        world.addComponent(new JournalComponent("kept"), "kept", "journal");
    }
    EXPECT_EQ(journal, "~kept");
    // A component for an unknown body is a programming error: it stops a debug build, and is deleted otherwise.
    EXPECT_DEBUG_DEATH(addComponent(new JournalComponent("lost"), "ghost", "journal"), "");
#ifdef NDEBUG
    EXPECT_EQ(journal, "~kept ~lost");
#endif
}

TEST_F(EngineTest, SessionsTakeOverBetweenFramesAndTheirEndIsTheLoopsStatus)
{
    SimulationManager other(std::cout);
    engine.setSession(std::make_unique<StepSession>(other, 2));
    // The handed-in session waits for the next frame; the one before leaves first.
    EXPECT_EQ(engine.session()->shownMatch(), &other);
    EXPECT_EQ(journal, "");
    EXPECT_EQ(engine.runHeadless(), 5);
    EXPECT_EQ(journal, "leave begin tick menu tick");
    // The next session starts afresh; a window closing ends the loop with 0 after the session left.
    engine.setSession(std::make_unique<StepSession>(*this, 3));
    engine.updateTick();
    EXPECT_FALSE(engine.exitStatus());
    engine.windowClosed();
    engine.finish(7);
    EXPECT_EQ(engine.exitStatus(), 0);
}

TEST_F(EngineTest, ThePointerShowsWhileTheMenusWantItAndIsAskedForOnlyWhenThatChanges)
{
    const std::pair<bool, std::vector<bool>> ticks[] = {
        {false, {}}, {true, {true}}, {true, {true}}, {false, {true, false}}, {true, {true, false, true}}};
    for (const auto& [wanted, asked] : ticks) {
        windowAndMenu.pointerWanted = wanted;
        engine.updateTick();
        EXPECT_EQ(windowAndMenu.pointerShows, asked);
    }
}

TEST(FrameClock, FrameRateIsWholeFramesPerSecondOfTheLastFrame)
{
    // Frame times and the rate shown after each, from a fresh clock: 0 for the first frame, even at the
    // toolkit's start time 0; truncating division (1000 / 16 = 62.5); the last value when no time passed; 0
    // for over a second; one millisecond is the shortest frame.
    const std::vector<std::pair<int, int>> runs[] = {
        {{5000, 0}, {5016, 62}, {5033, 58}, {5033, 58}, {6534, 0}, {6535, 1000}}, {{0, 0}, {20, 50}}};
    for (const auto& run : runs) {
        FrameClock clock;
        for (const auto& [nowMs, fps] : run) {
            advanceFrameClock(clock, nowMs);
            EXPECT_EQ(std::tuple(clock.shownFps, clock.nowMs, clock.lastFrameMs), std::tuple(fps, nowMs, nowMs));
        }
    }
}

} // namespace
