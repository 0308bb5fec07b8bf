#pragma once

#include <string>

#include "TextureFile.h"

// The arena's eight images, from the folder given (by default the one under the working directory, for tools and
// tests run from the source tree).
TextureTable arenaImages(const std::string& folder = "Content/Graphics");
