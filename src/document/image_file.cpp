#include "document/image_file.h"

#include <wincodec.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>

#include "platform/com.h"
#include "platform/dib.h"
#include "platform/failure.h"
#include "platform/handles.h"
#include "platform/system_library.h"

namespace pw {

namespace {

// Causes in words for the imaging component's own codes, which the system has no text for.
std::wstring DescribeImagingFailure(const wchar_t* api, HRESULT result) {
    switch (result) {
        case WINCODEC_ERR_COMPONENTNOTFOUND:
        case WINCODEC_ERR_UNKNOWNIMAGEFORMAT:
            return L"这不是可以识别的图片文件。";
        case WINCODEC_ERR_BADHEADER:
        case WINCODEC_ERR_BADIMAGE:
        case WINCODEC_ERR_BADSTREAMDATA:
        case WINCODEC_ERR_STREAMREAD:
        case WINCODEC_ERR_STREAMNOTAVAILABLE:
        case WINCODEC_ERR_FRAMEMISSING:
        case HRESULT_FROM_WIN32(ERROR_HANDLE_EOF):
        case E_FAIL:
        case E_INVALIDARG:
            return L"图片文件已损坏或不完整（" +
                   DescribeFailedCall(api, static_cast<DWORD>(result)) + L"）";
        case E_OUTOFMEMORY:
            return L"内存不足，图片无法读入。";
        default:
            return DescribeFailedCall(api, static_cast<DWORD>(result));
    }
}

void Check(HRESULT result, const wchar_t* api) {
    if (FAILED(result)) {
        throw Failure(DescribeImagingFailure(api, result));
    }
}

ComPtr<IWICImagingFactory> ImagingFactory() {
    Check(EnsureOle(), L"OleInitialize");
    ComPtr<IWICImagingFactory> factory;
    Check(RequiredSystemFunction<decltype(::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance")(
              CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
              factory.put_void()),
          L"CoCreateInstance(WICImagingFactory)");
    return factory;
}

[[noreturn]] void ThrowOpenFailure(const std::wstring& path, const std::wstring& cause) {
    throw Failure(L"无法打开图片文件“" + path + L"”。\n" + cause);
}

std::vector<std::byte> ReadWholeFile(const std::wstring& path) {
    const std::wstring extended = ExtendedLengthPath(path);
    const DWORD attributes = ::GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        ThrowOpenFailure(path, DescribeFailedCall(L"GetFileAttributes", ::GetLastError()));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ThrowOpenFailure(path, L"这是一个文件夹，不是图片文件。");
    }
    const HANDLE opened = ::CreateFileW(extended.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        ThrowOpenFailure(path, DescribeFailedCall(L"CreateFile", ::GetLastError()));
    }
    UniqueKernelHandle file(opened);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        ThrowOpenFailure(path, DescribeFailedCall(L"GetFileSizeEx", ::GetLastError()));
    }
    if (size.QuadPart == 0) {
        ThrowOpenFailure(path, L"文件是空的。");
    }
    if (static_cast<uint64_t>(size.QuadPart) > kMaxImageFileBytes) {
        ThrowOpenFailure(path,
                         L"文件太大（" + std::to_wstring(size.QuadPart) + L" 字节），无法读入。");
    }
    std::vector<std::byte> bytes;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        ThrowOpenFailure(path, L"内存不足，文件无法读入。");
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD read = 0;
        const DWORD want =
            static_cast<DWORD>(std::min<size_t>(bytes.size() - done, size_t{4} << 20));
        if (!::ReadFile(file.get(), bytes.data() + done, want, &read, nullptr)) {
            ThrowOpenFailure(path, DescribeFailedCall(L"ReadFile", ::GetLastError()));
        }
        if (read == 0) {
            break;  // the file shrank while being read
        }
        done += read;
    }
    bytes.resize(done);
    return bytes;
}

bool StartsWith(std::span<const std::byte> file, std::string_view magic) {
    return file.size() >= magic.size() && std::memcmp(file.data(), magic.data(), magic.size()) == 0;
}

std::string_view AsText(std::span<const std::byte> file) {
    return std::string_view(reinterpret_cast<const char*>(file.data()), file.size());
}

// The decoders accept some files cut short, filling in what is missing or not noticing that
// the end is gone (a PNG without its end chunk decodes fine). A file that stops before its
// format's end marker is not the picture that was saved, so it is refused before decoding.
void RequireEndMarker(std::span<const std::byte> file) {
    const std::string_view text = AsText(file);
    // The PNG end chunk: length 0, "IEND", its checksum.
    const bool pngComplete =
        text.find(std::string_view("\0\0\0\0IEND\xAE\x42\x60\x82", 12)) != text.npos;
    if ((StartsWith(file, "\x89PNG\r\n\x1a\n") && !pngComplete) ||
        (StartsWith(file, "\xFF\xD8") && JpegEndMissing(text))) {
        throw Failure(L"图片文件不完整：它的结尾缺失了。");
    }
}

}  // namespace

Picture DecodePicture(std::span<const std::byte> file) {
    if (file.empty()) {
        throw Failure(L"文件是空的。");
    }
    if (file.size() > kMaxImageFileBytes) {
        throw Failure(L"文件太大，无法读入。");
    }
    RequireEndMarker(file);
    const ComPtr<IWICImagingFactory> factory = ImagingFactory();
    ComPtr<IWICStream> stream;
    Check(factory->CreateStream(stream.put()), L"IWICImagingFactory::CreateStream");
    Check(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<std::byte*>(file.data())),
                                       static_cast<DWORD>(file.size())),
          L"IWICStream::InitializeFromMemory");
    ComPtr<IWICBitmapDecoder> decoder;
    Check(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                           decoder.put()),
          L"CreateDecoderFromStream");
    ComPtr<IWICBitmapFrameDecode> frame;
    Check(decoder->GetFrame(0, frame.put()), L"IWICBitmapDecoder::GetFrame");
    UINT width = 0;
    UINT height = 0;
    Check(frame->GetSize(&width, &height), L"IWICBitmapFrameDecode::GetSize");
    if (width == 0 || height == 0) {
        throw Failure(L"图片的宽度或高度为零。");
    }
    const uint64_t bytes = uint64_t{width} * height * 4;
    if (width > 0x7FFFFFFF / 4 || height > 0x7FFFFFFF || bytes > kMaxPictureBytes) {
        throw Failure(L"图片太大（" + std::to_wstring(width) + L"×" + std::to_wstring(height) +
                      L" 像素），无法放入内存。");
    }
    ComPtr<IWICBitmapSource> converted;
    // Loaded from the system folder on first use: windowscodecs is not among the libraries
    // Windows always takes from there.
    static const auto convert = RequiredSystemFunction<decltype(::WICConvertBitmapSource)>(
        L"windowscodecs.dll", "WICConvertBitmapSource");
    Check(convert(GUID_WICPixelFormat32bppBGR, frame.get(), converted.put()),
          L"WICConvertBitmapSource");

    void* bits = nullptr;
    UniqueBitmap section =
        CreateTopDownDib(static_cast<int>(width), static_cast<int>(height), &bits);
    if (!section || bits == nullptr) {
        throw Failure(L"内存不足，无法容纳 " + std::to_wstring(width) + L"×" +
                      std::to_wstring(height) + L" 像素的图片。");
    }
    Check(converted->CopyPixels(nullptr, width * 4, static_cast<UINT>(bytes),
                                static_cast<BYTE*>(bits)),
          L"IWICBitmapSource::CopyPixels");
    return CreatePictureFromBitmap(std::move(section), UniquePalette());
}

Picture LoadPictureFile(const std::wstring& path) {
    const std::vector<std::byte> bytes = ReadWholeFile(path);
    try {
        return DecodePicture(bytes);
    } catch (const Failure& failure) {
        ThrowOpenFailure(path, failure.Cause());
    } catch (const std::bad_alloc&) {
        ThrowOpenFailure(path, L"内存不足，图片无法读入。");
    }
}

namespace {

// The picture's pixels as 24-bit BGR rows from the top, each padded to four bytes.
std::vector<BYTE> PixelRows(const Picture& picture, UINT& stride) {
    const Size size = picture.SizeInPixels();
    stride = (static_cast<UINT>(size.width) * 3 + 3) & ~3u;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * static_cast<size_t>(size.height));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.width;
    info.bmiHeader.biHeight = -size.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    UniqueDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) {
        ThrowLastError(L"CreateCompatibleDC");
    }
    // A palette-based bitmap's colours are read through its palette.
    std::optional<SelectPaletteGuard> palette;
    if (picture.Palette() != nullptr) {
        palette.emplace(dc.get(), picture.Palette(), FALSE);
        ::RealizePalette(dc.get());
    }
    if (::GetDIBits(dc.get(), picture.Bitmap(), 0, static_cast<UINT>(size.height), rows.data(),
                    &info, DIB_RGB_COLORS) != size.height) {
        ThrowLastError(L"GetDIBits");
    }
    return rows;
}

const GUID& ContainerOf(ImageFormat format) {
    switch (format) {
        case ImageFormat::Jpeg:
            return GUID_ContainerFormatJpeg;
        case ImageFormat::Png:
            return GUID_ContainerFormatPng;
        default:
            return GUID_ContainerFormatBmp;
    }
}

std::vector<std::byte> Encode(const Picture& picture, ImageFormat format) {
    UINT stride = 0;
    std::vector<BYTE> rows = PixelRows(picture, stride);
    const Size size = picture.SizeInPixels();

    const ComPtr<IWICImagingFactory> factory = ImagingFactory();
    ComPtr<IStream> memory;
    Check(RequiredSystemFunction<decltype(::CreateStreamOnHGlobal)>(L"ole32.dll",
                                                                    "CreateStreamOnHGlobal")(
              nullptr, TRUE, memory.put()),
          L"CreateStreamOnHGlobal");
    ComPtr<IWICBitmapEncoder> encoder;
    Check(factory->CreateEncoder(ContainerOf(format), nullptr, encoder.put()),
          L"IWICImagingFactory::CreateEncoder");
    Check(encoder->Initialize(memory.get(), WICBitmapEncoderNoCache),
          L"IWICBitmapEncoder::Initialize");
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    Check(encoder->CreateNewFrame(frame.put(), options.put()),
          L"IWICBitmapEncoder::CreateNewFrame");
    if (format == ImageFormat::Jpeg && options) {
        PROPBAG2 option{};
        option.pstrName = const_cast<LPOLESTR>(L"ImageQuality");
        VARIANT value{};
        value.vt = VT_R4;
        value.fltVal = 0.9f;
        Check(options->Write(1, &option, &value), L"IPropertyBag2::Write(ImageQuality)");
    }
    Check(frame->Initialize(options.get()), L"IWICBitmapFrameEncode::Initialize");
    Check(frame->SetSize(static_cast<UINT>(size.width), static_cast<UINT>(size.height)),
          L"IWICBitmapFrameEncode::SetSize");
    WICPixelFormatGUID pixelFormat = GUID_WICPixelFormat24bppBGR;
    Check(frame->SetPixelFormat(&pixelFormat), L"IWICBitmapFrameEncode::SetPixelFormat");
    if (!::IsEqualGUID(pixelFormat, GUID_WICPixelFormat24bppBGR)) {
        throw Failure(L"图片编码器不接受 24 位颜色。");
    }
    Check(frame->WritePixels(static_cast<UINT>(size.height), stride, static_cast<UINT>(rows.size()),
                             rows.data()),
          L"IWICBitmapFrameEncode::WritePixels");
    Check(frame->Commit(), L"IWICBitmapFrameEncode::Commit");
    Check(encoder->Commit(), L"IWICBitmapEncoder::Commit");

    STATSTG status{};
    Check(memory->Stat(&status, STATFLAG_NONAME), L"IStream::Stat");
    HGLOBAL global = nullptr;
    Check(RequiredSystemFunction<decltype(::GetHGlobalFromStream)>(L"ole32.dll",
                                                                   "GetHGlobalFromStream")(
              memory.get(), &global),
          L"GetHGlobalFromStream");
    const size_t length = static_cast<size_t>(status.cbSize.QuadPart);
    std::vector<std::byte> bytes(length);
    if (length != 0) {
        const void* data = ::GlobalLock(global);
        if (data == nullptr) {
            ThrowLastError(L"GlobalLock");
        }
        std::memcpy(bytes.data(), data, length);
        ::GlobalUnlock(global);
    }
    return bytes;
}

}  // namespace

std::vector<std::byte> EncodePicture(const Picture& picture, ImageFormat format) {
    if (picture.Empty()) {
        throw Failure(L"没有图片可以保存。");
    }
    try {
        return Encode(picture, format);
    } catch (const std::bad_alloc&) {
        throw Failure(L"内存不足，图片无法编码。");
    }
}

void SavePictureFile(const Picture& picture, const std::wstring& path, ImageFormat format,
                     const FileSystemCalls& calls) {
    const std::vector<std::byte> bytes = EncodePicture(picture, format);
    WriteFileReplacing(path, bytes, calls);
}

}  // namespace pw
