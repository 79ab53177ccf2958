#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/document_names.h"

namespace pw {
namespace {

TEST(GetFileNameTest, TakesWhatFollowsTheLastBackslash) {
    const struct {
        std::wstring path;
        std::wstring name;
    } cases[] = {
        {L"C:\\pics\\a.bmp", L"a.bmp"},
        {L"a.bmp", L"a.bmp"},
        {L"C:\\pics\\", L""},
        {L"", L""},
        {L"C:a.bmp", L"C:a.bmp"},
        {L"\\\\server\\share\\pic.bmp", L"pic.bmp"},
        {L"\\\\server\\share\\", L""},
        {L"C:/pics/a.bmp", L"C:/pics/a.bmp"},  // only the backslash separates
        {L"\\a.bmp", L"a.bmp"},
        {L"\\", L""},
        {L"C:\\图片\\截图 1.jpg", L"截图 1.jpg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetFileName(c.path), c.name) << std::string(c.path.begin(), c.path.end());
    }
}

TEST(GetFileNameTest, HasNoLengthLimit) {
    // Far beyond what a 16-bit counter could hold.
    const std::wstring name(70000, L'n');
    const std::wstring path = L"C:\\" + std::wstring(40000, L'd') + L"\\" + name;
    EXPECT_EQ(GetFileName(path), name);
    EXPECT_EQ(GetFileName(std::wstring(40000, L'x')), std::wstring(40000, L'x'));
}

TEST(OpenedFileCaptionTest, NameAndSizeInTwipsAsTheToolkitWritesThem) {
    EXPECT_EQ(OpenedFileCaption(L"shot", L"a.bmp", 9600.0f, 7200.0f),
              L"shot\u2500[a.bmp(9600x7200) ]");
    EXPECT_EQ(OpenedFileCaption(L"Pixelwren", L"", 15.0f, 0.0f), L"Pixelwren\u2500[(15x0) ]");
    EXPECT_EQ(OpenedFileCaption(L"影雀", L"照片.jpg", 7.5f, 28800.0f),
              L"影雀\u2500[照片.jpg(7.5x28800) ]");

    const struct {
        float value;
        const wchar_t* text;
    } numbers[] = {
        {0.0f, L"0"},
        {-0.0f, L"0"},
        {1.0f, L"1"},
        {9600.0f, L"9600"},
        {7.5f, L"7.5"},
        {0.5f, L"0.5"},
        {-12.0f, L"-12"},
        {1234567.0f, L"1234567"},
        {9999999.0f, L"9999999"},
        {10000000.0f, L"1E+07"},
        {12345678.0f, L"1.234568E+07"},
        {0.0001f, L"0.0001"},
        {0.000015f, L"1.5E-05"},
        {1.0f / 3.0f, L"0.3333333"},
        {28807.5f, L"28807.5"},
        {16383.75f, L"16383.75"},
        {3e38f, L"3E+38"},
    };
    for (const auto& n : numbers) {
        EXPECT_EQ(FormatSingle(n.value), n.text) << n.value;
    }
}

TEST(DocumentTextsTest, FilterAndProgramName) {
    const std::wstring filter = DialogFilterText(kImageFileFilter);
    EXPECT_EQ(filter,
              std::wstring(L"Bmp (*.bmp)\0*.bmp\0JPGE(*.jpg)\0*.jpg\0PNG (*.png)\0*.png\0\0", 55));
    // The open dialog: the same entries at the same places, then every format that opens.
    using namespace std::string_literals;
    EXPECT_EQ(DialogFilterText(kOpenFileFilter),
              filter.substr(0, 54) +
                  L"所有图片(*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff)\0"
                  L"*.bmp;*.jpg;*.jpeg;*.png;*.gif;*.tif;*.tiff\0\0"s);
    EXPECT_EQ(WithoutExtension(L"Pixelwren.exe"), L"Pixelwren");
    EXPECT_EQ(WithoutExtension(L"pw.win.tests.exe"), L"pw.win.tests");
    EXPECT_EQ(WithoutExtension(L"noext"), L"noext");
    EXPECT_EQ(WithoutExtension(L""), L"");
}

TEST(SaveFormatTest, ExtensionDecidesAndFilterEntryOtherwise) {
    using F = ImageFormat;
    // Rows: a name; columns: what is written with filter entry 1, 2, 3 selected.
    const struct {
        std::wstring name;
        F entry1, entry2, entry3;
    } cases[] = {
        {L"x.bmp", F::Bmp, F::Bmp, F::Bmp},
        {L"x.BMP", F::Bmp, F::Bmp, F::Bmp},
        {L"x.Bmp", F::Bmp, F::Bmp, F::Bmp},
        {L"x.jpg", F::Jpeg, F::Jpeg, F::Jpeg},
        {L"x.JPG", F::Jpeg, F::Jpeg, F::Jpeg},
        {L"x.jpeg", F::Jpeg, F::Jpeg, F::Jpeg},
        {L"x.JPEG", F::Jpeg, F::Jpeg, F::Jpeg},
        {L"x.png", F::Png, F::Png, F::Png},
        {L"x.PNG", F::Png, F::Png, F::Png},
        {L"x.gif", F::Bmp, F::Jpeg, F::Png},
        {L"x", F::Bmp, F::Jpeg, F::Png},
        {L"x.", F::Bmp, F::Jpeg, F::Png},
        {L"x.png.txt", F::Bmp, F::Jpeg, F::Png},
        {L"x.txt.png", F::Png, F::Png, F::Png},
        {L"C:\\a.jpg\\x", F::Bmp, F::Jpeg, F::Png},
        {L"C:\\a.b\\x.jpe", F::Bmp, F::Jpeg, F::Png},
        {L"C:\\pics\\photo.Jpg", F::Jpeg, F::Jpeg, F::Jpeg},
        {L".png", F::Png, F::Png, F::Png},
    };
    for (const auto& c : cases) {
        const std::string name(c.name.begin(), c.name.end());
        EXPECT_EQ(SaveFormatFor(c.name, 1), c.entry1) << name;
        EXPECT_EQ(SaveFormatFor(c.name, 2), c.entry2) << name;
        EXPECT_EQ(SaveFormatFor(c.name, 3), c.entry3) << name;
        // No entry or one that does not exist counts as the first.
        EXPECT_EQ(SaveFormatFor(c.name, 0), c.entry1) << name;
        EXPECT_EQ(SaveFormatFor(c.name, 4), c.entry1) << name;
    }
}

// A JPEG as a camera writes it, in miniature: an EXIF segment holding a whole thumbnail,
// tables whose bytes look like markers, a progressive picture's two scans with a restart
// marker and stuffed FF bytes in their data, and the end marker.
std::string Jpeg() {
    using namespace std::string_literals;
    return "\xFF\xD8"s
           "\xFF\xE1\x00\x12"s
           "Exif\0\0"s
           "\xFF\xD8\xFF\xDA\x00\x02\x11\xFF\xD9\x00"s
           "\xFF\xDB\x00\x06\x00\xFF\xD9\xFF"s
           "\xFF\xC2\x00\x04\x08\x00"s
           "\xFF\xDA\x00\x04\xFF\xDA"s
           "\x12\xFF\x00\x34\xFF\xD0\x56"s
           "\xFF\xC4\x00\x05\xFF\xD9\x00"s
           "\xFF\xDA\x00\x03\x01"s
           "\x78\xFF\x00\x9A"s
           "\xFF\xD9"s;
}

TEST(JpegEndTest, TheMainPictureMustReachItsEndMarker) {
    using namespace std::string_literals;
    const std::string whole = Jpeg();
    // What phones and editors append: a video, a trailer, another JPEG.
    const std::string trailer =
        "\0\0\0\x18"s
        "ftypmp42"s
        "\xFF\xD9\xFF\xD8\xFF\xDA\x00\x05"s;
    const struct {
        const char* what;
        std::string file;
        bool missing;
    } cases[] = {
        {"whole", whole, false},
        {"with a trailer", whole + trailer, false},
        {"with another JPEG after it", whole + whole.substr(0, 40), false},
        {"fill bytes before the end marker", whole.substr(0, whole.size() - 1) + "\xFF\xD9"s,
         false},
        {"the end marker gone", whole.substr(0, whole.size() - 2), true},
        {"the end marker gone, a thumbnail's left", whole.substr(0, 30), true},
        {"nothing after the start marker", "\xFF\xD8"s, true},
        {"a segment length below 2: for the decoder", "\xFF\xD8\xFF\xE0\x00\x01\x00"s, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JpegEndMissing(c.file), c.missing) << c.what;
    }
    // Cut anywhere before its end, with or without a trailer that holds no end marker.
    for (size_t size = 2; size < whole.size(); ++size) {
        EXPECT_TRUE(JpegEndMissing(whole.substr(0, size))) << size;
        EXPECT_TRUE(JpegEndMissing(whole.substr(0, size) + "ftyp\xFF\xD8\xFF\xDA"s)) << size;
    }
}

}  // namespace
}  // namespace pw
