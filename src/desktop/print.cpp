#include "desktop/print.h"

#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <vector>

#include "platform/failure.h"
#include "platform/system_library.h"

namespace pw {

namespace {

constexpr wchar_t kNothingToPrint[] = L"还没有图片，没有可打印的内容。";
constexpr wchar_t kNoPrinter[] = L"没有安装打印机。请先在系统中添加一台打印机。";
constexpr wchar_t kDocumentName[] = L"Pixelwren";

// Frees the dialog's memory blocks, which the dialog hands over to its caller.
struct PrintDlgMemory {
    PRINTDLGW& dialog;
    ~PrintDlgMemory() {
        if (dialog.hDevMode != nullptr) {
            ::GlobalFree(dialog.hDevMode);
        }
        if (dialog.hDevNames != nullptr) {
            ::GlobalFree(dialog.hDevNames);
        }
    }
};

// The picture's pixels as a top-down 32-bit DIB, read through its palette when it has one.
struct DibPixels {
    BITMAPINFO info{};
    std::vector<uint32_t> bits;
};

DibPixels ReadPixels(const Picture& picture) {
    const Size size = picture.SizeInPixels();
    DibPixels pixels;
    pixels.info.bmiHeader.biSize = sizeof pixels.info.bmiHeader;
    pixels.info.bmiHeader.biWidth = size.width;
    pixels.info.bmiHeader.biHeight = -size.height;
    pixels.info.bmiHeader.biPlanes = 1;
    pixels.info.bmiHeader.biBitCount = 32;
    pixels.info.bmiHeader.biCompression = BI_RGB;
    pixels.bits.resize(static_cast<size_t>(size.width) * static_cast<size_t>(size.height));
    const UniqueDc memory(::CreateCompatibleDC(nullptr));
    if (!memory) {
        ThrowLastError(L"CreateCompatibleDC");
    }
    SelectPaletteGuard palette(memory.get(), picture.Palette());
    if (picture.Palette() != nullptr) {
        ::RealizePalette(memory.get());
    }
    if (::GetDIBits(memory.get(), picture.Bitmap(), 0, static_cast<UINT>(size.height),
                    pixels.bits.data(), &pixels.info, DIB_RGB_COLORS) != size.height) {
        ThrowLastError(L"GetDIBits");
    }
    return pixels;
}

}  // namespace

DWORD SystemPrintDialogs::CountPrinters(DWORD& count) {
    count = 0;
    // winspool is not among the libraries Windows always takes from the system folder.
    DWORD error = 0;
    const auto enumPrinters =
        SystemFunction<decltype(::EnumPrintersW)>(L"winspool.drv", "EnumPrintersW", &error);
    if (enumPrinters == nullptr) {
        return error != 0 ? error : ERROR_PROC_NOT_FOUND;
    }
    constexpr DWORD kWhich = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    std::vector<BYTE> buffer;
    // A printer added between the asking for the size and the listing needs another round.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD needed = 0;
        DWORD returned = 0;
        if (enumPrinters(kWhich, nullptr, 4, buffer.empty() ? nullptr : buffer.data(),
                         static_cast<DWORD>(buffer.size()), &needed, &returned)) {
            count = returned;
            return 0;
        }
        error = ::GetLastError();
        if (error != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size()) {
            return error != 0 ? error : ERROR_GEN_FAILURE;
        }
        buffer.resize(needed);
    }
    return ERROR_INSUFFICIENT_BUFFER;
}

UniqueDc SystemPrintDialogs::Show(HWND owner) {
    PRINTDLGW dialog{sizeof dialog};
    dialog.hwndOwner = owner;
    dialog.Flags = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
    PrintDlgMemory memory{dialog};
    if (!RequiredSystemFunction<decltype(::PrintDlgW)>(L"comdlg32.dll", "PrintDlgW")(&dialog)) {
        const DWORD error = RequiredSystemFunction<decltype(::CommDlgExtendedError)>(
            L"comdlg32.dll", "CommDlgExtendedError")();
        if (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES) {
            throw Failure(kNoPrinter);
        }
        if (error != 0) {
            ThrowFailedCall(L"PrintDlg", error);
        }
        return {};
    }
    if (dialog.hDC == nullptr) {
        throw Failure(L"打印对话框没有给出打印机。");
    }
    return UniqueDc(dialog.hDC);
}

PageGeometry PageOf(HDC printer) {
    return {{::GetDeviceCaps(printer, HORZRES), ::GetDeviceCaps(printer, VERTRES)},
            ::GetDeviceCaps(printer, LOGPIXELSX),
            ::GetDeviceCaps(printer, LOGPIXELSY),
            {::GetDeviceCaps(printer, PHYSICALWIDTH), ::GetDeviceCaps(printer, PHYSICALHEIGHT)},
            ::GetDeviceCaps(printer, PHYSICALOFFSETX),
            ::GetDeviceCaps(printer, PHYSICALOFFSETY)};
}

void DrawPictureOnPage(HDC page, const Picture& picture, UINT screenDpi,
                       const PageGeometry& geometry) {
    const Size size = picture.SizeInPixels();
    const Rect target =
        PlaceOnPage(size, static_cast<int>(screenDpi), static_cast<int>(screenDpi), geometry);
    if (target.right <= target.left || target.bottom <= target.top) {
        throw Failure(L"页面上没有可打印的区域。");
    }
    const DibPixels pixels = ReadPixels(picture);
    ::SetStretchBltMode(page, HALFTONE);
    ::SetBrushOrgEx(page, 0, 0, nullptr);
    if (::StretchDIBits(page, target.left, target.top, target.right - target.left,
                        target.bottom - target.top, 0, 0, size.width, size.height,
                        pixels.bits.data(), &pixels.info, DIB_RGB_COLORS, SRCCOPY) == 0) {
        ThrowLastError(L"StretchDIBits");
    }
}

void PrintPicture(HWND owner, const Picture& picture, UINT screenDpi, PrintDialogs& dialogs) {
    if (picture.Empty()) {
        throw Failure(kNothingToPrint);
    }
    DWORD printers = 0;
    if (const DWORD error = dialogs.CountPrinters(printers); error != 0) {
        throw Failure(L"无法列出已安装的打印机，打印后台处理程序可能没有运行。\n\n" +
                      DescribeFailedCall(L"EnumPrinters", error));
    }
    if (printers == 0) {
        throw Failure(kNoPrinter);
    }
    const UniqueDc printer = dialogs.Show(owner);
    if (!printer) {
        return;
    }
    DOCINFOW document{sizeof document};
    document.lpszDocName = kDocumentName;
    if (::StartDocW(printer.get(), &document) <= 0) {
        ThrowLastError(L"StartDoc");
    }
    try {
        if (::StartPage(printer.get()) <= 0) {
            ThrowLastError(L"StartPage");
        }
        DrawPictureOnPage(printer.get(), picture, screenDpi, PageOf(printer.get()));
        if (::EndPage(printer.get()) <= 0) {
            ThrowLastError(L"EndPage");
        }
    } catch (...) {
        ::AbortDoc(printer.get());
        throw;
    }
    if (::EndDoc(printer.get()) <= 0) {
        ThrowLastError(L"EndDoc");
    }
}

}  // namespace pw
