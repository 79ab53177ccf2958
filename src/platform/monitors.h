// The monitors of the virtual screen, with their scaling, behind a small interface so that
// tests can lay out monitors this machine does not have.
#pragma once

#include <vector>

#include "core/placement.h"

namespace pw {

class MonitorLayout {
public:
    virtual ~MonitorLayout() = default;
    // Every monitor's rectangle, work area and effective dpi, in the virtual screen's pixels.
    [[nodiscard]] virtual std::vector<MonitorArea> Monitors() const = 0;
    // The same monitors, each taken at the system's dpi: no asking for each one's scaling
    // (which loads shcore at a start). Right where they have no scaling of their own.
    [[nodiscard]] virtual std::vector<MonitorArea> MonitorsAtSystemDpi() const {
        return Monitors();
    }
};

class SystemMonitorLayout final : public MonitorLayout {
public:
    [[nodiscard]] std::vector<MonitorArea> Monitors() const override;
    [[nodiscard]] std::vector<MonitorArea> MonitorsAtSystemDpi() const override;
};

// The virtual screen's rectangle: every monitor's together, in its pixels.
[[nodiscard]] Rect VirtualScreenBounds();

}  // namespace pw
