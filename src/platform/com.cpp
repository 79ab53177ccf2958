#include "platform/com.h"

#include "platform/system_library.h"

namespace pw {
namespace {

// The thread on which EnsureOle started OLE (and OleApartment is to end it), or 0. The program
// uses COM on its UI thread only. (Not a thread_local: that would link a threads library into
// the program for one flag.)
DWORD g_oleThread = 0;

}  // namespace

HRESULT EnsureOle() {
    if (g_oleThread == ::GetCurrentThreadId()) {
        return S_FALSE;
    }
    DWORD error = 0;
    const auto initialize =
        SystemFunction<decltype(::OleInitialize)>(L"ole32.dll", "OleInitialize", &error);
    if (initialize == nullptr) {
        return HRESULT_FROM_WIN32(error);
    }
    const HRESULT result = initialize(nullptr);
    if (SUCCEEDED(result)) {
        g_oleThread = ::GetCurrentThreadId();
    }
    return result;
}

OleApartment::OleApartment(Start start) {
    if (start == Start::Now) {
        EnsureOle();
    }
}

OleApartment::~OleApartment() {
    if (g_oleThread == ::GetCurrentThreadId()) {
        g_oleThread = 0;
        if (const auto uninitialize =
                SystemFunction<decltype(::OleUninitialize)>(L"ole32.dll", "OleUninitialize")) {
            uninitialize();
        }
    }
}

}  // namespace pw
