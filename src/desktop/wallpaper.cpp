#include "desktop/wallpaper.h"

#include <windows.h>

#include "platform/failure.h"
#include "platform/program_folder.h"

namespace pw {

namespace {

constexpr wchar_t kNoPicture[] = L"还没有图片，没有可以设置为墙纸的内容。";

void ThrowIfRefused(DWORD error) {
    if (error != 0) {
        throw Failure(L"系统没有接受新的墙纸设置。\n\n" +
                      DescribeFailedCall(L"SystemParametersInfo(SPI_SETDESKWALLPAPER)", error));
    }
}

}  // namespace

DWORD SystemWallpaperSetter::Set(const std::string& ansiPath) {
    std::string path = ansiPath;
    if (::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path.data(), SPIF_UPDATEINIFILE)) {
        return 0;
    }
    const DWORD error = ::GetLastError();
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

std::wstring UserWallpaperFolder() { return RoamingAppDataFolder(L"\\Pixelwren"); }

std::wstring SetPictureAsWallpaper(const Picture& picture, const BitmapFileWriter& writeBitmap,
                                   WallpaperSetter& wallpaper, const std::wstring& fixedPath,
                                   const std::wstring& fallbackFolder) {
    if (picture.Empty()) {
        throw Failure(kNoPicture);
    }
    std::wstring path = fixedPath;
    try {
        writeBitmap(picture, path);
    } catch (const Failure& fixed) {
        if (fallbackFolder.empty()) {
            throw;
        }
        path = fallbackFolder + L"\\wallpaper.bmp";
        try {
            if (!::CreateDirectoryW(fallbackFolder.c_str(), nullptr)) {
                const DWORD error = ::GetLastError();
                if (error != ERROR_ALREADY_EXISTS) {
                    ThrowFailedCall((L"CreateDirectory “" + fallbackFolder + L"”").c_str(), error);
                }
            }
            writeBitmap(picture, path);
        } catch (const Failure& fallback) {
            throw Failure(fixed.Cause() + L"\n\n" + fallback.Cause());
        }
    }
    ThrowIfRefused(wallpaper.Set(AnsiPath(path)));
    return path;
}

void ClearWallpaper(WallpaperSetter& wallpaper) {
    ThrowIfRefused(wallpaper.Set(""));
}

}  // namespace pw
