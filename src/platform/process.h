// Programs the program starts, remembered by their handle.
#pragma once

#include <windows.h>

#include "platform/handles.h"

namespace pw {

// A process this program started. The handle, kept from the start, pins the process: its id
// may be given to another process once it has exited, the handle never is.
struct StartedProcess {
    DWORD id = 0;
    UniqueKernelHandle handle;
};

// Ends the process if it is still running, with exit code 1; nothing when none was started or
// it has ended already. Reports nothing.
void TerminateProcessById(const StartedProcess& process);

}  // namespace pw
