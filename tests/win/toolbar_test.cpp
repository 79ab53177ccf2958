#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "app/commands.h"
#include "core/ids.h"
#include "capture/capture.h"
#include "main_window_fixture.h"

namespace pw {
namespace {

struct Position {
    ToolbarKind kind;
    std::wstring tooltip;
    int image;  // from 1; 0 for none
};

// The toolbar as a user must find it, left to right.
const Position kExpected[] = {
    {ToolbarKind::Placeholder, L"", 0},
    {ToolbarKind::Button, L"打开", 1},
    {ToolbarKind::Button, L"保存图片", 2},
    {ToolbarKind::Placeholder, L"", 0},
    {ToolbarKind::Button, L"捕获全屏", 6},
    {ToolbarKind::Button, L"区域到剪切板", 3},
    {ToolbarKind::Button, L"延时捕获活动窗口", 7},
    {ToolbarKind::Button, L"捕获当前窗口", 8},
    {ToolbarKind::Button, L"捕获当前窗口", 9},
    {ToolbarKind::Button, L"捕获工作区", 10},
    {ToolbarKind::Placeholder, L"", 0},
    {ToolbarKind::Button, L"用画图编辑", 12},
    {ToolbarKind::Button, L"设为墙纸", 20},
    {ToolbarKind::Button, L"打印", 21},
    {ToolbarKind::Separator, L"", 0},
    {ToolbarKind::Button, L"帮助", 23},
    {ToolbarKind::Button, L"关于", 18},
};

class ToolbarTest : public test::MainWindowTest {
protected:
    HWND Bar() const { return const_cast<FrmMain&>(m_form).Toolbar1().Hwnd(); }
    void Click(int index) {
        ::SendMessageW(m_form.Hwnd(), WM_COMMAND, MAKEWPARAM(ids::kToolbarCommandBase + index, 0),
                       reinterpret_cast<LPARAM>(Bar()));
    }
};

TEST_F(ToolbarTest, ButtonsReadBackAsDesigned) {
    ASSERT_EQ(::SendMessageW(Bar(), TB_BUTTONCOUNT, 0, 0), 17);
    for (int i = 0; i < 17; ++i) {
        SCOPED_TRACE(i + 1);
        TBBUTTON button{};
        ASSERT_TRUE(::SendMessageW(Bar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
        const Position& want = kExpected[i];
        wchar_t text[64] = {};
        ::SendMessageW(Bar(), TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::wstring(text), want.tooltip);
        RECT rect{};
        ::SendMessageW(Bar(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect));
        switch (want.kind) {
            case ToolbarKind::Button:
                EXPECT_EQ(button.fsStyle & BTNS_SEP, 0);
                EXPECT_EQ(button.iBitmap, want.image - 1);
                EXPECT_TRUE(button.fsState & TBSTATE_ENABLED);
                EXPECT_FALSE(button.fsState & (TBSTATE_HIDDEN | TBSTATE_CHECKED | TBSTATE_PRESSED));
                // An image without caption text under or beside it.
                EXPECT_LE(rect.right - rect.left, 32);
                EXPECT_LE(rect.bottom - rect.top, 24);
                break;
            case ToolbarKind::Separator:
                EXPECT_TRUE(button.fsStyle & BTNS_SEP);
                break;
            case ToolbarKind::Placeholder:
                EXPECT_EQ(button.fsStyle & BTNS_SEP, 0);
                EXPECT_EQ(button.iBitmap, I_IMAGENONE);
                EXPECT_FALSE(button.fsState & TBSTATE_ENABLED);  // a gap cannot be clicked
                EXPECT_LE(rect.right - rect.left, 12);
                break;
        }
    }
    // Docked at the top, 360 twips high, the full width.
    RECT bar{};
    ::GetWindowRect(Bar(), &bar);
    RECT client{};
    ::GetClientRect(m_form.Hwnd(), &client);
    EXPECT_EQ(bar.bottom - bar.top, 24);
    EXPECT_EQ(bar.right - bar.left, client.right);
}

TEST_F(ToolbarTest, DispatchByIndex) {
    const std::map<int, UINT> expected = {
        {2, ids::kMnuOpen},     {3, ids::kMnuSave},     {5, ids::kMnuScreen},
        {6, ids::kMnuDistrict}, {7, ids::kMnuAtiveWindow}, {8, ids::kMnuClient},
        {9, ids::kMnuTitleBar}, {10, ids::kMnuClient},  {12, ids::kMnuMspaint},
        {13, ids::kMnuWallpaper}, {14, ids::kMnuPrint}, {16, ids::kMnuHowto},
        {17, ids::kMnuAbout},
    };
    for (int index = -1; index <= 18; ++index) {
        const auto it = expected.find(index);
        EXPECT_EQ(ToolbarCommand(index), it == expected.end() ? 0u : it->second) << "index " << index;
    }
}

TEST_F(ToolbarTest, ClicksRunTheMenusCommandsAndReportTheirFailures) {
    RECT client{};
    ::GetClientRect(m_form.Hwnd(), &client);
    // Buttons 8 and 10 both capture the work area; 9 the window with its frame.
    for (const int index : {8, 10}) {
        m_form.PicBmp().SetPicture(Picture());
        Click(index);
        EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{client.right, client.bottom}))
            << index;
    }
    Click(9);
    RECT outer{};
    ::GetWindowRect(m_form.Hwnd(), &outer);
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(),
              (Size{outer.right - outer.left, outer.bottom - outer.top}));

    // Gaps and the separator do nothing.
    const Picture before = m_form.PicBmp().GetPicture();
    for (const int index : {-1, 0, 1, 4, 11, 15, 18}) {
        Click(index);
    }
    EXPECT_TRUE(m_form.PicBmp().GetPicture() == before);
    EXPECT_EQ(m_boxes.Count(), 0u);

    // A failure from the toolbar is reported as from the menu.
    ::ShowWindow(m_form.Hwnd(), SW_MINIMIZE);
    test::PumpMessages(30);
    m_boxes.Answer(IDOK);
    Click(8);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(L"“当前工作区”"), std::wstring::npos);
    EXPECT_NE(m_boxes.Last().text.find(kNothingToCapture), std::wstring::npos);
    EXPECT_TRUE(m_form.PicBmp().GetPicture() == before);
}

// What `paint` draws on a bitmap of magenta.
test::Pixels OverMagenta(int width, int height, const std::function<void(HDC)>& paint) {
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    HBRUSH magenta = ::CreateSolidBrush(RGB(255, 0, 255));
    const RECT all{0, 0, width, height};
    ::FillRect(memory, &all, magenta);
    paint(memory);
    ::SelectObject(memory, old);
    test::Pixels pixels = test::ReadBitmap(bitmap);
    ::DeleteObject(magenta);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(ToolbarTest, ImageListHas23MaskedImagesWithTheirKeysAtEveryScale) {
    // Each image drawn transparently over magenta: silver became transparent, and the rest
    // is artwork, not a blank.
    const auto drawn = [&](int size) {
        return OverMagenta(size * 23, size, [&](HDC dc) {
            for (int i = 0; i < 23; ++i) {
                m_form.ImageList1().Draw(dc, i, i * size, 0);
            }
        });
    };
    // The window moved to monitors of 150, 125 and 200 % and back: each scale has images
    // drawn at its own size, and the buttons grow and shrink with them inside the bar.
    std::vector<uint32_t> firstImage;
    for (const auto& [dpi, size, strip] :
         {std::tuple{144, 24, 2}, {120, 20, 1}, {192, 32, 3}, {96, 16, 0}}) {
        RECT suggested{100, 100, 100 + 433 * dpi / 96, 100 + 433 * dpi / 96};
        ::SendMessageW(m_form.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
        ASSERT_EQ(m_form.ImageList1().Count(), 23) << dpi;
        EXPECT_EQ(m_form.ImageList1().Size(), size) << dpi;
        const auto button = static_cast<DWORD>(::SendMessageW(Bar(), TB_GETBUTTONSIZE, 0, 0));
        EXPECT_GT(LOWORD(button), size) << dpi;
        EXPECT_GT(HIWORD(button), size) << dpi;
        EXPECT_LE(HIWORD(button), m_form.Toolbar1().HeightPixels()) << dpi;

        const test::Pixels images = drawn(size);
        // Pixel for pixel the strip's colours, the background where it shows silver.
        const auto bitmap = static_cast<HBITMAP>(::LoadImageW(
            ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ids::kToolbarBitmapResource + strip),
            IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        const test::Pixels art = test::ReadBitmap(bitmap);
        ::DeleteObject(bitmap);
        ASSERT_EQ(art.width, images.width);
        for (int i = 0; i < 23; ++i) {
            int transparent = 0;
            int wrong = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const uint32_t pixel = images.At(i * size + x, y);
                    const uint32_t want = art.At(i * size + x, y);
                    transparent += pixel == 0xFF00FF;
                    wrong += pixel != (want == 0xC0C0C0 ? 0xFF00FFu : want);
                }
            }
            EXPECT_GT(size * size - transparent, size * size / 12) << "image " << i + 1 << " at " << size;
            EXPECT_EQ(wrong, 0) << "image " << i + 1 << " at " << size;
        }
        // Drawn for the size, not the 16 px image stretched: the folder's outline stays one
        // stroke thick (two pixels from 200 %).
        const int stroke = size >= 32 ? 2 : 1;
        int outline = 0;
        while (outline < size && images.At(outline, size / 2) == 0) {
            ++outline;
        }
        EXPECT_EQ(outline, stroke) << size;
        std::vector<uint32_t> first;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                first.push_back(images.At(x, y));
            }
        }
        EXPECT_NE(first, firstImage) << size;
        firstImage = first;
    }
    // Images replaced at each change of scale leave nothing behind.
    const int objects = test::CountGdiObjects();
    for (const int dpi : {144, 120, 192, 96}) {
        RECT suggested{100, 100, 100 + 433 * dpi / 96, 100 + 433 * dpi / 96};
        ::SendMessageW(m_form.Hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                       reinterpret_cast<LPARAM>(&suggested));
    }
    EXPECT_EQ(test::CountGdiObjects(), objects);
    const test::Pixels blank = drawn(16);
    // The open folder's corners are background.
    EXPECT_EQ(blank.At(0, 0), 0xFF00FFu);
    EXPECT_EQ(blank.At(15, 15), 0xFF00FFu);

    // The keyed images are the ones the Open, Save and area buttons show; the two that no
    // button shows are artwork of their own, unlike every other image.
    const struct {
        const char* key;
        const wchar_t* tooltip;
    } shown[] = {{"Open", L"打开"}, {"Save", L"保存图片"}, {"Capture Rectangle", L"区域到剪切板"}};
    for (const auto& entry : shown) {
        int image = -1;
        for (int i = 0; i < 17; ++i) {
            TBBUTTON button{};
            ::SendMessageW(Bar(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
            wchar_t text[64] = {};
            ::SendMessageW(Bar(), TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
            if (std::wstring(text) == entry.tooltip) {
                image = button.iBitmap;
            }
        }
        EXPECT_EQ(ImageOfKey(entry.key), image + 1) << entry.key;
    }
    const auto cell = [&](int image, int x, int y) { return blank.At((image - 1) * 16 + x, y); };
    for (const char* key : {"Capture Full Screen", "CopyToClipboard"}) {
        const int image = ImageOfKey(key);
        ASSERT_GE(image, 1) << key;
        for (int other = 1; other <= 23; ++other) {
            int differ = 0;
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    differ += cell(image, x, y) != cell(other, x, y);
                }
            }
            EXPECT_TRUE(other == image || differ > 10) << key << " looks like image " << other;
        }
    }
    EXPECT_EQ(ImageOfKey("Paste"), 0);
}

TEST_F(ToolbarTest, EachButtonShowsItsImageCentredInEveryState) {
    // The bar drawn over magenta: the toolbar draws the frames, Pixelwren the images. Each
    // button's image must sit centred across, at the same place when the mouse is over it,
    // one pixel down and right while pressed, and etched in the shadow and highlight colours
    // while disabled; a placeholder shows nothing.
    const int size = m_form.ImageList1().Size();
    RECT client{};
    ::GetClientRect(Bar(), &client);
    const auto bar = [&] {
        return OverMagenta(client.right, client.bottom, [&](HDC dc) {
            ::SendMessageW(Bar(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        });
    };
    const auto image = [&](int index) {
        return OverMagenta(size, size, [&](HDC dc) { m_form.ImageList1().Draw(dc, index, 0, 0); });
    };
    // Where in `rect` of `shown` the image lies, every pixel it draws equal (a hot or pressed
    // button's background may show through the rest); {-1, -1} when nowhere.
    const auto find = [&](const test::Pixels& shown, const RECT& rect, const test::Pixels& want) {
        for (int y = rect.top; y + size <= rect.bottom; ++y) {
            for (int x = rect.left; x + size <= rect.right; ++x) {
                bool same = true;
                for (int j = 0; j < size && same; ++j) {
                    for (int i = 0; i < size && same; ++i) {
                        same =
                            want.At(i, j) == 0xFF00FFu || shown.At(x + i, y + j) == want.At(i, j);
                    }
                }
                if (same) {
                    return POINT{x, y};
                }
            }
        }
        return POINT{-1, -1};
    };
    const test::Pixels plain = bar();
    for (int i = 0; i < 17; ++i) {
        SCOPED_TRACE(i + 1);
        const Position& want = kExpected[i];
        const auto id = static_cast<WPARAM>(ids::kToolbarCommandBase + i + 1);
        RECT rect{};
        ASSERT_TRUE(::SendMessageW(Bar(), TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect)));
        if (want.kind != ToolbarKind::Button) {
            if (want.kind == ToolbarKind::Placeholder) {
                for (int y = rect.top; y < rect.bottom; ++y) {
                    for (int x = rect.left; x < rect.right; ++x) {
                        ASSERT_EQ(plain.At(x, y), 0xFF00FFu) << x << "," << y;
                    }
                }
            }
            continue;
        }
        const test::Pixels picture = image(want.image - 1);
        const POINT at = find(plain, rect, picture);
        ASSERT_GE(at.x, 0) << "image " << want.image << " is not on its button";
        EXPECT_LE(std::abs((at.x - rect.left) - (rect.right - at.x - size)), 1);

        ::SendMessageW(Bar(), TB_SETHOTITEM, i, 0);
        const POINT hot = find(bar(), rect, picture);
        ::SendMessageW(Bar(), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
        EXPECT_EQ(hot.x, at.x);
        EXPECT_EQ(hot.y, at.y);

        ::SendMessageW(Bar(), TB_PRESSBUTTON, id, TRUE);
        const POINT pressed = find(bar(), rect, picture);
        ::SendMessageW(Bar(), TB_PRESSBUTTON, id, FALSE);
        EXPECT_EQ(pressed.x, at.x + 1);
        EXPECT_EQ(pressed.y, at.y + 1);

        ::SendMessageW(Bar(), TB_ENABLEBUTTON, id, FALSE);
        const test::Pixels disabled = bar();
        ::SendMessageW(Bar(), TB_ENABLEBUTTON, id, TRUE);
        int etched = 0;
        for (int y = at.y; y <= at.y + size; ++y) {
            for (int x = at.x; x <= at.x + size; ++x) {
                const uint32_t pixel = disabled.At(x, y);
                etched += pixel != 0xFF00FFu;
                EXPECT_TRUE(pixel == 0xFF00FFu ||
                            pixel == test::Rgb(::GetSysColor(COLOR_3DSHADOW)) ||
                            pixel == test::Rgb(::GetSysColor(COLOR_3DHILIGHT)))
                    << x << "," << y;
            }
        }
        EXPECT_GT(etched, size * size / 12);
    }
}

}  // namespace
}  // namespace pw
