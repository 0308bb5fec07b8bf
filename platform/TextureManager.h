#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "TextureFile.h"

// Turns the game's image files into OpenGL textures once, at start-up, and hands out their
// texture names by short key. Each file passes the image checks before the image library sees it.
class TextureManager {
public:
    // Prints "gets called" and checks the image library.
    TextureManager();

    // Loads one image and registers its texture under name; a failed load prints
    // "loading image unsuccessful", writes "<path>: <reason>" to standard error and registers nothing.
    void loadTexture(const std::string& path, const std::string& name);
    // Loads the game's images in the table's order (the first becomes texture name 1).
    void loadAllTextures(const TextureTable& table);
    // The texture registered under name (case-sensitive), or 0.
    std::uint32_t getTexture(const std::string& name) const;

    // One entry per successfully loaded image; a later load of a key replaces the earlier one.
    std::map<std::string, std::uint32_t> byName;
};
