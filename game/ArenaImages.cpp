#include "ArenaImages.h"

const TextureTable& arenaImages()
{
    // Deflected bullets look "reflected" up by key, so the order only fixes the texture names.
    static const TextureTable table = {
        {"reflected", "Content/Graphics/reflected.png"},
        {"apple", "Content/Graphics/apple.png"},
        {"whitecircle", "Content/Graphics/whiteCircle.png"},
        {"dcircle", "Content/Graphics/dCircle.png"},
        {"white", "Content/Graphics/whitepixel.bmp"},
        {"dsquare", "Content/Graphics/dSquare.png"},
        {"p2", "Content/Graphics/p2Circle.png"},
        {"ball", "Content/Graphics/fireball.png"},
    };
    return table;
}
