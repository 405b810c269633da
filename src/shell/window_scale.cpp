#include "shell/window_scale.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "shell/receiver_state.h"

namespace orv {

namespace {
const char* const autoWord = "auto";
const char* const xftDpiName = "Xft.dpi";
const char* const blanks = " \t";
constexpr double measuredDpiSlack = 1.02;

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool sameWord(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return true;
}

int clampScale(int scale) { return std::clamp(scale, smallestScale, largestScale); }

// The pulled-in start of one axis (see fitOnDesktop).
int32_t fitAxis(int32_t start, int size, int scale, int32_t low, int32_t high) {
    const int64_t unscaledEnd = int64_t(start) + size;
    const int64_t scaledSize = int64_t(size) * scale;
    const int64_t allowedEnd = std::max<int64_t>(high, unscaledEnd);
    if (int64_t(start) + scaledSize <= allowedEnd) return start;
    const int64_t pulled = allowedEnd - scaledSize;
    return int32_t(std::max<int64_t>(pulled, std::min<int64_t>(start, low)));
}
}  // namespace

int parseScaleSetting(const std::string& text) {
    const std::string value = trimmed(text);
    if (value.empty() || sameWord(value, autoWord)) return 0;
    int number = 0;
    for (char c : value) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;  // a sign, a fraction, a word
        number = std::min(number * 10 + (c - '0'), largestScale + 1);
    }
    if (number < smallestScale) return 0;
    return std::min(number, largestScale);
}

int scaleOfDpi(double dpi) {
    if (!(dpi > 0) || !std::isfinite(dpi)) return smallestScale;
    const double steps = std::floor(dpi / baseDpi);
    if (steps >= largestScale) return largestScale;
    return clampScale(int(steps));
}

double xftDpi(const char* resources) {
    if (!resources) return 0;
    double found = 0;
    const char* line = resources;
    while (*line) {
        const char* end = std::strchr(line, '\n');
        const size_t length = end ? size_t(end - line) : std::strlen(line);
        const std::string text(line, length);
        const size_t colon = text.find(':');
        if (colon != std::string::npos && trimmed(text.substr(0, colon)) == xftDpiName) {
            const std::string value = trimmed(text.substr(colon + 1));
            char* rest = nullptr;
            const double dpi = value.empty() ? 0 : std::strtod(value.c_str(), &rest);
            const bool whole = rest && *rest == '\0';
            found = whole && std::isfinite(dpi) && dpi > 0 ? dpi : 0;  // the last line of the name counts
        }
        if (!end) break;
        line = end + 1;
    }
    return found;
}

int desktopScaleOf(const char* resources, double displayDpi) {
    const double xft = xftDpi(resources);
    return scaleOfDpi(xft > 0 ? xft : displayDpi * measuredDpiSlack);
}

int chooseScale(int setting, int desktopScale, int desktopWidth, int desktopHeight) {
    int scale = clampScale(setting > 0 ? setting : desktopScale);
    auto tooBig = [&](int s) {
        return (desktopWidth > 0 && faceWidth * s > desktopWidth) || (desktopHeight > 0 && faceHeight * s > desktopHeight);
    };
    while (scale > smallestScale && tooBig(scale)) --scale;
    return scale;
}

int toPanel(int screenOffset, int scale) {
    if (scale <= 1) return screenOffset;
    if (screenOffset >= 0) return screenOffset / scale;
    return -int((int64_t(-int64_t(screenOffset)) + scale - 1) / scale);
}

Point fitOnDesktop(Point corner, int panelWidth, int panelHeight, int scale, const Rect& desktop) {
    if (scale <= 1) return corner;
    return Point{fitAxis(corner.x, panelWidth, scale, desktop.left, desktop.right),
                 fitAxis(corner.y, panelHeight, scale, desktop.top, desktop.bottom)};
}

}  // namespace orv
