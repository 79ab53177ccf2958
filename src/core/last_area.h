// The free area last captured, as the settings store keeps it between runs ("left,top,right,
// bottom" in screen pixels), and what of it can be captured again on the monitors there are now.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/geometry.h"
#include "core/placement.h"

namespace pw {

// Four decimal integers separated by commas, nothing else, with left < right and top < bottom
// and a size that fits 32 bits; anything else is none.
std::optional<Rect> ParseLastArea(std::optional<std::string_view> stored);
std::string FormatLastArea(const Rect& area);

// The area clipped to the bounding rectangle of the monitors, or none when it overlaps no
// monitor at all. A part off the monitors is cut off rather than the whole area refused: the
// free-area drag picks its rectangle on that bounding rectangle (the virtual screen), so what
// is left is an area the drag could pick now, and a user who unplugged one of two monitors
// still gets what the other one shows of the area.
std::optional<Rect> AreaOnMonitors(const Rect& area, std::span<const MonitorArea> monitors);

}  // namespace pw
