#pragma once

#include <string_view>

namespace dax {

class RasterCanvas;

// The labels' font: 5 by 7 dot capitals, digits and a little punctuation, each font dot drawn
// as a square of `scale` dots; one blank font column between letters. Lower case prints as
// capitals, unknown characters as blanks.
constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

int TextWidth(std::string_view text, int scale);
// Top-left corner at (x, y).
void DrawText(RasterCanvas& canvas, int x, int y, std::string_view text, int scale);
// Centred on column cx.
void DrawTextCentred(RasterCanvas& canvas, int cx, int y, std::string_view text, int scale);

} // namespace dax
