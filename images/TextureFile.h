#pragma once

#include <string>
#include <vector>

// One image a game asks for: the key it looks the texture up by, and the file it comes from.
struct TextureFile {
    std::string name;
    std::string path;
};

// A game's images, in the order they are loaded (the first becomes texture name 1).
using TextureTable = std::vector<TextureFile>;
