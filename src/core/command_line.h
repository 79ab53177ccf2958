// The program's command line: which of its forms the arguments take, and what is wrong with
// them when they take none; and the usage text.
#pragma once

#include <string>
#include <vector>

#include "core/document_names.h"
#include "core/geometry.h"

namespace pw {

// How the program ends when the command line asks it to capture, to print the usage, or
// cannot be read.
inline constexpr int kExitDone = 0;
inline constexpr int kExitBadArguments = 2;
inline constexpr int kExitFailed = 3;

struct CaptureRequest {
    enum class Source { Screen, Window, Area };
    Source source = Source::Screen;
    Rect area;         // Source::Area only: screen pixels, right and bottom exclusive
    std::wstring out;  // as given
    ImageFormat format = ImageFormat::Bmp;  // from out's extension, as a save decides
    bool quiet = false;
};

struct CommandLine {
    enum class Kind { Interactive, Open, Capture, Usage, Invalid };
    Kind kind = Kind::Interactive;
    std::wstring file;       // Kind::Open
    CaptureRequest capture;  // Kind::Capture
    // Kind::Invalid: one line in English naming the faulty argument as it was typed, e.g.
    // L"/capture: \"area:1,2,0,4\": the width must be at least 1".
    std::wstring error;
    bool quiet = false;  // also for Kind::Invalid: /quiet was among the arguments
};

// The arguments after the program's own name, as CommandLineToArgvW splits them.
//
// Every argument that begins with "/" or "-" is a switch, also where a value is expected: a
// file whose name begins with "-" is given as ".\-name". Switch names and the source word are
// compared without regard to ASCII case. A rectangle is "area:X,Y,W,H": four decimal integers
// separated by single commas, each with an optional leading "-" (a "+" is refused), no spaces.
// /? goes alone. The first fault in argument order is reported, then those of the combination
// (a file with switches, /out without /capture, ...); control characters of an argument show
// as "?" in the message.
CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments);

// The usage text /? prints: several lines, each ending in "\n", naming every form and switch,
// with one example of each form.
std::wstring CommandLineUsage();

}  // namespace pw
