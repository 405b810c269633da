// Hand-drawn bitmap fonts for the printed legends: 5x7 capitals and digits,
// a 3x5 face for the tiniest legends, and the 7x7 preset key labels.
#pragma once

#include <string>
#include <vector>

namespace skinart {

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::string> rows;  // '#' is ink
    bool ink(int x, int y) const { return rows[y][x] == '#'; }
};

enum class FontSize { Small5x7, Tiny3x5 };

// Returns the glyph for `c`; unknown characters come back blank.
Bitmap fontGlyph(FontSize size, char c);

// Pixel width of `text` with `gap` blank columns between glyphs.
int textWidth(FontSize size, const std::string& text, int gap = 1);

// The 7x7 label printed on preset key `key` (1..10).
Bitmap presetKeyLabel(int key);

}  // namespace skinart
