#include <gtest/gtest.h>

#include <thread>

#include "platform/com.h"
#include "platform/handles.h"
#include "support.h"

namespace pw {
namespace {

TEST(HandlesTest, OleStartsAtItsFirstUseOnceAndEndsWithTheApartment) {
    // A thread of its own: the tests' main thread has OLE started for them.
    std::thread([] {
        const auto started = [] {
            APTTYPE type{};
            APTTYPEQUALIFIER qualifier{};
            return SUCCEEDED(::CoGetApartmentType(&type, &qualifier)) &&
                   (type == APTTYPE_STA || type == APTTYPE_MAINSTA);
        };
        {
            const OleApartment ole(OleApartment::Start::OnFirstUse);
            EXPECT_FALSE(started());
            EXPECT_EQ(EnsureOle(), S_OK);
            EXPECT_TRUE(started());
            EXPECT_EQ(EnsureOle(), S_FALSE);
        }
        EXPECT_FALSE(started());
        // Nothing started, nothing to end.
        { const OleApartment ole(OleApartment::Start::OnFirstUse); }
        EXPECT_FALSE(started());
    }).join();
}

TEST(HandlesTest, CounterSeesOneLeakedBitmap) {
    const int before = test::CountGdiObjects();
    const HBITMAP leaked = ::CreateBitmap(4, 4, 1, 32, nullptr);
    ASSERT_NE(leaked, nullptr);
    EXPECT_EQ(test::CountGdiObjects(), before + 1);
    ::DeleteObject(leaked);
    EXPECT_EQ(test::CountGdiObjects(), before);
}

TEST(HandlesTest, OwnersFreeOnceAndReleaseHandsOver) {
    HBITMAP raw = nullptr;
    {
        UniqueBitmap first(::CreateBitmap(2, 2, 1, 32, nullptr));
        raw = first.get();
        UniqueBitmap second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        EXPECT_EQ(::GetObjectType(raw), static_cast<DWORD>(OBJ_BITMAP));
    }
    EXPECT_EQ(::GetObjectType(raw), 0u);

    UniqueBitmap kept(::CreateBitmap(2, 2, 1, 32, nullptr));
    const HBITMAP released = kept.release();
    EXPECT_FALSE(kept);
    EXPECT_EQ(::GetObjectType(released), static_cast<DWORD>(OBJ_BITMAP));
    ::DeleteObject(released);
}

TEST(HandlesTest, SelectGuardPutsThePreviousObjectBackIntoItsOwnDc) {
    UniqueDc first(::CreateCompatibleDC(nullptr));
    UniqueDc second(::CreateCompatibleDC(nullptr));
    UniqueBitmap bitmap(::CreateBitmap(8, 8, 1, 1, nullptr));
    const HGDIOBJ firstDefault = ::GetCurrentObject(first.get(), OBJ_BITMAP);
    const HGDIOBJ secondDefault = ::GetCurrentObject(second.get(), OBJ_BITMAP);
    {
        SelectObjectGuard guard(first.get(), bitmap.get());
        ASSERT_TRUE(guard.Selected());
        EXPECT_EQ(::GetCurrentObject(first.get(), OBJ_BITMAP), bitmap.get());
        EXPECT_EQ(::GetCurrentObject(second.get(), OBJ_BITMAP), secondDefault);
        // Restore hands back what was selected until now; a second restore does nothing.
        EXPECT_EQ(guard.Restore(), bitmap.get());
        EXPECT_EQ(guard.Restore(), nullptr);
        EXPECT_EQ(::GetCurrentObject(first.get(), OBJ_BITMAP), firstDefault);
        SelectObjectGuard again(second.get(), bitmap.get());
        EXPECT_EQ(::GetCurrentObject(second.get(), OBJ_BITMAP), bitmap.get());
    }
    EXPECT_EQ(::GetCurrentObject(first.get(), OBJ_BITMAP), firstDefault);
    EXPECT_EQ(::GetCurrentObject(second.get(), OBJ_BITMAP), secondDefault);
    // Out of every DC again, the bitmap can go.
    EXPECT_TRUE(::DeleteObject(bitmap.release()));
}

TEST(HandlesTest, WindowDcsGoBackToTheirWindow) {
    test::PaintedWindow window(40, 40, 64, 64);
    const int before = test::CountGdiObjects();
    for (int i = 0; i < 200; ++i) {
        WindowDc client = WindowDc::ForClient(window.Hwnd());
        WindowDc whole = WindowDc::ForWholeWindow(window.Hwnd());
        ASSERT_TRUE(client);
        ASSERT_TRUE(whole);
        EXPECT_EQ(client.window(), window.Hwnd());
        WindowDc moved(std::move(whole));
        EXPECT_FALSE(whole);
        EXPECT_TRUE(moved);
    }
    EXPECT_EQ(test::CountGdiObjects(), before);
}

}  // namespace
}  // namespace pw
