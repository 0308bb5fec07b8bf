#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "Menu.h"
#include "Renderer.h"

// Where a menu page's parts stand in a window of the given size, in window pixels from the top-left:
// the title's and each line's baseline, and each item's row, which a click anywhere in chooses. A list
// too long for the window shows the rows around the selected one; the others have empty rows.
struct MenuLayout {
    int titleBaseline = 0;
    std::vector<int> lineBaselines;
    std::vector<ScreenRect> itemRows;
    int noticeBaseline = 0;
};

// Rows shown at most; a longer list scrolls.
inline constexpr std::size_t kMaxMenuRows = 10;

MenuLayout layoutMenu(const MenuPage& page, int width, int height);

// The item whose row holds window pixel (x, y), if any.
std::optional<std::size_t> menuItemAt(const MenuLayout& layout, int x, int y);

// Draws the page over the picture, which it dims.
void drawMenu(const MenuPage& page, Renderer& renderer, int width, int height);

// A line across the bottom of the picture, above the overlay's health and score: the replay's
// position and speed.
void drawStatusLine(std::string_view text, Renderer& renderer, int width, int height);
