// Prints how saving and opening a 1920x1080 picture compare with moving the same number of
// bytes to and from the disk raw, in the same run:
//   save <format> / raw write   encoding, writing beside the target, flushing and renaming,
//                               against one flushed write of as many bytes
//   open <format> / raw read    reading and decoding, against reading as many bytes
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench.h"
#include "capture/picture.h"
#include "document/image_file.h"
#include "platform/com.h"
#include "platform/dib.h"
#include "platform/handles.h"

namespace {

using pw::bench::Clock;
using pw::bench::MedianMicroseconds;

// Something like a screen: smooth areas, edges and some fine detail.
pw::Picture ScreenLikePicture(int width, int height) {
    void* bits = nullptr;
    pw::UniqueBitmap bitmap = pw::CreateTopDownDib(width, height, &bits);
    auto* pixels = static_cast<uint32_t*>(bits);
    uint32_t seed = 7;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t colour = (x / 240 % 2 == y / 135 % 2)
                                  ? 0xF0F0F0u
                                  : (0x204060u + static_cast<uint32_t>(x / 8));
            if (y % 20 < 12 && x % 300 < 200) {  // lines of "text"
                seed = seed * 1664525u + 1013904223u;
                colour = (seed >> 28) < 5 ? 0x101010u : colour;
            }
            pixels[static_cast<size_t>(y) * width + x] = colour;
        }
    }
    return pw::CreatePictureFromBitmap(std::move(bitmap), pw::UniquePalette());
}

void RawWrite(const std::wstring& path, const std::vector<std::byte>& data) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    DWORD written = 0;
    ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    ::FlushFileBuffers(file);
    ::CloseHandle(file);
}

void RawRead(const std::wstring& path, std::vector<std::byte>& into) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    DWORD read = 0;
    ::ReadFile(file, into.data(), static_cast<DWORD>(into.size()), &read, nullptr);
    ::CloseHandle(file);
}

}  // namespace

int main() {
    pw::OleApartment ole;
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder =
        std::wstring(temp) + L"pw-doc-bench-" + std::to_wstring(::GetCurrentProcessId());
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const pw::Picture picture = ScreenLikePicture(1920, 1080);

    const struct {
        pw::ImageFormat format;
        const char* name;
        const wchar_t* file;
    } formats[] = {{pw::ImageFormat::Bmp, "BMP ", L"\\b.bmp"},
                   {pw::ImageFormat::Png, "PNG ", L"\\b.png"},
                   {pw::ImageFormat::Jpeg, "JPEG", L"\\b.jpg"}};
    for (const auto& f : formats) {
        const std::wstring path = folder + f.file;
        const std::wstring raw = folder + L"\\raw.bin";
        const std::vector<std::byte> encoded = pw::EncodePicture(picture, f.format);
        std::vector<std::byte> buffer(encoded.size());
        double save = 0, write = 0, open = 0, read = 0;
        // Alternating, so that both see the same state of the machine.
        std::vector<double> saves, writes, opens, reads;
        for (int i = 0; i < 9; ++i) {
            saves.push_back(
                MedianMicroseconds(1, [&] { pw::SavePictureFile(picture, path, f.format); }));
            writes.push_back(MedianMicroseconds(1, [&] { RawWrite(raw, encoded); }));
            opens.push_back(MedianMicroseconds(1, [&] { pw::LoadPictureFile(path); }));
            reads.push_back(MedianMicroseconds(1, [&] { RawRead(raw, buffer); }));
        }
        for (auto* times : {&saves, &writes, &opens, &reads}) {
            std::sort(times->begin(), times->end());
        }
        save = saves[4];
        write = writes[4];
        open = opens[4];
        read = reads[4];
        pw::bench::Figure((std::string("save 1920x1080 as ") + f.name).c_str(), save, write, "us", 0.0,
                          "raw write of the same bytes");
        pw::bench::Figure((std::string("open 1920x1080 ") + f.name).c_str(), open, read, "us", 0.0,
                          "raw read of the same bytes");
        ::DeleteFileW(path.c_str());
        ::DeleteFileW(raw.c_str());
    }
    ::RemoveDirectoryW(folder.c_str());
    return 0;
}
