#include <gtest/gtest.h>

#include "capture/picture.h"
#include "platform/failure.h"
#include "support.h"

namespace pw {
namespace {

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

        // The OLE picture is reachable through its dispatch interface and holds the bitmap.
        ComPtr<IPicture> ole;
        ASSERT_TRUE(SUCCEEDED(picture.Disp()->QueryInterface(IID_IPicture, ole.put_void())));
        OLE_HANDLE handle = 0;
        SHORT type = 0;
        ole->get_Handle(&handle);
        ole->get_Type(&type);
        EXPECT_EQ(reinterpret_cast<HBITMAP>(static_cast<uintptr_t>(handle)), rawBitmap);
        EXPECT_EQ(type, PICTYPE_BITMAP);

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
    EXPECT_EQ(empty.Disp(), nullptr);
    EXPECT_EQ(empty.SizeInPixels(), (Size{0, 0}));
}

}  // namespace
}  // namespace pw
