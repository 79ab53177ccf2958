// A real main window, shown and active, whose message boxes a test answers and whose
// settings go to a registry key of the test's own, removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/frm_main.h"
#include "platform/settings.h"
#include "support.h"

namespace pw::test {

// HKEY_CURRENT_USER\Software\PixelwrenTests\<name>, deleted when the object goes.
class TestSettingsKey {
  public:
    TestSettingsKey();
    TestSettingsKey(const TestSettingsKey&) = delete;
    TestSettingsKey& operator=(const TestSettingsKey&) = delete;
    ~TestSettingsKey();
    [[nodiscard]] const std::wstring& Path() const { return m_path; }
    // A value of the Settings section as stored, or "(missing)".
    [[nodiscard]] std::wstring Value(const wchar_t* key) const;
    void Set(const wchar_t* key, const std::wstring& text);

  private:
    std::wstring m_path;
};

// Creates the window and shows it normal and active, as the program's start does.
::testing::AssertionResult CreateShown(FrmMain& form);

class MainWindowTest : public ::testing::Test {
  protected:
    explicit MainWindowTest(FrmMainServices services = {})
        : m_form(m_boxes, m_settings, std::move(services)) {}
    void SetUp() override { ASSERT_TRUE(CreateShown(m_form)); }
    // What the system sends when a registered Print Screen hotkey is pressed.
    void PressHotkey(UINT id, UINT modifiers) {
        ::SendMessageW(m_form.Hwnd(), WM_HOTKEY, id, MAKELPARAM(modifiers, VK_SNAPSHOT));
    }

    TestSettingsKey m_key;
    SettingsStore m_settings{m_key.Path()};
    ScriptedMessageBoxes m_boxes;
    FrmMain m_form;
};

}  // namespace pw::test
