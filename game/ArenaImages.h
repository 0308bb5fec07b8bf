#pragma once

#include "TextureFile.h"

// The arena's eight images, from the source tree's Content/Graphics.
const TextureTable& arenaImages();
