#include "core/last_area.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace pw {

namespace {

// [-]digits within 32 bits, nothing else.
std::optional<int32_t> ParseInt32(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<int32_t>::min() ||
        value > std::numeric_limits<int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<int32_t>(value);
}

bool Overlaps(const Rect& a, const Rect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

std::optional<Rect> ParseLastArea(std::optional<std::string_view> stored) {
    if (!stored) {
        return std::nullopt;
    }
    int32_t values[4] = {};
    std::string_view rest = *stored;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = i < 3 ? rest.find(',') : rest.size();
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        const std::optional<int32_t> value = ParseInt32(rest.substr(0, comma));
        if (!value) {
            return std::nullopt;
        }
        values[i] = *value;
        rest.remove_prefix(std::min(comma + 1, rest.size()));
    }
    const Rect area{values[0], values[1], values[2], values[3]};
    const int64_t width = int64_t{area.right} - area.left;
    const int64_t height = int64_t{area.bottom} - area.top;
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (width <= 0 || height <= 0 || width > kMax || height > kMax) {
        return std::nullopt;
    }
    return area;
}

std::string FormatLastArea(const Rect& area) {
    return std::to_string(area.left) + "," + std::to_string(area.top) + "," +
           std::to_string(area.right) + "," + std::to_string(area.bottom);
}

std::optional<Rect> AreaOnMonitors(const Rect& area, std::span<const MonitorArea> monitors) {
    std::optional<Rect> bounds;
    bool shown = false;
    for (const MonitorArea& m : monitors) {
        shown = shown || Overlaps(area, m.monitor);
        bounds = !bounds ? m.monitor
                         : Rect{std::min(bounds->left, m.monitor.left),
                                std::min(bounds->top, m.monitor.top),
                                std::max(bounds->right, m.monitor.right),
                                std::max(bounds->bottom, m.monitor.bottom)};
    }
    if (!shown) {
        return std::nullopt;
    }
    return Rect{std::max(area.left, bounds->left), std::max(area.top, bounds->top),
                std::min(area.right, bounds->right), std::min(area.bottom, bounds->bottom)};
}

}  // namespace pw
