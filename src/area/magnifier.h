// The free-area capture's magnifier: the snapshot's pixels around the pointer at eight times
// their size, with a crosshair on the pointer's pixel and its coordinates, in a small topmost
// window beside the pointer that never takes the focus or a click.
#pragma once

#include <windows.h>

#include "core/selection.h"
#include "platform/handles.h"
#include "platform/window.h"

namespace pw {

struct ScreenSource;

class Magnifier : public Window {
  public:
    // The client area: the magnified square, and beneath it a strip with the coordinates.
    static constexpr int kZoomSide = kMagnifierSpan * kMagnifierZoom;
    static constexpr int kCaptionHeight = 20;
    static constexpr int kClientWidth = kZoomSide;
    static constexpr int kClientHeight = kZoomSide + kCaptionHeight;

    Magnifier() = default;
    ~Magnifier() override;

    // Shows the pixels of `source` around the screen point `at` beside it, within the work
    // area of `at`'s monitor, above `owner`, and draws them at once: a caller in a modal loop
    // dispatches no paint. Reads no screen pixels. Like the selection's feedback it is an aid
    // only: where the window or its image cannot be made, nothing is shown and the capture
    // goes on.
    void Follow(HWND owner, const ScreenSource& source, POINT at);
    // Off the screen, its image freed.
    void Hide() noexcept;
    [[nodiscard]] bool Shown() const { return Hwnd() != nullptr && ::IsWindowVisible(Hwnd()); }

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintContent(HDC dc, const RECT& dirty) override;

  private:
    bool Create(HWND owner);
    // Draws the magnified pixels, the crosshair and the coordinates into m_image.
    void Render(const ScreenSource& source, POINT at);
    void FreeImage() noexcept;

    UniqueDc m_image;
    UniqueBitmap m_bitmap;
    HGDIOBJ m_previous = nullptr;
    SIZE m_outer{};
};

}  // namespace pw
