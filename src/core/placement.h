// The main window's placement as it is stored between runs: four decimal texts in twips.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/geometry.h"
#include "core/units.h"

namespace pw {

enum class PlacementField { Left, Top, Width, Height };

struct PlacementTwips {
    float left = 1000.0f;
    float top = 1000.0f;
    float width = 6500.0f;
    float height = 6500.0f;
    friend bool operator==(const PlacementTwips&, const PlacementTwips&) = default;
};

// The placement of a first start: 1000, 1000, 6500 by 6500 twips.
inline constexpr PlacementTwips kDefaultPlacement{};

// Positions farther than this from the origin, and sizes larger, are not sane for any screen.
inline constexpr float kMaxPlacementTwips = 1'000'000.0f;

// The field's default when the stored text is missing, is not a decimal number (optional
// sign, digits, optional fraction, spaces around), or is out of range: a position beyond
// +-kMaxPlacementTwips, a size below 1 twip or above kMaxPlacementTwips.
float ParsePlacementValue(std::optional<std::string_view> stored, PlacementField field);

// A whole number of twips as decimal text: "1005", "-120".
std::string FormatPlacementValue(float twips);

// A monitor's full rectangle and the part of it that windows may use (without the task bar),
// in the virtual screen's pixels, and its dots per inch (96 at 100 % scaling).
struct MonitorArea {
    Rect monitor;
    Rect work;
    int dpi = kStandardDpi;
};

// The stored placement and the window's rectangle in pixels, across monitors of different
// scaling. A monitor's pixels map onto twips as a block of its own: its origin at 15 twips
// per pixel of the virtual screen (so blocks never overlap, no monitor having fewer than 96
// dpi), and its extent at the monitor's own twips per pixel. A window is stored by the
// monitor that holds its centre (the nearest one when none does), and comes back on the
// monitor whose block holds the stored centre, at the same place and size in its pixels.
// On a single monitor whose origin is the screen's this is plain twips at its dpi, as
// values were always stored. With no monitors at all, `fallback` converts from the origin.
PlacementTwips PlacementFromWindow(const Rect& window, std::span<const MonitorArea> monitors,
                                   const TwipsPerPixel& fallback);
Rect WindowFromPlacement(const PlacementTwips& placement, std::span<const MonitorArea> monitors,
                         const TwipsPerPixel& fallback);

// A window that lies wholly outside every monitor is moved onto the work area of the nearest
// one, keeping its size where it fits (a larger side shrinks to the work area's). A window
// that shows on some monitor, even partly, stays where it is. With no monitors at all the
// window is left as it is.
Rect KeepOnScreen(const Rect& window, std::span<const MonitorArea> monitors);

}  // namespace pw
