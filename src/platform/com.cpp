#include "platform/com.h"

#include "platform/system_library.h"

namespace pw {
namespace {

// Whether EnsureOle started OLE on this thread (and OleApartment is to end it).
thread_local bool t_oleStarted = false;

}  // namespace

HRESULT EnsureOle() {
    if (t_oleStarted) {
        return S_FALSE;
    }
    DWORD error = 0;
    const auto initialize = SystemFunction<decltype(::OleInitialize)>(L"ole32.dll", "OleInitialize", &error);
    if (initialize == nullptr) {
        return HRESULT_FROM_WIN32(error);
    }
    const HRESULT result = initialize(nullptr);
    t_oleStarted = SUCCEEDED(result);
    return result;
}

OleApartment::OleApartment(Start start) {
    if (start == Start::Now) {
        EnsureOle();
    }
}

OleApartment::~OleApartment() {
    if (t_oleStarted) {
        t_oleStarted = false;
        if (const auto uninitialize = SystemFunction<decltype(::OleUninitialize)>(L"ole32.dll", "OleUninitialize")) {
            uninitialize();
        }
    }
}

}  // namespace pw
