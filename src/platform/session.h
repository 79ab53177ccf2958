// Holding up the end of the Windows session while there is unsaved work, behind a small
// interface so that tests can see the reason given.
#pragma once

#include <windows.h>

#include <string>

namespace pw {

class SessionEndBlocker {
public:
    virtual ~SessionEndBlocker() = default;
    // Windows shows `reason` beside the window on its "this app is preventing shutdown"
    // screen while the block stands.
    virtual void Block(HWND window, const std::wstring& reason) = 0;
    virtual void Unblock(HWND window) = 0;
};

class SystemSessionEndBlocker final : public SessionEndBlocker {
public:
    void Block(HWND window, const std::wstring& reason) override {
        ::ShutdownBlockReasonCreate(window, reason.c_str());
    }
    void Unblock(HWND window) override { ::ShutdownBlockReasonDestroy(window); }
};

}  // namespace pw
