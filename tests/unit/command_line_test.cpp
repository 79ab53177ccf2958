#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "core/command_line.h"

namespace pw {
namespace {

using Kind = CommandLine::Kind;
using Source = CaptureRequest::Source;

TEST(CommandLineTest, EachFormGivesItsFields) {
    struct Case {
        std::vector<std::wstring> arguments;
        Kind kind;
        std::wstring file = {};
        Source source = Source::Screen;
        Rect area = {};
        std::wstring out = {};
        ImageFormat format = ImageFormat::Bmp;
        bool quiet = false;
    };
    const Case cases[] = {
        {{}, Kind::Interactive},
        {{L"C:\\shots\\截图 1.png"}, Kind::Open, L"C:\\shots\\截图 1.png"},
        {{L"/capture", L"screen", L"/out", L"a.png"},
         Kind::Capture,
         {},
         Source::Screen,
         {},
         L"a.png",
         ImageFormat::Png},
        {{L"/quiet", L"-CAPTURE", L"Window", L"-Out", L"D:\\x\\shot.JPEG"},
         Kind::Capture,
         {},
         Source::Window,
         {},
         L"D:\\x\\shot.JPEG",
         ImageFormat::Jpeg,
         true},
        // A monitor left of and above the primary.
        {{L"/out", L"left.gif", L"/capture", L"area:-1920,-40,800,600"},
         Kind::Capture,
         {},
         Source::Area,
         {-1920, -40, -1120, 560},
         L"left.gif",
         ImageFormat::Bmp},
        // The right and bottom edges at the last 32-bit value.
        {{L"/capture", L"AREA:2147483646,0,1,2147483647", L"/out", L"noext", L"/Quiet"},
         Kind::Capture,
         {},
         Source::Area,
         {2147483646, 0, INT32_MAX, INT32_MAX},
         L"noext",
         ImageFormat::Bmp,
         true},
        {{L"-capture", L"Area:-2147483648,007,2147483647,1", L"-out", L"a.jpg"},
         Kind::Capture,
         {},
         Source::Area,
         {INT32_MIN, 7, -1, 8},
         L"a.jpg",
         ImageFormat::Jpeg},
        {{L"/?"}, Kind::Usage},
        {{L"-?"}, Kind::Usage},
        {{L"/HELP"}, Kind::Usage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.kind, c.kind);
        EXPECT_EQ(line.error, L"");
        EXPECT_EQ(line.file, c.file);
        EXPECT_EQ(line.quiet, c.quiet);
        EXPECT_EQ(line.capture.quiet, c.quiet);
        if (c.kind == Kind::Capture) {
            EXPECT_EQ(line.capture.source, c.source);
            EXPECT_EQ(line.capture.out, c.out);
            EXPECT_EQ(line.capture.format, c.format);
        }
        if (c.source == Source::Area) {
            EXPECT_EQ(line.capture.area, c.area);
        }
    }
}

TEST(CommandLineTest, AFaultyLineNamesTheArgumentOnOneLine) {
    struct Case {
        std::vector<std::wstring> arguments;
        std::wstring named;  // a part of the message
        bool quiet = false;
    };
    const auto area = [](const wchar_t* value) {
        return std::vector<std::wstring>{L"/capture", value, L"/out", L"a.png"};
    };
    const Case cases[] = {
        {{L"/quiet"}, L"/quiet: goes only with /capture", true},
        {{L"/out", L"a.png"}, L"/out: goes only with /capture"},
        {{L"/capture", L"screen"}, L"/capture: /out FILE is missing"},
        {{L"/capture", L"screen", L"/out", L"a.png", L"/verbose"}, L"/verbose: unknown switch"},
        {{L"/verbose", L"/quiet"}, L"/verbose: unknown switch", true},
        {{L"/"}, L"/: unknown switch"},
        {{L"/out:a.png", L"/capture", L"screen"}, L"/out:a.png: unknown switch"},
        {{L"/capture", L"screen", L"/out", L"a.png", L"/CAPTURE", L"window"},
         L"/CAPTURE: given twice"},
        {{L"/capture", L"screen", L"-out", L"a.png", L"/out", L"b.png"}, L"/out: given twice"},
        {{L"/quiet", L"/capture", L"screen", L"/out", L"a.png", L"-QUIET"},
         L"-QUIET: given twice",
         true},
        {{L"/out", L"a.png", L"/capture"}, L"/capture: the source is missing"},
        {{L"/capture", L"/out", L"a.png"}, L"/capture: the source is missing"},
        {{L"/capture", L"screen", L"/out"}, L"/out: the file name is missing"},
        {{L"/capture", L"screen", L"/out", L"/quiet"}, L"/out: the file name is missing", true},
        {{L"/capture", L"screen", L"/out", L"-a.png"}, L"/out: the file name is missing"},
        {{L"/capture", L"screen", L"/out", L""}, L"/out: the file name is empty"},
        {area(L"desktop"), L"\"desktop\": unknown source"},
        {area(L"screen:1"), L"\"screen:1\": unknown source"},
        {area(L""), L"\"\": unknown source"},
        {area(L"scr\neen"), L"\"scr?een\": unknown source"},
        {area(L"area"), L"\"area\": the rectangle is missing"},
        {area(L"area:"), L"\"area:\": the rectangle must be X,Y,W,H"},
        {area(L"area:1,2,3"), L"\"area:1,2,3\": the rectangle must be X,Y,W,H"},
        {area(L"area:1,2,3,4,5"), L"\"area:1,2,3,4,5\": the rectangle must be X,Y,W,H"},
        {area(L"area:1,2,3,4,"), L"\"area:1,2,3,4,\": the rectangle must be X,Y,W,H"},
        {area(L"area:1;2;3;4"), L"\"area:1;2;3;4\": the rectangle must be X,Y,W,H"},
        {area(L"area:1,,3,4"), L"\"area:1,,3,4\": Y must be digits"},
        {area(L"area:1, 2,3,4"), L"\"area:1, 2,3,4\": Y must be digits"},
        {area(L"area:1,2,3,4 "), L"\"area:1,2,3,4 \": H must be digits"},
        {area(L"area:+1,2,3,4"), L"\"area:+1,2,3,4\": X must be digits"},
        {area(L"area:--1,2,3,4"), L"\"area:--1,2,3,4\": X must be digits"},
        {area(L"area:-,2,3,4"), L"\"area:-,2,3,4\": X must be digits"},
        {area(L"area:1,2-,3,4"), L"\"area:1,2-,3,4\": Y must be digits"},
        {area(L"area:1,2,0x10,4"), L"\"area:1,2,0x10,4\": W must be digits"},
        {area(L"area:1,2,0,4"), L"/capture: \"area:1,2,0,4\": the width must be at least 1"},
        {area(L"area:1,2,3,-4"), L"\"area:1,2,3,-4\": the height must be at least 1"},
        {area(L"area:2147483648,0,1,1"), L"\": X does not fit a 32-bit"},
        {area(L"area:0,-2147483649,1,1"), L"\": Y does not fit a 32-bit"},
        // 2^64 + 1: 1 once wrapped in 64 bits.
        {area(L"area:0,0,18446744073709551617,1"), L"\": W does not fit a 32-bit"},
        {area(L"area:2147483647,0,1,1"), L"\"area:2147483647,0,1,1\": X+W"},
        {area(L"area:0,2147483000,1,648"), L"\"area:0,2147483000,1,648\": Y+H"},
        {{L"a.png", L"b.png"}, L"\"b.png\": only one file"},
        {{L"a.png", L"/quiet"}, L"\"a.png\": unexpected argument", true},
        {{L"/capture", L"screen", L"/out", L"a.png", L"extra"}, L"\"extra\": unexpected argument"},
        {{L""}, L"\"\": the file name is empty"},
        {{L"/?", L"/capture", L"screen", L"/out", L"a.png"}, L"/?: goes alone"},
        {{L"/help", L"/quiet"}, L"/help: goes alone", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        const CommandLine line = ParseCommandLine(c.arguments);
        EXPECT_EQ(line.kind, Kind::Invalid);
        EXPECT_NE(line.error.find(c.named), std::wstring::npos)
            << testing::PrintToString(line.error);
        EXPECT_EQ(line.error.find(L'\n'), std::wstring::npos);
        EXPECT_EQ(line.quiet, c.quiet);
    }
}

TEST(CommandLineTest, TheUsageNamesEverySwitchAndItsExamplesAreOneOfEachForm) {
    const std::wstring usage = CommandLineUsage();
    ASSERT_TRUE(usage.ends_with(L"\n"));
    for (const wchar_t* name : {L"/capture", L"/out", L"/quiet", L"/?", L"-?", L"/help", L"FILE",
                                L"screen", L"window", L"area:X,Y,W,H"}) {
        EXPECT_NE(usage.find(name), std::wstring::npos) << testing::PrintToString(name);
    }
    // The examples follow their heading, one a line, with arguments split at spaces outside
    // double quotes.
    std::wistringstream lines(usage.substr(usage.find(L"Examples:\n") + 10));
    std::vector<Kind> kinds;
    for (std::wstring line; std::getline(lines, line);) {
        std::vector<std::wstring> arguments;
        std::wistringstream words(line);
        for (std::wstring word; words >> std::quoted(word, L'"', L'\0');) {
            arguments.push_back(word);
        }
        ASSERT_FALSE(arguments.empty());
        EXPECT_EQ(arguments[0], L"Pixelwren.exe");
        arguments.erase(arguments.begin());
        kinds.push_back(ParseCommandLine(arguments).kind);
    }
    EXPECT_EQ(kinds,
              (std::vector<Kind>{Kind::Interactive, Kind::Open, Kind::Capture, Kind::Usage}));
}

}  // namespace
}  // namespace pw
