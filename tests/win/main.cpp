#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "platform/com.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    pw::OleApartment ole;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);
    return RUN_ALL_TESTS();
}
