#include "core/command_line.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace pw {

namespace {

enum class Switch { Capture, Out, Quiet, Usage, Unknown };
constexpr size_t kKnownSwitches = 4;

bool IsSwitch(std::wstring_view argument) {
    return !argument.empty() && (argument.front() == L'/' || argument.front() == L'-');
}

Switch SwitchOf(std::wstring_view argument) {
    const std::wstring name = LowerAscii(argument.substr(1));
    if (name == L"capture") {
        return Switch::Capture;
    }
    if (name == L"out") {
        return Switch::Out;
    }
    if (name == L"quiet") {
        return Switch::Quiet;
    }
    if (name == L"?" || name == L"help") {
        return Switch::Usage;
    }
    return Switch::Unknown;
}

// An argument as a message shows it: a quoted argument can hold a line break or a tab, and
// the message must stay one line.
std::wstring Shown(std::wstring_view argument) {
    std::wstring shown(argument);
    for (wchar_t& c : shown) {
        if (c < L' ' || c == L'\x7f') {
            c = L'?';
        }
    }
    return shown;
}

std::wstring Quoted(std::wstring_view argument) {
    return L"\"" + Shown(argument) + L"\"";
}

enum class Number { Valid, Malformed, TooLarge };

// Decimal digits with an optional leading "-", within 32 bits.
Number ParseInt32(std::wstring_view text, int32_t& value) {
    const bool negative = !text.empty() && text.front() == L'-';
    if (negative) {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return Number::Malformed;
    }
    constexpr int64_t kBeyond = int64_t{std::numeric_limits<int32_t>::max()} + 2;
    int64_t magnitude = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return Number::Malformed;
        }
        // Stops growing once past 32 bits, so that any number of digits cannot wrap.
        magnitude = magnitude < kBeyond ? magnitude * 10 + (c - L'0') : kBeyond;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue < std::numeric_limits<int32_t>::min() ||
        signedValue > std::numeric_limits<int32_t>::max()) {
        return Number::TooLarge;
    }
    value = static_cast<int32_t>(signedValue);
    return Number::Valid;
}

// "X,Y,W,H" into a rectangle; the fault in words, or an empty text.
std::wstring ParseArea(std::wstring_view text, Rect& area) {
    static constexpr const wchar_t* kNames[4] = {L"X", L"Y", L"W", L"H"};
    int32_t values[4] = {};
    for (int i = 0; i < 4; ++i) {
        const size_t comma = text.find(L',');
        if ((comma == std::wstring_view::npos) != (i == 3)) {
            return L"the rectangle must be X,Y,W,H: four integers separated by commas";
        }
        const std::wstring_view part = text.substr(0, comma);
        switch (ParseInt32(part, values[i])) {
            case Number::Valid:
                break;
            case Number::Malformed:
                return std::wstring(kNames[i]) + L" must be digits with an optional leading \"-\"";
            case Number::TooLarge:
                return std::wstring(kNames[i]) + L" does not fit a 32-bit signed integer";
        }
        text.remove_prefix(i < 3 ? comma + 1 : text.size());
    }
    const auto [x, y, width, height] = values;
    if (width < 1) {
        return L"the width must be at least 1";
    }
    if (height < 1) {
        return L"the height must be at least 1";
    }
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    if (int64_t{x} + width > kMax) {
        return L"X+W, the right edge, exceeds 2147483647";
    }
    if (int64_t{y} + height > kMax) {
        return L"Y+H, the bottom edge, exceeds 2147483647";
    }
    area = Rect{x, y, x + width, y + height};
    return {};
}

// The value of /capture into the request; the fault in words, or an empty text.
std::wstring ParseSource(std::wstring_view value, CaptureRequest& request) {
    constexpr std::wstring_view kAreaPrefix = L"area:";
    const std::wstring word = LowerAscii(value);
    if (word == L"screen") {
        request.source = CaptureRequest::Source::Screen;
        return {};
    }
    if (word == L"window") {
        request.source = CaptureRequest::Source::Window;
        return {};
    }
    if (word == L"area") {
        return L"the rectangle is missing: area:X,Y,W,H";
    }
    if (word.starts_with(kAreaPrefix)) {
        request.source = CaptureRequest::Source::Area;
        return ParseArea(value.substr(kAreaPrefix.size()), request.area);
    }
    return L"unknown source; screen, window or area:X,Y,W,H";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments) {
    CommandLine result;
    // Known before any fault, so that a quiet script gets no message box for a bad call either.
    for (const std::wstring& argument : arguments) {
        result.quiet = result.quiet || (IsSwitch(argument) && SwitchOf(argument) == Switch::Quiet);
    }
    const auto fail = [&result](std::wstring error) {
        result.kind = CommandLine::Kind::Invalid;
        result.error = std::move(error);
        return result;
    };

    // Each switch as it was typed, once seen.
    std::optional<std::wstring> typed[kKnownSwitches];
    const auto typedAs = [&typed](Switch s) -> std::optional<std::wstring>& {
        return typed[static_cast<size_t>(s)];
    };
    std::vector<size_t> loose;
    CaptureRequest request;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        if (!IsSwitch(argument)) {
            loose.push_back(i);
            continue;
        }
        const Switch s = SwitchOf(argument);
        if (s == Switch::Unknown) {
            return fail(Shown(argument) + L": unknown switch");
        }
        if (typedAs(s)) {
            return fail(Shown(argument) + L": given twice");
        }
        typedAs(s) = argument;
        if (s != Switch::Capture && s != Switch::Out) {
            continue;
        }
        if (i + 1 == arguments.size() || IsSwitch(arguments[i + 1])) {
            return fail(Shown(argument) + (s == Switch::Capture ? L": the source is missing"
                                                                : L": the file name is missing"));
        }
        const std::wstring& value = arguments[++i];
        if (s == Switch::Capture) {
            const std::wstring fault = ParseSource(value, request);
            if (!fault.empty()) {
                return fail(Shown(argument) + L": " + Quoted(value) + L": " + fault);
            }
        } else if (value.empty()) {
            return fail(Shown(argument) + L": the file name is empty");
        } else {
            request.out = value;
        }
    }

    if (const auto& usage = typedAs(Switch::Usage)) {
        if (arguments.size() > 1) {
            return fail(Shown(*usage) + L": goes alone, without other arguments");
        }
        result.kind = CommandLine::Kind::Usage;
        return result;
    }
    if (!loose.empty()) {
        if (loose.size() < arguments.size()) {
            return fail(Quoted(arguments[loose[0]]) +
                        L": unexpected argument; a file to open goes alone, without switches");
        }
        if (loose.size() > 1) {
            return fail(Quoted(arguments[loose[1]]) + L": only one file can be opened");
        }
        if (arguments[0].empty()) {
            return fail(L"\"\": the file name is empty");
        }
        result.kind = CommandLine::Kind::Open;
        result.file = arguments[0];
        return result;
    }
    if (!typedAs(Switch::Capture)) {
        for (const Switch s : {Switch::Out, Switch::Quiet}) {
            if (const auto& alone = typedAs(s)) {
                return fail(Shown(*alone) + L": goes only with /capture");
            }
        }
        return result;
    }
    if (!typedAs(Switch::Out)) {
        return fail(Shown(*typedAs(Switch::Capture)) + L": /out FILE is missing");
    }
    request.format = SaveFormatFor(request.out, 1);
    request.quiet = result.quiet;
    result.kind = CommandLine::Kind::Capture;
    result.capture = request;
    return result;
}

std::wstring CommandLineUsage() {
    return L"Usage:\n"
           L"  Pixelwren.exe                 start Pixelwren\n"
           L"  Pixelwren.exe FILE            start Pixelwren and open FILE\n"
           L"  Pixelwren.exe /capture SOURCE /out FILE [/quiet]\n"
           L"                                capture without a window, write FILE and exit\n"
           L"  Pixelwren.exe /?              print this text (also -? or /help)\n"
           L"\n"
           L"SOURCE is one of:\n"
           L"  screen                        the whole screen\n"
           L"  window                        the active window\n"
           L"  area:X,Y,W,H                  W by H physical screen pixels from X,Y; X and Y\n"
           L"                                may be negative (a monitor left of or above\n"
           L"                                the primary one), W and H are at least 1\n"
           L"/out FILE                       the file to write: .bmp, .jpg, .jpeg or .png\n"
           L"                                decides the format, any other name gets BMP\n"
           L"/quiet                          show no message: only the exit code tells\n"
           L"Switches may come in any order, in any case, and with - in place of /.\n"
           L"Exit code: 0 done, 2 the arguments are wrong, 3 the capture or the file failed.\n"
           L"\n"
           L"Examples:\n"
           L"  Pixelwren.exe\n"
           L"  Pixelwren.exe \"C:\\Pictures\\shot 1.png\"\n"
           L"  Pixelwren.exe /capture area:-1920,0,800,600 /out left.png /quiet\n"
           L"  Pixelwren.exe /?\n";
}

}  // namespace pw
