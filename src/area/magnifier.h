// The free-area capture's magnifier: the snapshot's pixels around the pointer at eight times
// their size, with a crosshair on the pointer's pixel and its coordinates, drawn on the
// snapshot window beside the pointer. It is no window of its own: moving a window costs a
// round trip to the window system at every move of the pointer, where drawing costs a few
// copies of small bitmaps.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "core/geometry.h"
#include "core/selection.h"
#include "platform/handles.h"

namespace pw {

struct ScreenSource;

class Magnifier {
  public:
    // The magnified square, beneath it a strip with the coordinates, and a frame round both.
    static constexpr int kZoomSide = kMagnifierSpan * kMagnifierZoom;
    static constexpr int kCaptionHeight = 20;
    static constexpr int kWidth = kZoomSide + 2;
    static constexpr int kHeight = kZoomSide + kCaptionHeight + 2;

    // The monitors' work areas in screen pixels: the magnifier stays on the pointer's. Read
    // once per arming, since asking the system at every move would cost more than drawing.
    void SetWorkAreas(std::vector<Rect> areas) { m_workAreas = std::move(areas); }

    // Shows the pixels of `source` around the screen point `at` beside it, on `window`, whose
    // client area shows `source` with its origin at the source's origin; where it was before,
    // the snapshot shows again. Reads no screen pixels. Like the selection's feedback it is an
    // aid only: where its image cannot be made, nothing is shown and the capture goes on.
    void Follow(HWND window, const ScreenSource& source, POINT at);
    // The snapshot where the magnifier was; its images are kept for the next Follow.
    void Hide(HWND window, const ScreenSource& source) noexcept;
    // Draws it again over a repaint of the window's snapshot.
    void Paint(HDC dc, const ScreenSource& source) const;
    // Off the window, its images freed; the window is going or gone.
    void Reset() noexcept;
    // Where it is drawn, in screen pixels, while shown.
    [[nodiscard]] std::optional<RECT> Place() const { return m_place; }

  private:
    bool MakeImages(HDC window);
    // Draws the magnified pixels, the crosshair and the coordinates into m_image.
    void Render(const ScreenSource& source, POINT at);
    [[nodiscard]] Rect WorkAreaAt(POINT at, const ScreenSource& source) const;

    std::vector<Rect> m_workAreas;
    std::optional<RECT> m_place;
    // The image, and room for it and the place it leaves, composed before they are shown.
    UniqueDc m_image;
    UniqueBitmap m_imageBitmap;
    HGDIOBJ m_imagePrevious = nullptr;
    UniqueDc m_scratch;
    UniqueBitmap m_scratchBitmap;
    HGDIOBJ m_scratchPrevious = nullptr;
};

}  // namespace pw
