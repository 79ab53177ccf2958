#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "core/ids.h"
#include "document/image_file.h"
#include "files.h"
#include "main_window_fixture.h"
#include "platform/failure.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "support.h"

namespace pw {
namespace {

using test::Bytes;

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = std::byte(v & 0xFF);
    b[at + 1] = std::byte((v >> 8) & 0xFF);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// A bitmap file's headers (BITMAPINFOHEADER) and `bits` bytes of pixel data.
Bytes BitmapFile(int32_t width, int32_t height, uint16_t bitCount, uint32_t compression,
                 size_t bits, uint32_t offBits = 54, uint16_t planes = 1,
                 uint32_t headerSize = 40) {
    Bytes b(54 + bits, std::byte{0x5A});
    b[0] = std::byte{'B'};
    b[1] = std::byte{'M'};
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 6, 0);
    Put32(b, 10, offBits);
    Put32(b, 14, headerSize);
    Put32(b, 18, static_cast<uint32_t>(width));
    Put32(b, 22, static_cast<uint32_t>(height));
    Put16(b, 26, planes);
    Put16(b, 28, bitCount);
    Put32(b, 30, compression);
    Put32(b, 34, 0);
    Put32(b, 38, 2835);
    Put32(b, 42, 2835);
    Put32(b, 46, 0);
    Put32(b, 50, 0);
    return b;
}

uint32_t Crc32(const Bytes& data, size_t from, size_t count) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < from + count; ++i) {
        crc ^= std::to_integer<uint32_t>(data[i]);
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void PngChunk(Bytes& png, const char* type, const Bytes& data) {
    const auto be32 = [&](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8) {
            png.push_back(std::byte((v >> s) & 0xFF));
        }
    };
    be32(static_cast<uint32_t>(data.size()));
    const size_t start = png.size();
    for (int i = 0; i < 4; ++i) {
        png.push_back(std::byte(type[i]));
    }
    png.insert(png.end(), data.begin(), data.end());
    be32(Crc32(png, start, 4 + data.size()));
}

// A PNG whose header declares this size, with correct checksums, and a little compressed data.
Bytes PngDeclaring(uint32_t width, uint32_t height) {
    Bytes png = test::ToBytes("\x89PNG\r\n\x1a\n");
    Bytes header(13, std::byte{0});
    for (int i = 0; i < 4; ++i) {
        header[i] = std::byte((width >> (24 - 8 * i)) & 0xFF);
        header[4 + i] = std::byte((height >> (24 - 8 * i)) & 0xFF);
    }
    header[8] = std::byte{8};  // bit depth
    header[9] = std::byte{2};  // RGB
    PngChunk(png, "IHDR", header);
    PngChunk(png, "IDAT",
             test::ToBytes(std::string("\x78\x9c\x63\x60\x00\x00\x00\x02\x00\x01", 10)));
    PngChunk(png, "IEND", {});
    return png;
}

Bytes Join(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Cut(const Bytes& whole, size_t length) {
    return Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
}

Bytes Noise(size_t size, uint32_t seed) {
    Bytes b(size);
    for (auto& v : b) {
        seed = seed * 1664525u + 1013904223u;
        v = std::byte(seed >> 24);
    }
    return b;
}

struct Sample {
    std::string what;
    std::wstring path;
};

// Files that are not pictures, or not whole ones, made in `folder`.
std::vector<Sample> MakeCorpus(const test::ScratchFolder& folder) {
    std::vector<Sample> corpus;
    int n = 0;
    const auto add = [&](std::string what, const Bytes& bytes, const wchar_t* extension) {
        const std::wstring path = folder / (L"sample" + std::to_wstring(++n) + extension);
        test::WriteBytes(path, bytes);
        corpus.push_back({std::move(what), path});
    };
    const Picture picture = test::PatternPicture(40, 30);
    const Bytes bmp = EncodePicture(picture, ImageFormat::Bmp);
    const Bytes png = EncodePicture(picture, ImageFormat::Png);
    const Bytes jpeg = EncodePicture(picture, ImageFormat::Jpeg);

    add("zero bytes", {}, L".bmp");
    add("zero bytes, named as a JPEG", {}, L".jpg");
    add("text", test::ToBytes("This is not a picture.\r\n"), L".bmp");
    add("zeros", Bytes(4096, std::byte{0}), L".jpg");
    add("noise", Noise(5000, 1), L".png");
    add("bitmap magic and noise", Join(test::ToBytes("BM"), Noise(3000, 2)), L".bmp");
    add("PNG signature and noise", Join(test::ToBytes("\x89PNG\r\n\x1a\n"), Noise(3000, 3)),
        L".png");
    add("JPEG start and noise", Join(test::ToBytes("\xFF\xD8\xFF\xE0"), Noise(3000, 4)), L".jpg");
    add("GIF signature and noise", Join(test::ToBytes("GIF89a"), Noise(3000, 5)), L".gif");
    add("one byte", test::ToBytes("B"), L".bmp");
    for (size_t cut : {1, 2, 6, 14, 18, 30, 53, 54, 55, 600, static_cast<int>(bmp.size() / 2),
                       static_cast<int>(bmp.size() - 1)}) {
        add("bitmap cut at " + std::to_string(cut), Cut(bmp, cut), L".bmp");
    }
    for (size_t cut : {1, 4, 8, 12, 20, 33, 41, 60, static_cast<int>(png.size() / 2),
                       static_cast<int>(png.size() - 13), static_cast<int>(png.size() - 1)}) {
        add("PNG cut at " + std::to_string(cut), Cut(png, cut), L".png");
    }
    for (size_t cut : {1, 2, 3, 4, 20, 100, 200, static_cast<int>(jpeg.size() / 3),
                       static_cast<int>(jpeg.size() / 2), static_cast<int>(jpeg.size() - 10),
                       static_cast<int>(jpeg.size() - 2), static_cast<int>(jpeg.size() - 1)}) {
        add("JPEG cut at " + std::to_string(cut), Cut(jpeg, cut), L".jpg");
    }
    // An application segment holding a small JPEG of its own, end marker and all, then the
    // picture's own data cut short.
    Bytes thumbnail =
        test::ToBytes(std::string("\xFF\xD8\xFF\xE1\0\x10"
                                  "Exif\0\0\xFF\xD8\xFF\xDA\0\0\xFF\xD9",
                                  20));
    thumbnail.insert(thumbnail.end(), jpeg.begin() + 2,
                     jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() * 2 / 3));
    add("JPEG with a whole thumbnail, cut short", thumbnail, L".jpg");
    add("bitmap of 30000 by 30000 pixels", BitmapFile(30000, 30000, 24, BI_RGB, 4096), L".bmp");
    add("bitmap of 2^31-1 by 1 pixels", BitmapFile(0x7FFFFFFF, 1, 24, BI_RGB, 4096), L".bmp");
    add("bitmap of 1 by 2^31-1 pixels", BitmapFile(1, 0x7FFFFFFF, 32, BI_RGB, 4096), L".bmp");
    add("bitmap of 4000 by 4000 with 100 bytes", BitmapFile(4000, 4000, 24, BI_RGB, 100), L".bmp");
    add("bitmap of -40 width", BitmapFile(-40, 30, 24, BI_RGB, 3600), L".bmp");
    add("bitmap of zero width", BitmapFile(0, 30, 24, BI_RGB, 3600), L".bmp");
    add("bitmap of 7 bits per pixel", BitmapFile(40, 30, 7, BI_RGB, 3600), L".bmp");
    add("bitmap with pixels past the end", BitmapFile(40, 30, 24, BI_RGB, 3600, 0x7FFFFFF0),
        L".bmp");
    add("bitmap of unknown compression", BitmapFile(40, 30, 24, 77, 3600), L".bmp");
    add("bitmap with header size 0", BitmapFile(40, 30, 24, BI_RGB, 3600, 54, 1, 0), L".bmp");
    add("bitmap with header size 2^31", BitmapFile(40, 30, 24, BI_RGB, 3600, 54, 1, 0x80000000u),
        L".bmp");
    add("PNG of 2^31-1 by 2^31-1", PngDeclaring(0x7FFFFFFF, 0x7FFFFFFF), L".png");
    add("PNG of 100000 by 100000", PngDeclaring(100000, 100000), L".png");
    add("PNG of 0 by 10", PngDeclaring(0, 10), L".png");
    add("PNG of 3000 by 3000 with little data", PngDeclaring(3000, 3000), L".png");
    return corpus;
}

// Files the system cannot read at all: a folder, a file another program holds, a missing one.
class MalformedFileTest : public test::DocumentWindowTest {};

TEST_F(MalformedFileTest, EveryBadFileIsReportedAndTheViewStays) {
    std::vector<Sample> corpus = MakeCorpus(m_folder);
    const std::wstring folderNamed = m_folder / L"folder.bmp";
    ::CreateDirectoryW(folderNamed.c_str(), nullptr);
    corpus.push_back({"a folder", folderNamed});
    const std::wstring locked = m_folder / L"locked.bmp";
    test::WriteBytes(locked, EncodePicture(test::PatternPicture(8, 8), ImageFormat::Bmp));
    UniqueKernelHandle holder(::CreateFileW(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(holder.get(), INVALID_HANDLE_VALUE);
    corpus.push_back({"a locked file", locked});
    corpus.push_back({"a missing file", m_folder / L"missing.bmp"});
    corpus.push_back({"a missing folder", m_folder / L"nowhere\\a.bmp"});
    corpus.push_back({"the empty name", L""});
    ASSERT_GE(corpus.size(), 50u);

    m_form.RunCommand(ids::kMnuClient);
    const HBITMAP shown = m_form.PicBmp().GetPicture().Bitmap();
    ASSERT_NE(shown, nullptr);
    wchar_t caption[512] = {};
    ::GetWindowTextW(m_form.Hwnd(), caption, 512);

    for (const Sample& sample : corpus) {
        SCOPED_TRACE(sample.what);
        const size_t boxes = m_boxes.Count();
        m_boxes.Answer(IDNO);  // not to save the capture first
        m_boxes.Answer(IDOK);
        m_dialogs.Confirm(sample.path);
        m_form.RunCommand(ids::kMnuOpen);
        if (m_boxes.Count() != boxes + 2) {
            ADD_FAILURE() << "not reported";
            continue;
        }
        const std::wstring& text = m_boxes.Last().text;
        EXPECT_NE(text.find(L"“" + sample.path + L"”"), std::wstring::npos) << Narrow(text);
        EXPECT_EQ(m_form.PicBmp().GetPicture().Bitmap(), shown);
        EXPECT_TRUE(m_form.ImageUnsaved());
        wchar_t now[512] = {};
        ::GetWindowTextW(m_form.Hwnd(), now, 512);
        EXPECT_STREQ(now, caption);
        EXPECT_TRUE(::IsWindow(m_form.Hwnd()));
    }
}

// Valid files of each format changed by a deterministic generator: bytes flipped, runs
// overwritten with extremes, pieces cut out or repeated. Each must open as some picture or be
// reported with the view kept; none may end the program.
std::vector<Sample> MakeMutations(const test::ScratchFolder& folder, int perFormat) {
    std::vector<Sample> corpus;
    const Picture picture = test::PatternPicture(48, 36);
    const struct {
        ImageFormat format;
        const wchar_t* extension;
    } formats[] = {{ImageFormat::Bmp, L".bmp"}, {ImageFormat::Png, L".png"}, {ImageFormat::Jpeg, L".jpg"}};
    uint32_t seed = 20261207;
    const auto next = [&](uint32_t below) {
        seed = seed * 1664525u + 1013904223u;
        return below == 0 ? 0u : (seed >> 8) % below;
    };
    int n = 0;
    for (const auto& f : formats) {
        const Bytes valid = EncodePicture(picture, f.format);
        for (int i = 0; i < perFormat; ++i) {
            Bytes b = valid;
            std::string what;
            // The headers are where a decoder is most easily misled: most changes go there.
            const auto where = [&] { return next(4) == 0 ? next(static_cast<uint32_t>(b.size())) : next(std::min<uint32_t>(64, static_cast<uint32_t>(b.size()))); };
            switch (i % 4) {
                case 0: {
                    const int flips = 1 + static_cast<int>(next(8));
                    for (int k = 0; k < flips; ++k) {
                        b[where()] ^= std::byte(1u << next(8));
                    }
                    what = std::to_string(flips) + " bits flipped";
                    break;
                }
                case 1: {
                    const size_t at = where();
                    const std::byte fill = next(2) == 0 ? std::byte{0xFF} : std::byte{0x00};
                    for (size_t k = at; k < std::min(b.size(), at + 1 + next(6)); ++k) {
                        b[k] = fill;
                    }
                    what = "run overwritten at " + std::to_string(at);
                    break;
                }
                case 2: {
                    const size_t at = where();
                    const size_t count = std::min<size_t>(1 + next(40), b.size() - at);
                    b.erase(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + count));
                    what = std::to_string(count) + " bytes cut out at " + std::to_string(at);
                    break;
                }
                default: {
                    const size_t at = where();
                    const size_t count = std::min<size_t>(1 + next(40), b.size() - at);
                    const Bytes piece(b.begin() + static_cast<std::ptrdiff_t>(at), b.begin() + static_cast<std::ptrdiff_t>(at + count));
                    b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), piece.begin(), piece.end());
                    what = std::to_string(count) + " bytes repeated at " + std::to_string(at);
                    break;
                }
            }
            const std::wstring path = folder / (L"mutation" + std::to_wstring(++n) + f.extension);
            test::WriteBytes(path, b);
            corpus.push_back({Narrow(f.extension) + ": " + what, path});
        }
    }
    return corpus;
}

TEST_F(MalformedFileTest, MutatedFilesOpenAsSomePictureOrAreReported) {
    const std::vector<Sample> corpus = MakeMutations(m_folder, 60);
    ASSERT_EQ(corpus.size(), 180u);
    // A picture to keep, opened rather than captured, so that no question comes first.
    const std::wstring start = m_folder / L"start.bmp";
    SavePictureFile(test::PatternPicture(8, 8), start, ImageFormat::Bmp);
    m_dialogs.Confirm(start);
    m_form.RunCommand(ids::kMnuOpen);
    ASSERT_EQ(m_boxes.Count(), 0u);
    int opened = 0;
    int reported = 0;
    for (const Sample& sample : corpus) {
        SCOPED_TRACE(sample.what);
        const Picture before = m_form.PicBmp().GetPicture();
        const size_t boxes = m_boxes.Count();
        // Which mutations are refused only decoding tells: the open command must agree.
        bool readable = true;
        try {
            LoadPictureFile(sample.path);
        } catch (const Failure&) {
            readable = false;
            m_boxes.Answer(IDOK);
        }
        m_dialogs.Confirm(sample.path);
        m_form.RunCommand(ids::kMnuOpen);
        ASSERT_TRUE(::IsWindow(m_form.Hwnd()));
        EXPECT_EQ(m_boxes.Count() == boxes, readable);
        if (m_boxes.Count() == boxes) {
            // Opened: a picture of a sane size is shown.
            const Size size = m_form.PicBmp().GetPicture().SizeInPixels();
            EXPECT_FALSE(m_form.PicBmp().GetPicture() == before);
            EXPECT_GT(size.width, 0);
            EXPECT_GT(size.height, 0);
            EXPECT_LE(static_cast<int64_t>(size.width) * size.height, int64_t{1} << 28);
            ++opened;
        } else {
            ASSERT_EQ(m_boxes.Count(), boxes + 1);
            EXPECT_NE(m_boxes.Last().text.find(sample.path), std::wstring::npos);
            EXPECT_TRUE(m_form.PicBmp().GetPicture() == before);
            ++reported;
        }
    }
    // Both outcomes occur: the mutations are neither all harmless nor all fatal.
    EXPECT_GT(opened, 10);
    EXPECT_GT(reported, 10);
    RecordProperty("opened", opened);
    RecordProperty("reported", reported);
}

}  // namespace
}  // namespace pw
