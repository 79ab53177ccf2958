// The desktop wallpaper: the picture written as a bitmap file and made the wallpaper, or no
// wallpaper at all. The system call sits behind a small interface for tests.
#pragma once

#include <string>

#include "capture/picture.h"
#include "desktop/programs.h"

namespace pw {

class WallpaperSetter {
  public:
    virtual ~WallpaperSetter() = default;
    // SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path, SPIF_UPDATEINIFILE): the desktop
    // shows the bitmap at `ansiPath`, or none for the empty text, and the user's profile keeps
    // the choice. 0 on success, else the error code.
    virtual DWORD Set(const std::string& ansiPath) = 0;
};

class SystemWallpaperSetter final : public WallpaperSetter {
  public:
    DWORD Set(const std::string& ansiPath) override;
};

inline constexpr wchar_t kWallpaperFile[] = L"c:\\windows\\wallpaper.bmp";

// The folder of the user's own that takes the wallpaper where the fixed path cannot be
// written: the roaming application data folder's "Pixelwren".
std::wstring UserWallpaperFolder();

// Writes the picture to `fixedPath` or, where that cannot be written, to "wallpaper.bmp" in
// `fallbackFolder` (created when missing), and makes that file the wallpaper. Returns the path
// set. Throws Failure for the empty picture, when neither file can be written (the wallpaper
// then stays as it was) and when the system refuses the wallpaper.
std::wstring SetPictureAsWallpaper(const Picture& picture, const BitmapFileWriter& writeBitmap,
                                   WallpaperSetter& wallpaper,
                                   const std::wstring& fixedPath = kWallpaperFile,
                                   const std::wstring& fallbackFolder = UserWallpaperFolder());

// Leaves the desktop without a wallpaper; the bitmap file stays where it is.
void ClearWallpaper(WallpaperSetter& wallpaper);

}  // namespace pw
