#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "document/file_replace.h"
#include "document/image_file.h"
#include "files.h"
#include "platform/com.h"
#include "platform/failure.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "support.h"

namespace pw {
namespace {

using test::Bytes;

// A picture of 16-pixel squares of strong colours: JPEG's 8x8 blocks and halved colour
// resolution keep such squares close to exact, unlike a pixel-by-pixel pattern.
Picture BlockPicture(int width, int height) {
    const Picture pattern = test::SolidPicture(width, height, RGB(0, 0, 0));
    const HDC dc = ::CreateCompatibleDC(nullptr);
    const HGDIOBJ old = ::SelectObject(dc, pattern.Bitmap());
    for (int y = 0; y < height; y += 16) {
        for (int x = 0; x < width; x += 16) {
            const int k = x / 16 + 3 * (y / 16);
            const HBRUSH brush =
                ::CreateSolidBrush(RGB((k * 70) % 256, (k * 130 + 40) % 256, (k * 200 + 90) % 256));
            const RECT square{x, y, x + 16, y + 16};
            ::FillRect(dc, &square, brush);
            ::DeleteObject(brush);
        }
    }
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return pattern;
}

uint16_t U16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(std::to_integer<unsigned>(b[at]) |
                                 (std::to_integer<unsigned>(b[at + 1]) << 8));
}
uint32_t U32(const Bytes& b, size_t at) {
    return U16(b, at) | (static_cast<uint32_t>(U16(b, at + 2)) << 16);
}
int32_t S32(const Bytes& b, size_t at) {
    return static_cast<int32_t>(U32(b, at));
}

std::string Magic(const Bytes& b) {
    std::string magic;
    for (size_t i = 0; i < 4 && i < b.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", std::to_integer<unsigned>(b[i]));
        magic += hex;
    }
    return magic;
}

TEST(ImageFileTest, SavedFilesOpenAgainWithTheirPixels) {
    test::ScratchFolder folder;
    const struct {
        ImageFormat format;
        const wchar_t* name;
        const char* magic;
        int tolerance;         // per colour channel
        std::string appended;  // after the file's end, as phones and editors append
    } cases[] = {
        {ImageFormat::Bmp, L"a.bmp", "424D", 0, ""},  // "BM"
        {ImageFormat::Png, L"a.png", "89504E47", 0, ""},
        {ImageFormat::Jpeg, L"a.jpg", "FFD8FFE0", 24, ""},
        // A video holding the bytes of JPEG markers: end, start, scan.
        {ImageFormat::Jpeg, L"b.jpg", "FFD8FFE0", 24,
         std::string("\0\0\0\x18"
                     "ftypmp42\xFF\xD9\xFF\xD8\xFF\xDA\0\x0C",
                     20)},
    };
    // An odd width, so that bitmap rows need padding.
    const Picture exact = test::PatternPicture(97, 61);
    const Picture blocks = BlockPicture(97, 61);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.magic);
        const Picture& original = c.tolerance == 0 ? exact : blocks;
        SavePictureFile(original, folder / c.name, c.format);
        Bytes file = test::ReadBytes(folder / c.name);
        const Bytes appended = test::ToBytes(c.appended);
        file.insert(file.end(), appended.begin(), appended.end());
        test::WriteBytes(folder / c.name, file);
        EXPECT_EQ(Magic(test::ReadBytes(folder / c.name)).substr(0, std::strlen(c.magic)), c.magic);
        const Picture opened = LoadPictureFile(folder / c.name);
        ASSERT_EQ(opened.SizeInPixels(), (Size{97, 61}));
        const test::Pixels want = test::ReadBitmap(original.Bitmap());
        const test::Pixels got = test::ReadBitmap(opened.Bitmap());
        int worst = 0;
        for (size_t i = 0; i < want.data.size(); ++i) {
            for (int shift : {0, 8, 16}) {
                const int a = static_cast<int>((want.data[i] >> shift) & 0xFF);
                const int b = static_cast<int>((got.data[i] >> shift) & 0xFF);
                worst = std::max(worst, std::abs(a - b));
            }
        }
        EXPECT_LE(worst, c.tolerance);
    }
    EXPECT_EQ(folder.Names(), (std::vector<std::wstring>{L"a.bmp", L"a.jpg", L"a.png", L"b.jpg"}));
}

// A TIFF of the picture, made by the system's own encoder.
Bytes TiffOf(const Picture& picture) {
    const Size size = picture.SizeInPixels();
    const UINT stride = static_cast<UINT>(size.width) * 4;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * static_cast<size_t>(size.height));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size.width, -size.height, 1, 32, BI_RGB};
    const HDC dc = ::CreateCompatibleDC(nullptr);
    ::GetDIBits(dc, picture.Bitmap(), 0, static_cast<UINT>(size.height), rows.data(), &info,
                DIB_RGB_COLORS);
    ::DeleteDC(dc);
    for (size_t i = 3; i < rows.size(); i += 4) {
        rows[i] = 0xFF;  // opaque
    }
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    EXPECT_HRESULT_SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                                CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                                factory.put_void()));
    EXPECT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(nullptr, TRUE, stream.put()));
    EXPECT_HRESULT_SUCCEEDED(
        factory->CreateEncoder(GUID_ContainerFormatTiff, nullptr, encoder.put()));
    EXPECT_HRESULT_SUCCEEDED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache));
    EXPECT_HRESULT_SUCCEEDED(encoder->CreateNewFrame(frame.put(), options.put()));
    EXPECT_HRESULT_SUCCEEDED(frame->Initialize(options.get()));
    EXPECT_HRESULT_SUCCEEDED(
        frame->SetSize(static_cast<UINT>(size.width), static_cast<UINT>(size.height)));
    EXPECT_HRESULT_SUCCEEDED(frame->SetPixelFormat(&format));
    EXPECT_TRUE(::IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA));
    EXPECT_HRESULT_SUCCEEDED(frame->WritePixels(static_cast<UINT>(size.height), stride,
                                                static_cast<UINT>(rows.size()), rows.data()));
    EXPECT_HRESULT_SUCCEEDED(frame->Commit());
    EXPECT_HRESULT_SUCCEEDED(encoder->Commit());
    STATSTG status{};
    stream->Stat(&status, STATFLAG_NONAME);
    HGLOBAL global = nullptr;
    ::GetHGlobalFromStream(stream.get(), &global);
    const auto* data = static_cast<const std::byte*>(::GlobalLock(global));
    Bytes bytes(data, data + status.cbSize.QuadPart);
    ::GlobalUnlock(global);
    return bytes;
}

TEST(ImageFileTest, GifAndTiffOpenToo) {
    test::ScratchFolder folder;
    // One white pixel.
    test::WriteBytes(folder / L"dot.gif",
                     test::ToBytes(std::string(
                         "GIF89a\x01\0\x01\0\x80\0\0\xFF\xFF\xFF\0\0\0,\0\0\0\0\x01\0\x01\0\0"
                         "\x02\x02\x44\x01\0;",
                         35)));
    const Picture dot = LoadPictureFile(folder / L"dot.gif");
    ASSERT_EQ(dot.SizeInPixels(), (Size{1, 1}));
    EXPECT_EQ(test::ReadBitmap(dot.Bitmap()).At(0, 0), 0xFFFFFFu);

    const Picture pattern = test::PatternPicture(33, 17);
    test::WriteBytes(folder / L"pattern.tif", TiffOf(pattern));
    const Picture opened = LoadPictureFile(folder / L"pattern.tif");
    ASSERT_EQ(opened.SizeInPixels(), (Size{33, 17}));
    EXPECT_EQ(test::ReadBitmap(opened.Bitmap()).data, test::ReadBitmap(pattern.Bitmap()).data);
}

TEST(ImageFileTest, BitmapFileIs24BitBottomUpWithConsistentHeaders) {
    test::ScratchFolder folder;
    const Picture picture = test::PatternPicture(97, 61);
    SavePictureFile(picture, folder / L"b.bmp", ImageFormat::Bmp);
    const Bytes file = test::ReadBytes(folder / L"b.bmp");
    ASSERT_GE(file.size(), 54u);
    const uint32_t stride = 292;  // 97 * 3 = 291, padded to four bytes
    EXPECT_EQ(Magic(file).substr(0, 4), "424D");
    EXPECT_EQ(U32(file, 2), file.size());       // bfSize
    EXPECT_EQ(U32(file, 6), 0u);                // bfReserved1, bfReserved2
    const uint32_t headerSize = U32(file, 14);  // biSize: 40 or a later header
    EXPECT_TRUE(headerSize == 40 || headerSize == 108 || headerSize == 124) << headerSize;
    EXPECT_EQ(U32(file, 10), 14 + headerSize);  // bfOffBits: no colour table
    EXPECT_EQ(S32(file, 18), 97);               // biWidth
    EXPECT_EQ(S32(file, 22), 61);               // biHeight > 0: rows from the bottom
    EXPECT_EQ(U16(file, 26), 1);                // biPlanes
    EXPECT_EQ(U16(file, 28), 24);               // biBitCount
    EXPECT_EQ(U32(file, 30), static_cast<uint32_t>(BI_RGB));
    EXPECT_EQ(file.size(), 14 + headerSize + stride * 61);
    // The first row stored is the picture's bottom row, blue, green, red.
    const size_t bits = 14 + headerSize;
    for (int x : {0, 1, 50, 96}) {
        const uint32_t colour = test::PatternColour(x, 60);
        const size_t at = bits + static_cast<size_t>(x) * 3;
        EXPECT_EQ(std::to_integer<uint32_t>(file[at]), colour & 0xFF) << x;
        EXPECT_EQ(std::to_integer<uint32_t>(file[at + 1]), (colour >> 8) & 0xFF) << x;
        EXPECT_EQ(std::to_integer<uint32_t>(file[at + 2]), (colour >> 16) & 0xFF) << x;
    }
    // And the last one its top row.
    EXPECT_EQ(std::to_integer<uint32_t>(file[bits + stride * 60 + 5 * 3 + 2]),
              (test::PatternColour(5, 0) >> 16) & 0xFF);
}

// Replacement calls that fail as a full disk or a busy file would.
class FailingCalls final : public FileSystemCalls {
  public:
    // ReplaceHalfway: the old file has moved to the backup name when the new one fails to
    // take its place.
    enum class Step { Write, Flush, Replace, ReplaceHalfway };
    FailingCalls(Step step, DWORD error) : m_step(step), m_error(error) {}
    BOOL Write(HANDLE file, const void* data, DWORD size, DWORD* written) const override {
        if (m_step != Step::Write) {
            return FileSystemCalls::Write(file, data, size, written);
        }
        // Half goes to the disk, then it is full.
        FileSystemCalls::Write(file, data, size / 2, written);
        ::SetLastError(m_error);
        return FALSE;
    }
    BOOL Flush(HANDLE file) const override {
        if (m_step != Step::Flush) {
            return FileSystemCalls::Flush(file);
        }
        ::SetLastError(m_error);
        return FALSE;
    }
    BOOL Replace(const wchar_t* target, const wchar_t* finished,
                 const wchar_t* backup) const override {
        if (m_step == Step::ReplaceHalfway) {
            ::MoveFileExW(target, backup, MOVEFILE_REPLACE_EXISTING);
        } else if (m_step != Step::Replace) {
            return FileSystemCalls::Replace(target, finished, backup);
        }
        ::SetLastError(m_error);
        return FALSE;
    }

  private:
    Step m_step;
    DWORD m_error;
};

TEST(FileReplaceTest, EveryFailedSaveLeavesTheOldFileAsItWas) {
    const Bytes old = test::ToBytes(std::string("the only copy of yesterday's capture\r\n") +
                                    std::string(3000, 'x'));
    const Picture picture = test::PatternPicture(64, 48);
    struct Case {
        const char* what;
        const wchar_t* target;    // in the scratch folder
        FailingCalls::Step step;  // with error 0 nothing is injected
        DWORD error;
        const wchar_t* cause;  // part of the message
    };
    const Case cases[] = {
        {"disk full", L"old.bmp", FailingCalls::Step::Write, ERROR_DISK_FULL, L"WriteFile"},
        {"flush fails", L"old.bmp", FailingCalls::Step::Flush, ERROR_WRITE_FAULT,
         L"FlushFileBuffers"},
        {"replace refused", L"old.bmp", FailingCalls::Step::Replace, ERROR_ACCESS_DENIED,
         L"ReplaceFile"},
        {"new file not moved in", L"old.bmp", FailingCalls::Step::ReplaceHalfway,
         ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, L"ReplaceFile"},
        {"read-only file", L"readonly.bmp", FailingCalls::Step::Write, 0, L"只读"},
        {"busy file", L"busy.bmp", FailingCalls::Step::Write, 0, L"ReplaceFile"},
        {"missing folder", L"no such folder\\old.bmp", FailingCalls::Step::Write, 0, L"CreateFile"},
        {"a name the system refuses", L"a|b.bmp", FailingCalls::Step::Write, 0, L"CreateFile"},
        {"a folder of that name", L"folder.bmp", FailingCalls::Step::Write, 0, L"文件夹"},
        // Written in place, so the old bytes are put back.
        {"hard link, disk full", L"linked.bmp", FailingCalls::Step::Write, ERROR_DISK_FULL,
         L"WriteFile"},
        {"hard link, flush fails", L"linked.bmp", FailingCalls::Step::Flush, ERROR_WRITE_FAULT,
         L"FlushFileBuffers"},
    };
    const std::vector<std::wstring> kept = {L"old.bmp", L"readonly.bmp", L"busy.bmp", L"linked.bmp",
                                            L"linked too.bmp"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScratchFolder folder;
        for (const wchar_t* name : {L"old.bmp", L"readonly.bmp", L"busy.bmp", L"linked.bmp"}) {
            test::WriteBytes(folder / name, old);
        }
        ASSERT_TRUE(::CreateHardLinkW((folder / L"linked too.bmp").c_str(),
                                      (folder / L"linked.bmp").c_str(), nullptr));
        ::SetFileAttributesW((folder / L"readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
        ::CreateDirectoryW((folder / L"folder.bmp").c_str(), nullptr);
        ::CreateDirectoryW((folder / L"folder.bmp\\inside").c_str(), nullptr);
        // Another program has the file open and lets nobody delete or rename it.
        UniqueKernelHandle busy(::CreateFileW((folder / L"busy.bmp").c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
        ASSERT_NE(busy.get(), INVALID_HANDLE_VALUE);
        const std::vector<std::wstring> before = folder.Names();

        const FailingCalls calls(c.step, c.error);
        const std::wstring target = folder / c.target;
        try {
            SavePictureFile(picture, target, ImageFormat::Bmp,
                            c.error != 0 ? calls : SystemFileCalls());
            ADD_FAILURE() << "the save went through";
        } catch (const Failure& failure) {
            EXPECT_NE(failure.Cause().find(target), std::wstring::npos) << Narrow(failure.Cause());
            EXPECT_NE(failure.Cause().find(c.cause), std::wstring::npos) << Narrow(failure.Cause());
        }
        busy.reset();
        EXPECT_EQ(folder.Names(), before);  // no unfinished file left behind
        for (const std::wstring& name : kept) {
            EXPECT_EQ(test::ReadBytes(folder / name), old) << Narrow(name);
        }
    }
}

TEST(FileReplaceTest, ReplacesAnExistingFileAndCreatesANewOne) {
    test::ScratchFolder folder;
    test::WriteBytes(folder / L"old.bmp", test::ToBytes(std::string(100000, 'o')));
    ::SetFileAttributesW((folder / L"old.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    test::WriteBytes(folder / L"linked.bmp", test::ToBytes("old"));
    ASSERT_TRUE(::CreateHardLinkW((folder / L"linked too.bmp").c_str(),
                                  (folder / L"linked.bmp").c_str(), nullptr));
    // A name of 254 characters, one short of the limit of a name.
    const std::wstring longName = std::wstring(250, L'n') + L".bmp";
    // A path far beyond MAX_PATH, in folders that only a "\\?\" path can make everywhere.
    std::wstring deep = folder.Path();
    for (int level = 0; level < 3; ++level) {
        deep += L"\\" + std::wstring(120, L'd');
        ASSERT_TRUE(::CreateDirectoryW((L"\\\\?\\" + deep).c_str(), nullptr));
    }
    deep += L"\\deep.bmp";

    const Bytes data = test::ToBytes(std::string(9 << 20, 'n'));  // more than one piece
    WriteFileReplacing(folder / L"old.bmp", data);
    WriteFileReplacing(folder / L"new.bmp", test::ToBytes("new"));
    WriteFileReplacing(folder / L"linked.bmp", test::ToBytes("new"));
    for (const std::wstring& path : {folder / longName, deep}) {
        WriteFileReplacing(path, test::ToBytes("first"));
        WriteFileReplacing(path, test::ToBytes("second"));  // replacing it
        EXPECT_EQ(test::ReadBytes(L"\\\\?\\" + path), test::ToBytes("second"));
    }
    EXPECT_EQ(test::ReadBytes(folder / L"old.bmp"), data);
    EXPECT_EQ(::GetFileAttributesW((folder / L"old.bmp").c_str()) & FILE_ATTRIBUTE_HIDDEN,
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(test::ReadBytes(folder / L"new.bmp"), test::ToBytes("new"));
    // Every name of a file shows what was saved under one of them.
    EXPECT_EQ(test::ReadBytes(folder / L"linked.bmp"), test::ToBytes("new"));
    EXPECT_EQ(test::ReadBytes(folder / L"linked too.bmp"), test::ToBytes("new"));
    EXPECT_EQ(folder.Names(),
              (std::vector<std::wstring>{std::wstring(120, L'd'), L"linked too.bmp", L"linked.bmp",
                                         L"new.bmp", longName, L"old.bmp"}));
}

}  // namespace
}  // namespace pw
