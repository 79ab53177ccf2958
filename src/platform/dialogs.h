// Modal message boxes behind a small interface, so that tests can script the answer and see
// what was asked.
#pragma once

#include <windows.h>

#include <string>

namespace pw {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box and returns the button chosen (IDOK, IDCANCEL, IDYES, ...).
    virtual int Show(HWND owner, const std::wstring& text, const std::wstring& title,
                     UINT style) = 0;
};

class SystemMessageBoxes final : public MessageBoxes {
public:
    int Show(HWND owner, const std::wstring& text, const std::wstring& title,
             UINT style) override {
        return ::MessageBoxW(owner, text.c_str(), title.c_str(), style);
    }
};

}  // namespace pw
