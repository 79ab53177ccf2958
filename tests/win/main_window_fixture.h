// A real main window, shown and active, whose message boxes a test answers.
#pragma once

#include <gtest/gtest.h>

#include "app/frm_main.h"
#include "support.h"

namespace pw::test {

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_form.Create());
        ::ShowWindow(m_form.Hwnd(), SW_SHOWNORMAL);
        ::SetForegroundWindow(m_form.Hwnd());
        PumpMessages(80);
    }

    ScriptedMessageBoxes m_boxes;
    FrmMain m_form{m_boxes};
};

}  // namespace pw::test
