// The panel's integer scale on the screen ([Window] SCALE): how it is chosen,
// and the arithmetic between panel pixels and screen pixels. Plain
// arithmetic on numbers and text, shared by the core and every back end.
#pragma once

#include <string>

#include "platform/platform.h"

namespace orv {

constexpr int smallestScale = 1;
constexpr int largestScale = 4;
// The desktop's 100 per cent: 96 dots per inch make one panel pixel a screen pixel.
constexpr double baseDpi = 96.0;

// What [Window] SCALE asks for: 0 for "auto", else 1..4. Text that is no
// whole number, and numbers below 1, mean auto; numbers above 4 mean 4.
int parseScaleSetting(const std::string& text);

// The integer scale of a DPI: DPI / 96 rounded down, within 1..4. Zero,
// negative or missing DPI (not a number) give 1.
int scaleOfDpi(double dpi);

// The Xft.dpi value in the text of the X server's resource database (the
// RESOURCE_MANAGER property: "name:\tvalue" lines, as xrdb -query prints
// them); 0 when the resource is missing or holds no positive number.
double xftDpi(const char* resources);

// The desktop's own scale: from Xft.dpi where the resources set it, else from
// the display's DPI (0 when the system tells none). The display's DPI is
// measured from its size in whole millimetres and may come out a little
// short (191 for 192): it counts up to 2 per cent more.
int desktopScaleOf(const char* resources, double displayDpi);

// The scale the panel is drawn at: the setting's, or the desktop's for auto,
// at most what lets the full panel fit on a desktop of the given size in
// screen pixels (no limit where a size is 0 or less), at least 1.
int chooseScale(int setting, int desktopScale, int desktopWidth, int desktopHeight);

// A screen offset from the window's corner in panel pixels: rounded towards
// minus infinity, so that a pointer left of or above the window stays there.
int toPanel(int screenOffset, int scale);

// Where the panel's corner goes on start at a scale: the saved corner in
// screen pixels stays, except that the panel (panelWidth x panelHeight panel
// pixels) is pulled left and up so that it hangs over the desktop's right and
// bottom edges no further than the unscaled panel would from the same corner.
// Pulling in stops at the desktop's left and top edges.
Point fitOnDesktop(Point corner, int panelWidth, int panelHeight, int scale, const Rect& desktop);

}  // namespace orv
