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

// 15: the twips per pixel that monitor origins are stored at.
constexpr double kOriginTwipsPerPixel = kTwipsPerInch / kStandardDpi;

double TwipsPerPixelOf(const MonitorArea& area) {
    return kTwipsPerInch / (area.dpi > 0 ? area.dpi : kStandardDpi);
}

double DistanceSquared(double x, double y, double left, double top, double right, double bottom) {
    const double dx = x < left ? left - x : (x >= right ? x - right : 0.0);
    const double dy = y < top ? top - y : (y >= bottom ? y - bottom : 0.0);
    return dx * dx + dy * dy;
}

// Where a monitor's block of twips lies: left, top, right, bottom.
struct TwipsBlock {
    double left;
    double top;
    double right;
    double bottom;
};

TwipsBlock BlockOf(const MonitorArea& area) {
    const double tpp = TwipsPerPixelOf(area);
    const double left = area.monitor.left * kOriginTwipsPerPixel;
    const double top = area.monitor.top * kOriginTwipsPerPixel;
    return {left, top, left + (static_cast<double>(area.monitor.right) - area.monitor.left) * tpp,
            top + (static_cast<double>(area.monitor.bottom) - area.monitor.top) * tpp};
}

// The monitor whose area (given by `box`) holds the point, else the nearest; null for none.
template <typename BoxOf>
const MonitorArea* MonitorAt(double x, double y, std::span<const MonitorArea> monitors,
                             BoxOf box) {
    const MonitorArea* best = nullptr;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const MonitorArea& area : monitors) {
        const TwipsBlock b = box(area);
        const double distance = DistanceSquared(x, y, b.left, b.top, b.right, b.bottom);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = &area;
        }
    }
    return best;
}

TwipsBlock PixelBlockOf(const MonitorArea& area) {
    return {static_cast<double>(area.monitor.left), static_cast<double>(area.monitor.top), static_cast<double>(area.monitor.right),
            static_cast<double>(area.monitor.bottom)};
}

}  // namespace

PlacementTwips PlacementFromWindow(const Rect& window, std::span<const MonitorArea> monitors,
                                   const TwipsPerPixel& fallback) {
    const double width = static_cast<double>(window.right) - window.left;
    const double height = static_cast<double>(window.bottom) - window.top;
    const MonitorArea* on = MonitorAt(window.left + width / 2, window.top + height / 2,
                                      monitors, PixelBlockOf);
    if (on == nullptr) {
        return {static_cast<float>(window.left * static_cast<double>(fallback.x)),
                static_cast<float>(window.top * static_cast<double>(fallback.y)),
                static_cast<float>(width * fallback.x), static_cast<float>(height * fallback.y)};
    }
    const double tpp = TwipsPerPixelOf(*on);
    const TwipsBlock block = BlockOf(*on);
    return {static_cast<float>(block.left + (window.left - static_cast<double>(on->monitor.left)) * tpp),
            static_cast<float>(block.top + (window.top - static_cast<double>(on->monitor.top)) * tpp),
            static_cast<float>(width * tpp), static_cast<float>(height * tpp)};
}

Rect WindowFromPlacement(const PlacementTwips& placement, std::span<const MonitorArea> monitors,
                         const TwipsPerPixel& fallback) {
    const MonitorArea* on = MonitorAt(placement.left + static_cast<double>(placement.width) / 2,
                                      placement.top + static_cast<double>(placement.height) / 2, monitors,
                                      BlockOf);
    double left = 0;
    double top = 0;
    double tppX = fallback.x;
    double tppY = fallback.y;
    if (on != nullptr) {
        tppX = tppY = TwipsPerPixelOf(*on);
        const TwipsBlock block = BlockOf(*on);
        left = on->monitor.left + (placement.left - block.left) / tppX;
        top = on->monitor.top + (placement.top - block.top) / tppY;
    } else {
        left = placement.left / tppX;
        top = placement.top / tppY;
    }
    const int32_t x = RoundToInt32(left);
    const int32_t y = RoundToInt32(top);
    const int64_t right = int64_t{x} + RoundToInt32(placement.width / tppX);
    const int64_t bottom = int64_t{y} + RoundToInt32(placement.height / tppY);
    const auto clamp = [](int64_t v) {
        return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                        std::numeric_limits<int32_t>::max()));
    };
    return {x, y, clamp(right), clamp(bottom)};
}

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
