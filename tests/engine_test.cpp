#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "Circle.h"
#include "Engine.h"
#include "MenuManager.h"
#include "ScriptedWindow.h"
#include "SimulationManager.h"
#include "journal.h"
#include "recording_renderer.h"

namespace {

// Journals the engine's calls into the game and the menu.
class JournalGame : public SimulationManager {
public:
    explicit JournalGame(std::vector<std::string>* journal) : journal(journal) {}
    void update() override { journal->push_back("game update"); }

private:
    std::vector<std::string>* journal;
};

class JournalMenu : public MenuManager {
public:
    explicit JournalMenu(std::vector<std::string>* journal) : journal(journal) {}
    void update() override { journal->push_back("menu update"); }
    void render() override { journal->push_back("menu render"); }

private:
    std::vector<std::string>* journal;
};

// Journals the window's per-tick hook.
class JournalWindow : public ScriptedWindow {
public:
    JournalWindow(Engine& engine, std::vector<std::string>* journal) : ScriptedWindow(engine), journal(journal) {}
    void beginTick() override { journal->push_back("window tick"); }

private:
    std::vector<std::string>* journal;
};

class EngineTest : public testing::Test {
protected:
    EngineTest()
    {
        engine.renderer = &renderer;
        engine.window = &window;
    }

    // Builds the engine while capturing what it prints.
    static Engine* quietlyBuild(SimulationManager* game, MenuManager* menu, std::string* printed)
    {
        testing::internal::CaptureStdout();
        auto* engine = new Engine(game, menu);
        *printed = testing::internal::GetCapturedStdout();
        return engine;
    }

    std::vector<std::string> journal;
    JournalGame game{&journal};
    JournalMenu menu{&journal};
    RecordingRenderer renderer;
    std::string startupLines;
    std::unique_ptr<Engine> owner{quietlyBuild(&game, &menu, &startupLines)};
    Engine& engine = *owner;
    JournalWindow window{engine, &journal};
};

TEST_F(EngineTest, ConstructionAnnouncesItselfAndBecomesTheGlobalEngine)
{
    EXPECT_EQ(startupLines, "gets called\nhere you are\n");
    EXPECT_EQ(gEngine, &engine);
    EXPECT_FALSE(engine.leftDown);
    EXPECT_FALSE(engine.rightDown);
}

TEST_F(EngineTest, TicksRunWindowThenGameThenComponentsThenMenuAndFramesRenderThenMenu)
{
    testing::internal::CaptureStdout();
    game.objects["disc"] = new Circle(Vec2(0.0f, 0.0f), 1.0f, 1, 0, 0);
    game.addComponent(new JournalComponent("component", &journal), "disc", "journal");
    testing::internal::GetCapturedStdout();

    engine.updateTick();
    EXPECT_EQ(journal, (std::vector<std::string>{"window tick", "game update", "component", "menu update"}));
    journal.clear();
    engine.displayFrame();
    EXPECT_EQ(journal, (std::vector<std::string>{"menu render"}));
    EXPECT_EQ(renderer.calls, (std::vector<std::string>{"frame", "hud"})); // the disc is not in the draw list
}

TEST_F(EngineTest, ReshapeKeepsOneExtentAndDerivesTheOther)
{
    Camera& camera = *engine.camera;
    {
        // Taller than wide: the height stays, the width follows; then wider again: the width
        // stays and the height follows, so the extents drift instead of returning to 400 x 300.
        engine.reshape(400, 600);
        EXPECT_FLOAT_EQ(engine.aspectRatio, 0.6666667f);
        EXPECT_FLOAT_EQ(camera.viewWidth, 200.0f);
        EXPECT_EQ(camera.viewHeight, 300.0f);
        engine.reshape(800, 600);
        EXPECT_FLOAT_EQ(camera.viewWidth, 200.0f);
        EXPECT_FLOAT_EQ(camera.viewHeight, 150.0f);
        EXPECT_EQ(camera.aspect, engine.aspectRatio);
    }
    {
        // A square window takes the second branch: the width follows the height.
        engine.reshape(300, 300);
        EXPECT_EQ(engine.aspectRatio, 1.0f);
        EXPECT_EQ(camera.viewWidth, camera.viewHeight);
    }
    {
        // The centre moves to the middle of the new size (halves truncate; the window position is
        // not added), so the pointer warp follows the resized window.
        engine.reshape(301, 199);
        EXPECT_EQ(engine.centreX, 150);
        EXPECT_EQ(engine.centreY, 99);
        EXPECT_EQ(engine.windowWidth, 301);
        EXPECT_EQ(engine.windowHeight, 199);
    }
    {
        // A window 0 pixels high counts as 1 pixel high: no division by zero.
        engine.reshape(640, 0);
        EXPECT_EQ(engine.aspectRatio, 640.0f);
        EXPECT_EQ(engine.windowHeight, 1);
        EXPECT_EQ(engine.centreY, 0);
    }
    {
        // Any run of extreme or empty sizes leaves a finite, positive view of the window's shape.
        const std::pair<int, int> sizes[] = {{1, 10000}, {10000, 1}, {0, 0}, {0, 600}, {1, 1}, {800, 0}};
        for (int cycle = 0; cycle < 20; ++cycle) {
            for (const auto& [width, height] : sizes) {
                engine.reshape(width, height);
                EXPECT_GT(engine.aspectRatio, 0.0f);
                EXPECT_TRUE(std::isfinite(camera.viewWidth) && camera.viewWidth > 0.0f);
                EXPECT_TRUE(std::isfinite(camera.viewHeight) && camera.viewHeight > 0.0f);
                EXPECT_NEAR(camera.viewWidth / camera.viewHeight, engine.aspectRatio, engine.aspectRatio * 1e-3f);
            }
        }
    }
}

TEST_F(EngineTest, MouseButtonsAndMotion)
{
    window.setButton(MouseButton::Left, true);
    window.setButton(MouseButton::Right, true);
    EXPECT_TRUE(engine.leftDown);
    EXPECT_TRUE(engine.rightDown);
    // Other buttons change nothing.
    window.setButton(MouseButton::Other, false);
    EXPECT_TRUE(engine.leftDown);
    EXPECT_TRUE(engine.rightDown);
    window.setButton(MouseButton::Left, false);
    EXPECT_FALSE(engine.leftDown);
    EXPECT_TRUE(engine.rightDown);

    window.movePointer(410, 290);
    EXPECT_EQ(engine.mouseX, 410);
    EXPECT_EQ(engine.mouseY, 290);
    // A warp is echoed as motion to its target, as the toolkit does.
    window.warpPointer(engine.centreX, engine.centreY);
    EXPECT_EQ(engine.mouseX, 400);
    EXPECT_EQ(engine.mouseY, 300);
    EXPECT_EQ(window.warps.size(), 1u);
}

TEST(KeyState, CharactersMapToTheGamesKeysWhateverTheModifiers)
{
    const std::pair<unsigned char, Key> mapped[] = {
        // Either case, as Shift and Caps Lock give.
        {'w', Key::W},
        {'W', Key::W},
        {'a', Key::A},
        {'S', Key::S},
        {'d', Key::D},
        {'L', Key::L},
        {'p', Key::P},
        {'O', Key::O},
        {27, Key::Escape},
        // Control turns letters into control codes; a release with Control held must still count.
        {23, Key::W},
        {1, Key::A}};
    for (const auto& [character, key] : mapped) EXPECT_EQ(keyFromCharacter(character), key) << int(character);
    // Everything else is not the game's.
    for (const unsigned char other : {'q', ' ', '0', '\r'}) EXPECT_FALSE(keyFromCharacter(other).has_value());
}

} // namespace
