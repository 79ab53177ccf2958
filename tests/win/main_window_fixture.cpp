#include "main_window_fixture.h"

namespace pw::test {

TestSettingsKey::TestSettingsKey() {
    static int counter = 0;
    m_path = L"Software\\PixelwrenTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
             std::to_wstring(++counter);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
}

TestSettingsKey::~TestSettingsKey() { ::RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str()); }

std::wstring TestSettingsKey::Value(const wchar_t* key) const {
    return SettingsStore(m_path).Read(L"Settings", key).value_or(L"(missing)");
}

void TestSettingsKey::Set(const wchar_t* key, const std::wstring& text) {
    SettingsStore(m_path).Write(L"Settings", key, text);
}

::testing::AssertionResult CreateShown(FrmMain& form) {
    if (!form.Create()) {
        return ::testing::AssertionFailure() << "the main window was not created, error "
                                             << ::GetLastError();
    }
    ::ShowWindow(form.Hwnd(), SW_SHOWNORMAL);
    ::SetForegroundWindow(form.Hwnd());
    PumpMessages(80);
    return ::testing::AssertionSuccess();
}

}  // namespace pw::test
