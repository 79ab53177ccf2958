#include "core/placement.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "core/rounding.h"

namespace pw {

namespace {

float DefaultOf(PlacementField field) {
    switch (field) {
        case PlacementField::Left:
            return kDefaultPlacement.left;
        case PlacementField::Top:
            return kDefaultPlacement.top;
        case PlacementField::Width:
            return kDefaultPlacement.width;
        case PlacementField::Height:
            return kDefaultPlacement.height;
    }
    return 0.0f;
}

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

// Strict decimal: [sign] digits [. digits] or [sign] . digits, nothing else but spaces around.
std::optional<double> ParseDecimal(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double sign = 1.0;
    if (text.front() == '+' || text.front() == '-') {
        sign = text.front() == '-' ? -1.0 : 1.0;
        text.remove_prefix(1);
    }
    double value = 0.0;
    double scale = 0.0;  // 0 before the point, then 0.1, 0.01, ...
    bool digits = false;
    for (const char c : text) {
        if (c == '.' && scale == 0.0) {
            scale = 0.1;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (scale == 0.0) {
                value = value * 10.0 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10.0;
            }
            if (value > 1e12) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    if (!digits) {
        return std::nullopt;
    }
    return sign * value;
}

int64_t Gap(int32_t aFrom, int32_t aTo, int32_t bFrom, int32_t bTo) {
    if (int64_t{aTo} <= bFrom) {
        return int64_t{bFrom} - aTo;
    }
    if (int64_t{bTo} <= aFrom) {
        return int64_t{aFrom} - bTo;
    }
    return 0;
}

bool Overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Places a span [from, from + length) inside [low, high), shrinking it if it is longer.
void FitSpan(int32_t& from, int32_t& to, int32_t low, int32_t high) {
    const int64_t room = std::max<int64_t>(int64_t{high} - low, 0);
    const int64_t length = std::min<int64_t>(std::max<int64_t>(int64_t{to} - from, 0), room);
    const int64_t start = std::clamp<int64_t>(from, low, int64_t{high} - length);
    from = static_cast<int32_t>(start);
    to = static_cast<int32_t>(start + length);
}

}  // namespace

float ParsePlacementValue(std::optional<std::string_view> stored, PlacementField field) {
    const float fallback = DefaultOf(field);
    if (!stored) {
        return fallback;
    }
    const std::optional<double> value = ParseDecimal(*stored);
    if (!value) {
        return fallback;
    }
    const bool isSize = field == PlacementField::Width || field == PlacementField::Height;
    const bool sane = isSize ? (*value >= 1.0 && *value <= kMaxPlacementTwips)
                             : std::fabs(*value) <= kMaxPlacementTwips;
    return sane ? static_cast<float>(*value) : fallback;
}

std::string FormatPlacementValue(float twips) { return std::to_string(RoundToInt32(twips)); }

Rect KeepOnScreen(const Rect& window, std::span<const MonitorArea> monitors) {
    if (monitors.empty()) {
        return window;
    }
    for (const MonitorArea& area : monitors) {
        if (Overlaps(window, area.monitor)) {
            return window;
        }
    }
    const MonitorArea* nearest = &monitors.front();
    int64_t best = std::numeric_limits<int64_t>::max();
    for (const MonitorArea& area : monitors) {
        const int64_t distance = Gap(window.left, window.right, area.monitor.left, area.monitor.right) +
                                 Gap(window.top, window.bottom, area.monitor.top, area.monitor.bottom);
        if (distance < best) {
            best = distance;
            nearest = &area;
        }
    }
    Rect placed = window;
    FitSpan(placed.left, placed.right, nearest->work.left, nearest->work.right);
    FitSpan(placed.top, placed.bottom, nearest->work.top, nearest->work.bottom);
    return placed;
}

}  // namespace pw
