// The Picture: a reference-counted OLE picture that holds a bitmap and an optional palette
// and frees both with its last reference.
//
// Who owns what: the OLE picture owns the bitmap and deletes it when released; it refers to
// the palette but never deletes it, so the palette is owned here, beside the OLE picture,
// and goes after it. The OLE interface is therefore never handed out: a reference kept by
// anyone else could outlive the palette it refers to. Everything the program needs of a
// picture (bitmap, palette, size) is read here.
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

    // How many Picture values share this picture (0 for the empty one); for tests.
    [[nodiscard]] long UseCount() const { return m_shared.use_count(); }

    // The same picture (both empty, or sharing one OLE picture).
    friend bool operator==(const Picture& a, const Picture& b) { return a.m_shared == b.m_shared; }

private:
    friend Picture CreatePictureFromBitmap(UniqueBitmap bitmap, UniquePalette palette);
    // Tests look at the OLE picture through this, within one call.
    friend struct PictureOleAccess;

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
