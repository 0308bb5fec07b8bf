#include "MenuDrawing.h"

#include <algorithm>

namespace {

// Window pixels.
constexpr int kTitleHeight = 56;
constexpr int kLineHeight = 24;
constexpr int kRowHeight = 34;
constexpr int kRowWidth = 460;
constexpr int kGap = 18;
constexpr int kTopMargin = 30;
// The overlay's health and score take the bottom 45 pixels.
constexpr int kHudHeight = 45;
constexpr int kStatusHeight = 22;

constexpr Rgba kShade{0.0f, 0.0f, 0.0f, 0.65f};
constexpr Rgba kTitleColour{1.0f, 0.85f, 0.35f, 1.0f};
constexpr Rgba kLineColour{0.8f, 0.8f, 0.8f, 1.0f};
constexpr Rgba kItemColour{0.85f, 0.85f, 0.85f, 1.0f};
constexpr Rgba kSelectedColour{1.0f, 1.0f, 1.0f, 1.0f};
constexpr Rgba kSelectedRow{0.2f, 0.35f, 0.65f, 0.9f};
constexpr Rgba kNoticeColour{1.0f, 0.5f, 0.4f, 1.0f};

} // namespace

MenuLayout layoutMenu(const MenuPage& page, int width, int height)
{
    MenuLayout layout;
    const std::size_t count = page.items.size();
    const std::size_t rows = std::min(count, kMaxMenuRows);
    const int block = kTitleHeight + static_cast<int>(page.lines.size()) * kLineHeight + kGap +
                      static_cast<int>(rows) * kRowHeight + kGap + kLineHeight;
    int y = std::max(kTopMargin, (height - block) / 2);
    layout.titleBaseline = y + kTitleHeight - 20;
    y += kTitleHeight;
    for (std::size_t i = 0; i < page.lines.size(); ++i, y += kLineHeight) layout.lineBaselines.push_back(y + 17);
    y += kGap;
    // The window of rows around the selected item.
    const std::size_t first =
        count <= rows ? 0 : std::min(page.selected > rows / 2 ? page.selected - rows / 2 : 0, count - rows);
    layout.itemRows.assign(count, ScreenRect{});
    for (std::size_t i = first; i < first + rows; ++i, y += kRowHeight)
        layout.itemRows[i] = {(width - kRowWidth) / 2, y, kRowWidth, kRowHeight - 4};
    layout.noticeBaseline = y + kGap + 17;
    return layout;
}

std::optional<std::size_t> menuItemAt(const MenuLayout& layout, int x, int y)
{
    for (std::size_t i = 0; i < layout.itemRows.size(); ++i)
        if (layout.itemRows[i].contains(x, y)) return i;
    return std::nullopt;
}

void drawMenu(const MenuPage& page, Renderer& renderer, int width, int height)
{
    const MenuLayout layout = layoutMenu(page, width, height);
    const int centre = width / 2;
    renderer.fillScreenRect({0, 0, width, height}, kShade);
    renderer.drawScreenText(centre, layout.titleBaseline, page.title, TextSize::Large, TextAlign::Centre, kTitleColour);
    for (std::size_t i = 0; i < page.lines.size(); ++i)
        renderer.drawScreenText(centre, layout.lineBaselines[i], page.lines[i], TextSize::Medium, TextAlign::Centre,
                                kLineColour);
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        const ScreenRect& row = layout.itemRows[i];
        if (row.width == 0) continue;
        const bool chosen = i == page.selected;
        if (chosen) renderer.fillScreenRect(row, kSelectedRow);
        renderer.drawScreenText(centre, row.y + row.height - 10, page.items[i], TextSize::Medium, TextAlign::Centre,
                                chosen ? kSelectedColour : kItemColour);
    }
    if (!page.notice.empty())
        renderer.drawScreenText(centre, layout.noticeBaseline, page.notice, TextSize::Medium, TextAlign::Centre,
                                kNoticeColour);
}

void drawStatusLine(std::string_view text, Renderer& renderer, int width, int height)
{
    const int top = height - kHudHeight - kStatusHeight;
    renderer.fillScreenRect({0, top, width, kStatusHeight}, kShade);
    renderer.drawScreenText(10, top + kStatusHeight - 6, text, TextSize::Small, TextAlign::Left, kSelectedColour);
}
