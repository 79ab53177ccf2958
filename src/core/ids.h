// Identifiers that the program and the tools that drive it from outside share. No Windows
// header: plain numbers and texts.
#pragma once

namespace pw::ids {

// The main window's class; its caption changes with the language and opened files.
inline constexpr wchar_t kMainWindowClass[] = L"PixelwrenFrmMain";
// The window that shows the screen's snapshot while a free-area capture is armed.
inline constexpr wchar_t kSnapshotWindowClass[] = L"PixelwrenSnapshot";

// Child controls of the main window (PicBmp lies inside picScroll).
inline constexpr int kToolbar1 = 10;
inline constexpr int kStatusBar1 = 11;
inline constexpr int kPicScroll = 12;
inline constexpr int kPicBmp = 13;
inline constexpr int kHScroll1 = 14;
inline constexpr int kVScroll1 = 15;

// Toolbar button n (numbered from 1) sends WM_COMMAND with kToolbarCommandBase + n.
inline constexpr unsigned kToolbarCommandBase = 1500;

// Resources.
inline constexpr int kIconResource = 1;
// The toolbar strips, one per size of kToolbarImageSizes in its order, from this id up.
inline constexpr int kToolbarBitmapResource = 200;

// The per-user settings store: HKEY_CURRENT_USER\<key>\<section>, REG_SZ values.
inline constexpr wchar_t kSettingsKey[] = L"Software\\影雀(Pixelwren) v1.0";
inline constexpr wchar_t kSettingsSection[] = L"Settings";
// Whether the free-area capture shows its magnifier: "1" or "0"; missing means shown.
inline constexpr wchar_t kMagnifierSetting[] = L"Magnifier";
// The last free area captured, for its repeat: "left,top,right,bottom" in screen pixels.
inline constexpr wchar_t kLastAreaSetting[] = L"LastArea";

// Menu commands, as WM_COMMAND identifiers.
inline constexpr unsigned kMnuOpen = 1101;
inline constexpr unsigned kMnuSave = 1102;
inline constexpr unsigned kMnuClear = 1103;
inline constexpr unsigned kMnuWallpaper = 1104;
inline constexpr unsigned kMnuClearWall = 1105;
inline constexpr unsigned kMnuPrint = 1106;
inline constexpr unsigned kMnuExit = 1107;
inline constexpr unsigned kMnuScreen = 1201;
inline constexpr unsigned kMnuDistrict = 1202;
inline constexpr unsigned kMnuAtiveWindow = 1203;
inline constexpr unsigned kMnuClient = 1204;
inline constexpr unsigned kMnuTitleBar = 1205;
inline constexpr unsigned kMnuScroll = 1206;
inline constexpr unsigned kMnuRepeat = 1207;
inline constexpr unsigned kMnuMspaint = 1301;
inline constexpr unsigned kMnuChinese = 1302;
inline constexpr unsigned kMnuEnglish = 1303;
inline constexpr unsigned kMnuCopy = 1304;
inline constexpr unsigned kMnuHowto = 1401;
inline constexpr unsigned kMnuAbout = 1402;
// The capture of the window active when its hotkey is pressed: a command no menu item runs.
inline constexpr unsigned kActiveWindowNow = 1208;

}  // namespace pw::ids
