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
};

class SystemMonitorLayout final : public MonitorLayout {
public:
    [[nodiscard]] std::vector<MonitorArea> Monitors() const override;
};

}  // namespace pw
