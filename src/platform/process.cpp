#include "platform/process.h"

namespace pw {

void TerminateProcessById(const StartedProcess& process) {
    if (!process.handle || ::WaitForSingleObject(process.handle.get(), 0) != WAIT_TIMEOUT) {
        return;
    }
    ::TerminateProcess(process.handle.get(), 1);
}

}  // namespace pw
