#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <unistd.h>
#include <vector>

#include <GL/freeglut.h>

#include "ArenaImages.h"
#include "GlRenderer.h"
#include "MySim.h"
#include "Rules.h"
#include "ScriptedMatch.h"
#include "SimulationManager.h"
#include "TextureManager.h"
#include "bench_support.h"

// One render pass of the real game through the real OpenGL renderer into an 800 x 600 window, timed
// to the end of the GPU's work (glFinish); under Xvfb that is Mesa's software rasteriser, whose
// threads do most of the work, so the wall-clock time is the one to read.
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
// Three seconds of idle ticks, so the camera frames the players as on screen after start-up.
constexpr int kSettleTicks = 180;

// A double-buffered window with a depth buffer, as the program opens; its context stays current.
void openWindow()
{
    int argc = 1;
    char name[] = "render_bench";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitWindowSize(kWidth, kHeight);
    glutInitWindowPosition(0, 0);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("render_bench");
    // The toolkit maps the window only for a window with a display callback.
    glutDisplayFunc([] {});
    for (int i = 0; i < 20; ++i) glutMainLoopEvent();
}

// The game set up as Engine::run sets it up, minus the toolkit's loop: textures from the source tree,
// the GL renderer, the view of an 800 x 600 window.
struct Arena {
    Arena()
    {
        openWindow();
        initGl();
        engine->renderer = &renderer;
        if (chdir(SKIRMORA_SOURCE_DIR) != 0) std::cerr << "render_bench: cannot enter " SKIRMORA_SOURCE_DIR "\n";
        engine->textures->loadAllTextures(arenaImages());
        match.init();
        // The toolkit reports the window's size once its loop runs, after the game is built.
        match.window.resize(kWidth, kHeight);
        glViewport(0, 0, kWidth, kHeight);
        for (int tick = 0; tick < kSettleTicks; ++tick) engine->updateTick();
    }

    GlRenderer renderer;
    // The match's lines go nowhere, for as long as it lives.
    std::ofstream console{"/dev/null"};
    ScriptedMatch match{console};
    MySim* game = &match.game;
    Engine* engine = &match.engine;
};

// Non-black pixels of the frame just drawn: shows that the timed pass drew the arena.
int litPixels()
{
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth * kHeight) * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    int lit = 0;
    for (std::size_t i = 0; i < pixels.size(); i += 3) lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 0 ? 1 : 0;
    return lit;
}

// Built on first use and kept: a window and its context live as long as the process.
Arena& arena()
{
    static Arena* shared = [] {
        ConsoleToNull quiet;
        return new Arena;
    }();
    return *shared;
}

// The frame as the program draws it; the argument is how many of player 2's bullets are in flight,
// fired round the circle and moved a few ticks apart.
void renderPass(benchmark::State& state)
{
    Arena& a = arena();
    ConsoleToNull quiet;
    const std::size_t before = a.game->objects.size();
    float angle = 0.0f;
    for (int64_t i = 0; i < state.range(0); ++i) {
        angle += kGoldenAngle;
        a.game->fireBullet2(Vec2(std::cos(angle), std::sin(angle)), rules::kBulletSpeed);
        if (i % 64 == 63) a.engine->updateTick();
    }
    for (auto _ : state) {
        a.game->renderAll(a.renderer);
        glFinish();
    }
    state.counters["bodies"] = static_cast<double>(a.game->drawList.size());
    state.counters["lit_pixels"] = static_cast<double>(litPixels());
    // Let the bullets age out, so the next run starts from the same arena.
    for (int tick = 0; tick < kBulletLifeTicks && a.game->objects.size() > before; ++tick) a.engine->updateTick();
}
BENCHMARK(renderPass)->Arg(0)->Arg(256)->Arg(2048)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace

// Without a display, runs itself again inside a virtual one of a known size.
int main(int argc, char** argv)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') {
        std::vector<char*> args = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a"), const_cast<char*>("-s"),
                                   const_cast<char*>("-screen 0 1024x768x24")};
        args.insert(args.end(), argv, argv + argc);
        args.push_back(nullptr);
        execvp(args[0], args.data());
        std::cerr << "render_bench: no DISPLAY, and xvfb-run could not be started\n";
        return EXIT_FAILURE;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return EXIT_FAILURE;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
