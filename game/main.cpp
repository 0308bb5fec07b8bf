#include <iostream>

#include "Engine.h"
#include "MenuManager.h"
#include "MySim.h"

int main(int argc, char** argv)
{
    // Created once and never destroyed: the process ends with the toolkit's loop.
    auto* game = new MySim;
    auto* menu = new MenuManager;
    auto* engine = new Engine(game, menu);
    engine->run(argc, argv);
    std::cout << "end of it all" << std::endl;
    return 0;
}
