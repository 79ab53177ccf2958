// The command line's scripted capture: a capture written straight to a file with no window
// shown, and what is said to the script or the user about the command line.
#pragma once

#include <string>

#include "core/command_line.h"

namespace pw {

// Captures as the request says and writes the file, replacing one only with a complete one.
// Returns kExitDone, or kExitFailed having said what failed in one line.
int RunScriptedCapture(const CaptureRequest& request);

// One text for whoever started the program: written to the standard error (or output) it was
// given, else to the console of the program that started it, else shown in a message box
// unless `quiet`.
void SayToCaller(const std::wstring& text, bool error, bool quiet);

}  // namespace pw
