#include <gtest/gtest.h>

#include "capture/picture.h"
#include "platform/failure.h"
#include "support.h"

namespace pw {

// The OLE picture of a Picture, lent for the length of one call.
struct PictureOleAccess {
    template <typename F>
    static void With(const Picture& picture, F&& use) {
        use(picture.m_shared ? picture.m_shared->disp.get() : nullptr);
    }
};

namespace {

// Nothing outside the Picture can obtain its OLE interface to keep.
template <typename T>
concept HandsOutOlePicture = requires(const T& picture) { picture.Disp(); };
static_assert(!HandsOutOlePicture<Picture>);

UniquePalette SmallPalette() {
    struct {
        WORD version = 0x300;
        WORD count = 2;
        PALETTEENTRY entries[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    } record;
    return UniquePalette(::CreatePalette(reinterpret_cast<const LOGPALETTE*>(&record)));
}

TEST(PictureTest, OwnsBitmapAndPaletteUntilTheLastReferenceGoes) {
    UniqueBitmap bitmap(::CreateBitmap(30, 20, 1, 32, nullptr));
    UniquePalette palette = SmallPalette();
    const HBITMAP rawBitmap = bitmap.get();
    const HPALETTE rawPalette = palette.get();

    Picture copy;
    {
        Picture picture = CreatePictureFromBitmap(std::move(bitmap), std::move(palette));
        EXPECT_FALSE(picture.Empty());
        EXPECT_EQ(picture.Bitmap(), rawBitmap);
        EXPECT_EQ(picture.Palette(), rawPalette);
        EXPECT_EQ(picture.SizeInPixels(), (Size{30, 20}));

        // The OLE picture holds the bitmap and refers to the palette.
        PictureOleAccess::With(picture, [&](IPictureDisp* disp) {
            ASSERT_NE(disp, nullptr);
            ComPtr<IPicture> ole;
            ASSERT_TRUE(SUCCEEDED(disp->QueryInterface(IID_IPicture, ole.put_void())));
            OLE_HANDLE handle = 0;
            OLE_HANDLE hpal = 0;
            SHORT type = 0;
            ole->get_Handle(&handle);
            ole->get_hPal(&hpal);
            ole->get_Type(&type);
            EXPECT_EQ(reinterpret_cast<HBITMAP>(static_cast<uintptr_t>(handle)), rawBitmap);
            EXPECT_EQ(reinterpret_cast<HPALETTE>(static_cast<uintptr_t>(hpal)), rawPalette);
            EXPECT_EQ(type, PICTYPE_BITMAP);
        });

        copy = picture;
        EXPECT_EQ(copy.UseCount(), 2);
    }
    EXPECT_EQ(::GetObjectType(rawBitmap), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(::GetObjectType(rawPalette), static_cast<DWORD>(OBJ_PAL));
    copy = Picture();
    EXPECT_EQ(::GetObjectType(rawBitmap), 0u);
    EXPECT_EQ(::GetObjectType(rawPalette), 0u);
}

TEST(PictureTest, InvalidBitmapIsRefusedAndFreesThePalette) {
    UniquePalette palette = SmallPalette();
    const HPALETTE rawPalette = palette.get();
    try {
        CreatePictureFromBitmap(UniqueBitmap(), std::move(palette));
        FAIL() << "an empty bitmap made a picture";
    } catch (const Failure& failure) {
        EXPECT_NE(failure.Cause().find(L"CreatePictureFromBitmap"), std::wstring::npos);
    }
    EXPECT_EQ(::GetObjectType(rawPalette), 0u);
}

TEST(PictureTest, EmptyPictureHasNothing) {
    const Picture empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(empty.Bitmap(), nullptr);
    PictureOleAccess::With(empty, [](IPictureDisp* disp) { EXPECT_EQ(disp, nullptr); });
    EXPECT_EQ(empty.SizeInPixels(), (Size{0, 0}));
}

}  // namespace
}  // namespace pw
