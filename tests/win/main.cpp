#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/com.h"
#include "support.h"

int main(int argc, char** argv) {
    // Started again by a test as another program that holds the clipboard open.
    if (argc == 3 && std::string(argv[1]) == pw::test::kHoldClipboardOption) {
        return pw::test::HoldClipboard(std::atoi(argv[2]));
    }
    ::testing::InitGoogleTest(&argc, argv);
    pw::OleApartment ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    return RUN_ALL_TESTS();
}
