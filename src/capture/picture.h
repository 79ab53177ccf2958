// The Picture: a reference-counted OLE picture that holds a bitmap and an optional palette
// and frees both with its last reference.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <memory>

#include "core/geometry.h"
#include "platform/com.h"
#include "platform/handles.h"

namespace pw {

class Picture {
public:
    // The empty picture: no bitmap, size 0 by 0.
    Picture() = default;

    [[nodiscard]] bool Empty() const { return m_shared == nullptr; }
    [[nodiscard]] HBITMAP Bitmap() const;
    [[nodiscard]] HPALETTE Palette() const;
    [[nodiscard]] Size SizeInPixels() const;
    // The picture's dispatch interface; null for the empty picture.
    [[nodiscard]] IPictureDisp* Disp() const;

    // How many Picture values share this picture (0 for the empty one); for tests.
    [[nodiscard]] long UseCount() const { return m_shared.use_count(); }

private:
    friend Picture CreatePictureFromBitmap(UniqueBitmap bitmap, UniquePalette palette);

    struct Shared {
        // The OLE picture deletes its bitmap when released, but not the palette, so the
        // palette is owned here. Declared first, it outlives the picture that uses it.
        UniquePalette palette;
        ComPtr<IPictureDisp> disp;
        HBITMAP bitmap = nullptr;
        Size size;
    };
    std::shared_ptr<const Shared> m_shared;
};

// Wraps a bitmap and an optional palette (null for none) into a Picture, which owns both from
// then on. On failure both handles are freed and a Failure naming the call is thrown.
Picture CreatePictureFromBitmap(UniqueBitmap bitmap, UniquePalette palette);

}  // namespace pw
