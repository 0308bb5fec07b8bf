#include "ArenaImages.h"

TextureTable arenaImages(const std::string& folder)
{
    // Deflected bullets look "reflected" up by key, so the order only fixes the texture names.
    return {
        {"reflected", folder + "/reflected.png"},
        {"apple", folder + "/apple.png"},
        {"whitecircle", folder + "/whiteCircle.png"},
        {"dcircle", folder + "/dCircle.png"},
        {"white", folder + "/whitepixel.bmp"},
        {"dsquare", folder + "/dSquare.png"},
        {"p2", folder + "/p2Circle.png"},
        {"ball", folder + "/fireball.png"},
    };
}
