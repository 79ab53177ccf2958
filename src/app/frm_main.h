// The main window: menu bar, toolbar, the image view (viewport, picture, scroll bars) and the
// status bar, and the commands that run on it.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "area/free_area.h"
#include "capture/capture.h"
#include "core/units.h"
#include "core/view_layout.h"
#include "desktop/print.h"
#include "desktop/programs.h"
#include "desktop/wallpaper.h"
#include "document/file_dialog.h"
#include "platform/dialogs.h"
#include "platform/monitors.h"
#include "platform/process.h"
#include "platform/session.h"
#include "platform/settings.h"
#include "platform/window.h"

namespace pw {

inline constexpr wchar_t kAppTitle[] = L"影雀(Pixelwren) v1.0";
inline constexpr wchar_t kWelcomeText[] = L"欢迎使用影雀 v1.0 !";
// Title of the program's message boxes.
inline constexpr wchar_t kMessageTitle[] = L"Pixelwren v1.0";
inline constexpr wchar_t kDelayedCapturePrompt[] =
    L"单击'确定'两秒钟之后程序会捕捉处于活动状态的窗口。单击'取消'退出捕获。";
inline constexpr DWORD kDelayedCaptureWaitMs = 2000;
// Shown by Windows beside the window while it holds up the end of the session.
inline constexpr wchar_t kSessionEndReason[] = L"有一幅捕获的图像还没有保存。";
// The delayed capture found its own, minimised window still active after the wait.
inline constexpr wchar_t kNoOtherActiveWindow[] =
    L"两秒钟之后没有别的窗口处于活动状态，没有可捕获的窗口。";
// The document commands: the question at close about an unsaved capture (its title is the
// program's name), and the save dialog's settings, which the shared dialog keeps afterwards.
inline constexpr wchar_t kSaveQuestion[] = L"  文件还没有保存，您要保存吗?";
inline constexpr UINT kSaveQuestionStyle = MB_YESNOCANCEL | MB_ICONINFORMATION;
inline constexpr wchar_t kSaveDialogTitle[] = L"保存";
inline constexpr wchar_t kSaveDefaultExt[] = L".BMP";
inline constexpr DWORD kSaveDialogFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
inline constexpr wchar_t kNothingToSave[] = L"还没有图片，没有可保存的内容。";
// Files dropped on the window: a folder cannot be opened; of several only the first is.
// Each is followed by the file's path.
inline constexpr wchar_t kDroppedFolder[] = L"拖放的是文件夹，不是图片文件：\n";
inline constexpr wchar_t kOnlyFirstDropped[] = L"一次只能打开一个文件，已打开拖放的第一个文件：\n";

// A free-area capture whose bitmap the clipboard did not take, shown in the view only; what
// went wrong, by the call that failed, followed by that call and its cause.
// OpenClipboard, refused while another program holds the clipboard open:
inline constexpr wchar_t kClipboardHeld[] =
    L"剪贴板正被其他程序占用，无法打开，捕获的图像没有放到剪贴板上，只显示在窗口中。";
// OpenClipboard, failing for another cause:
inline constexpr wchar_t kClipboardNotOpened[] =
    L"剪贴板无法打开，捕获的图像没有放到剪贴板上，只显示在窗口中。";
// EmptyClipboard; the clipboard still holds what it held:
inline constexpr wchar_t kClipboardNotEmptied[] =
    L"剪贴板无法清空，捕获的图像没有放到剪贴板上，只显示在窗口中。";
// SetClipboardData; the clipboard has been emptied already:
inline constexpr wchar_t kClipboardNotTaken[] =
    L"剪贴板已清空，但没有接受捕获的图像，图像只显示在窗口中。";
// The capture is on the clipboard, but could not be read back into the view.
inline constexpr wchar_t kClipboardUnreadable[] =
    L"捕获的图像已放到剪贴板上，但无法从剪贴板读回到窗口中。";
// Z turned the free-area capture's magnifier on or off, but the settings store would not keep
// it; followed by the store's cause.
inline constexpr wchar_t kMagnifierNotStored[] =
    L"放大镜的开关没有保存到设置中，下次自由捕获时仍按原来的设置。";

// Hotkeys that could not be registered (another program holds them), in status panel 1: said
// once there rather than in a box at every start. Their names follow.
inline constexpr wchar_t kHotkeysTaken[] = L"已被其他程序占用的热键：";
// The capture of the window active when its hotkey is pressed, as a failure report names it.
inline constexpr wchar_t kActiveWindowNowName[] = L"活动窗口";
inline constexpr wchar_t kNoActiveWindow[] = L"没有处于活动状态的窗口可捕获。";
// The repeat of the last free area.
inline constexpr wchar_t kNoLastArea[] = L"还没有自由捕获过区域，没有可重复的区域。";
inline constexpr wchar_t kLastAreaOffScreen[] = L"上次自由捕获的区域已不在任何显示器上。";
// Copy: the picture in the view to the clipboard.
inline constexpr wchar_t kNothingToCopy[] = L"还没有图片，没有可复制的内容。";
// OpenClipboard, refused while another program holds the clipboard open:
inline constexpr wchar_t kCopyClipboardHeld[] =
    L"剪贴板正被其他程序占用，无法打开，图片没有复制到剪贴板上。";
// OpenClipboard for another cause, or EmptyClipboard; the clipboard holds what it held:
inline constexpr wchar_t kCopyClipboardRefused[] = L"剪贴板无法使用，图片没有复制到剪贴板上。";
// SetClipboardData; the clipboard has been emptied already:
inline constexpr wchar_t kCopyClipboardEmptied[] = L"剪贴板已清空，但没有接受图片。";

// Design geometry, in twips.
inline constexpr float kToolbarHeight = 360.0f;
inline constexpr float kStatusPanelMinWidth = 2000.0f;
inline constexpr float kDefaultLeft = 1000.0f;
inline constexpr float kDefaultTop = 1000.0f;
inline constexpr float kDefaultWidth = 6500.0f;
inline constexpr float kDefaultHeight = 6500.0f;

// What the main window asks of the world outside it besides message boxes and the settings
// store; null takes the system's own. Tests put stand-ins in.
struct FrmMainServices {
    MonitorLayout* monitors = nullptr;
    SessionEndBlocker* sessionEnd = nullptr;
    ProgramStarter* programs = nullptr;
    ShellLauncher* shell = nullptr;
    WallpaperSetter* wallpaper = nullptr;
    PrintDialogs* printDialogs = nullptr;
    // The folder whose readme, language files and Temp folder the commands use; empty for
    // the program's own.
    std::wstring programFolder;
};

// The application-wide mouse pointer and the form's scale mode, as the free-area capture
// switches them.
enum class MousePointer { Default, Crosshair };
enum class ScaleMode { Twips, Pixels };

class FrmMain : public Window, private SelectionEvents {
  public:
    FrmMain(MessageBoxes& boxes, SettingsStore& settings, FrmMainServices services = {});

    // Creates the window with its menu, toolbar and controls, then runs the load: the start
    // time into status panel 2 and the stored placement. The window is not shown yet.
    bool Create();

    // File menu.
    void mnuOpen_Click();
    // Opens a file as Open does, without its dialog or question: the file named on the
    // command line at start. A file that cannot be opened is reported and the view kept.
    void OpenFile(const std::wstring& path);
    // Files dropped on the window: the first is opened as Open does, the question about an
    // unsaved capture asked once it is known to be a picture. A folder or a file that is no
    // picture is reported and changes nothing; a drop of several says that only the first
    // was opened.
    void OpenDroppedFiles(const std::vector<std::wstring>& paths);
    // WM_DROPFILES: the dropped paths read out of the drop, which is freed, then opened.
    void OnDropFiles(HDROP drop);
    void mnusave_Click();
    void mnuClear_Click();
    void mnuWallpaper_Click();
    void mnuClearWall_Click();
    void mnuprint_Click();
    // Ends the help viewer this program started, if it still runs, and the program at once:
    // no placement stored, no question about an unsaved capture.
    void mnuExit_Click();
    // Capture menu.
    void mnuScreen_Click();
    void mnuDistrict_Click();
    void mnuAtiveWindow_Click();
    void mnuTitleBar_Click();
    void mnuClient_Click();
    // The rectangle of the last free area captured again from the screen, without arming, into
    // the view and onto the clipboard as the free area lands.
    void mnuRepeat_Click();
    // Image menu.
    void mnuMspaint_Click();
    void mnuChinese_Click();
    void mnuEnglish_Click();
    // The picture in the view onto the clipboard.
    void mnuCopy_Click();
    // Reads folder & fileName (joined as they are) and gives each of the 25 targets its line;
    // missing lines give empty texts; the items added since take their optional lines after
    // those, and keep their built-in captions where a file has none (or an empty one). A file
    // that cannot be read changes nothing and throws
    // Failure naming it; a target that refuses its text keeps the old one, the others still
    // change, and a Failure names it afterwards.
    void ApplyLanguageFile(const std::wstring& folder, const std::wstring& fileName);
    // Help menu.
    void mnuHowto_Click();
    void mnuAbout_Click();

    // The toolbar's dispatch: runs the command of button `index` (from 1), if it has one.
    void Toolbar1_ButtonClick(int index);

    // Writes the window's rectangle in twips to the settings store, unless the window is
    // minimised. Throws when the store cannot be written.
    void SaveWindowPlacement();

    // The close handling: stores the placement and asks about an unsaved capture. Returns
    // whether the close goes ahead. A failure of either step is reported; the question is
    // asked even when the placement could not be stored, and a failure while asking keeps
    // an unsaved capture open.
    bool Form_Unload();

    // The resize handling: lays the view out for the window's size and the picture.
    void Form_Resize();

    // The form's mouse events, in client pixels of `window` while a free-area capture is
    // armed: a left press then runs the drag and lands the area in the view and on the
    // clipboard; a left release puts the pointer and the scale mode back to normal.
    void Form_MouseDown(HWND window, int button, int x, int y);
    void Form_MouseUp(int button);

    [[nodiscard]] bool SelectionArmed() const { return m_selectionArmed; }
    [[nodiscard]] MousePointer Pointer() const { return m_mousePointer; }
    [[nodiscard]] ScaleMode Scale() const { return m_scaleMode; }
    // The window that shows the screen's snapshot while armed.
    [[nodiscard]] const SnapshotWindow& Snapshot() const { return m_snapshot; }

    // Runs the command of a menu id as its menu item would, and reports a failure in a
    // message box that names the command and the cause; the state stays as it was.
    void RunCommand(UINT id);

    // The name part of a path: what follows its last backslash.
    [[nodiscard]] static std::wstring GetFileName(const std::wstring& path);

    // The shared file dialog of open and save; tests put scripted dialogs behind it.
    [[nodiscard]] CommonDialog& CDopen() { return m_cdOpen; }
    void SetFileDialogs(FileDialogs& dialogs) { m_cdOpen.SetDialogs(dialogs); }
    // The free-area capture's steps after the press; tests put failing ones in.
    void SetAreaCaptureSteps(AreaCaptureSteps& steps) { m_areaSteps = &steps; }

    [[nodiscard]] bool ImageUnsaved() const { return m_imageUnsaved; }
    [[nodiscard]] const TwipsPerPixel& Units() const { return m_units; }
    [[nodiscard]] HMENU Menu() const { return ::GetMenu(Hwnd()); }
    [[nodiscard]] HACCEL Accelerators() const { return m_accelerators; }
    [[nodiscard]] const ToolbarImages& ImageList1() const { return m_imageList1; }
    // The help viewer last started; its process is what the Exit command ends.
    [[nodiscard]] StartedProcess& HelpViewerProcess() { return m_helpViewer; }
    // The folder of the program file, as the files beside it are found.
    [[nodiscard]] const std::wstring& ProgramFolder() const { return m_programFolder; }

    [[nodiscard]] PictureBox& picScroll() { return m_picScroll; }
    [[nodiscard]] PictureBox& PicBmp() { return m_picBmp; }
    [[nodiscard]] ScrollBar& HScroll1() { return m_hScroll1; }
    [[nodiscard]] ScrollBar& VScroll1() { return m_vScroll1; }
    [[nodiscard]] Toolbar& Toolbar1() { return m_toolbar1; }
    [[nodiscard]] StatusBar& StatusBar1() { return m_statusBar1; }

    // The form as the capture routines measure it: outer size in twips, and client size in
    // the scale units (twips).
    [[nodiscard]] FormExtent OuterExtent() const;
    [[nodiscard]] FormExtent ClientExtent() const;

    ~FrmMain() override;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnEscapedException() override;

    void SelectionMouseDown(HWND window, int button, int x, int y) override {
        Form_MouseDown(window, button, x, y);
    }
    void SelectionMouseUp(int button) override { Form_MouseUp(button); }
    void SelectionCancel() override;

  private:
    void CreateControls();
    void Form_Load();
    // The hotkeys of the command table, registered for this window; those that another
    // program holds are named in status panel 1.
    void RegisterHotkeys();
    void UnregisterHotkeys() noexcept;
    void OnHotkey(UINT id);
    // The window that is active now, as its visible frame shows it.
    void CaptureActiveWindowNow();
    // The stored placement as a rectangle in pixels on these monitors.
    [[nodiscard]] RECT StoredPlacement(const std::vector<MonitorArea>& monitors) const;
    void RestorePlacement();
    // The end of the Windows session: whether it may go ahead now, and its outcome.
    [[nodiscard]] bool OnQueryEndSession();
    void OnEndSession(bool ending);
    // The question about an unsaved capture, asked while the window closes and before a file
    // is opened in its place; setting `cancel` keeps the window open or the capture shown.
    // A save that fails throws.
    void AskToSaveCapture(bool& cancel);
    // An opened file's picture into the view, with its name and size in the caption.
    void ShowOpenedPicture(Picture picture, const std::wstring& path);
    void OnDpiChanged(UINT dpi, const RECT& suggested);
    [[nodiscard]] std::optional<LRESULT> OnNotify(const NMHDR& header, LPARAM lParam);
    // The tooltip of the toolbar button with this command id, or null.
    [[nodiscard]] const wchar_t* ToolbarTooltip(UINT_PTR commandId) const;
    void ApplyDpi(UINT dpi);
    void OnSize(UINT kind, int width, int height);
    void OnScroll(ScrollBar& bar, int code);
    void ScrollBy(ScrollBar& bar, int64_t delta);
    void OnKeyDown(UINT key);
    void OnMouseWheel(int delta, bool horizontal);
    // Where the scroll values put the picture; `scrolling` when only they changed.
    void MovePictureToScrollValues(bool scrolling = false);
    [[nodiscard]] view::ViewLayout CurrentLayout() const;
    void ApplyLayout(const view::ViewLayout& layout);

    // Takes a new picture into PicBmp and marks it unsaved; cannot fail.
    void PlacePicture(Picture picture) noexcept;
    void ReportFailure(UINT id, const std::wstring& cause);
    // Runs `work`, reporting a failure as the command `id`'s.
    template <typename Work>
    void Reporting(UINT id, Work&& work);
    // The free-area capture is over, whichever way: the snapshot hidden and freed, the
    // pointer and scale mode normal, the window restored.
    void EndSelection() noexcept;
    // Shows the copied area in the view, read back from the clipboard when it took it.
    void LandSelection(AreaCopy copy);
    // Writes the magnifier's state to the settings store if Z changed it. Throws Failure.
    void StoreMagnifierChoice();
    [[nodiscard]] std::wstring CommandName(UINT id) const;

    MessageBoxes& m_boxes;
    SettingsStore& m_settings;
    MonitorLayout& m_monitors;
    SessionEndBlocker& m_sessionEnd;
    ProgramStarter& m_programs;
    ShellLauncher& m_shell;
    WallpaperSetter& m_wallpaper;
    PrintDialogs& m_printDialogs;
    AreaCaptureSteps* m_areaSteps;
    std::wstring m_programFolder;
    TwipsPerPixel m_units;
    // The system's twips per pixel, for placements when no monitor is known.
    TwipsPerPixel m_systemUnits;
    // Set while the stored placement is applied: the window keeps the stored size in the
    // pixels of the monitor it lands on, whatever dpi change that brings.
    bool m_applyingPlacement = false;
    // The session's end was held up for an unsaved capture.
    bool m_sessionEndBlocked = false;
    HACCEL m_accelerators = nullptr;
    std::vector<UINT> m_hotkeys;  // registered, by id
    // A command is running, perhaps waiting in one of its message boxes or dialogs.
    bool m_commandRunning = false;
    ToolbarImages m_imageList1;
    // Where Create put the window from the settings, until Form_Load has placed it.
    std::optional<RECT> m_createdAt;
    StartedProcess m_helpViewer;
    bool m_imageUnsaved = false;
    int m_wheelRemainder = 0;
    bool m_selectionArmed = false;
    // ImageUnsaved as it was before arming, for a capture that ends with nothing.
    bool m_unsavedBeforeArming = false;
    // The magnifier's state as the settings store holds it (shown when it holds none).
    bool m_magnifierStored = true;
    MousePointer m_mousePointer = MousePointer::Default;
    ScaleMode m_scaleMode = ScaleMode::Twips;
    SnapshotWindow m_snapshot{*this};

    Toolbar m_toolbar1;
    StatusBar m_statusBar1;
    PictureBox m_picScroll;
    PictureBox m_picBmp;
    ScrollBar m_hScroll1;
    ScrollBar m_vScroll1;

    SystemFileDialogs m_systemFileDialogs;
    CommonDialog m_cdOpen{m_systemFileDialogs};
};

}  // namespace pw
