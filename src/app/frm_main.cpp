#include "app/frm_main.h"

#include <windowsx.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/commands.h"
#include "core/ids.h"
#include "core/about_text.h"
#include "core/captions.h"
#include "core/document_names.h"
#include "core/last_area.h"
#include "core/placement.h"
#include "core/rounding.h"
#include "document/image_file.h"
#include "platform/dpi.h"
#include "i18n/language_file.h"
#include "platform/clipboard.h"
#include "platform/failure.h"
#include "platform/program_folder.h"
#include "platform/system_library.h"
#include "platform/text.h"

namespace pw {

namespace {

constexpr UINT kReportEscapedException = WM_APP + 1;
// The main window became active while a free-area capture was armed.
constexpr UINT kActivatedWhileArmed = WM_APP + 2;
// Pixels that one wheel "line" scrolls; the wheel moves by the user's lines per notch.
constexpr int kWheelLinePixels = 16;

TwipsPerPixel ScreenUnits() {
    const HDC screen = ::GetDC(nullptr);
    const TwipsPerPixel units = TwipsPerPixelForDpi(::GetDeviceCaps(screen, LOGPIXELSX),
                                                    ::GetDeviceCaps(screen, LOGPIXELSY));
    ::ReleaseDC(nullptr, screen);
    return units;
}

// The local date and time in the user's short date and long time formats.
std::wstring NowAsText() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    wchar_t date[128] = {};
    wchar_t time[128] = {};
    ::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 128, nullptr);
    ::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &now, nullptr, time, 128);
    return std::wstring(date) + L" " + time;
}

// The program's file name without its extension ("Pixelwren"): the title of the close question
// and the start of the caption after an open.
std::wstring ProgramName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return WithoutExtension(GetFileName(path));
}

std::optional<std::string> ReadSetting(const SettingsStore& settings, const wchar_t* key) {
    const std::optional<std::wstring> text = settings.Read(ids::kSettingsSection, key);
    return text ? std::optional<std::string>(Narrow(*text)) : std::nullopt;
}

HICON LoadProgramIcon(int size) {
    return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr),
                                           MAKEINTRESOURCEW(ids::kIconResource), IMAGE_ICON, size,
                                           size, LR_DEFAULTCOLOR | LR_SHARED));
}

// The toolbar's images drawn at `size` pixels (one of kToolbarImageSizes).
ToolbarImages CreateToolbarImages(int size) {
    const auto* found =
        std::find(std::begin(kToolbarImageSizes), std::end(kToolbarImageSizes), size);
    const int resource = ids::kToolbarBitmapResource +
                         static_cast<int>(found == std::end(kToolbarImageSizes)
                                              ? 0
                                              : found - std::begin(kToolbarImageSizes));
    UniqueBitmap strip(
        static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resource),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    return ToolbarImages::FromStrip(strip, size, kToolbarMaskColour);
}

// Puts a minimised window back on the screen, active and in the normal state, also when the
// capture in between failed. A window minimised from the maximised state would come back
// maximised from SW_SHOWNORMAL alone, so its placement is told to forget that.
class RestoreNormalOnExit {
  public:
    explicit RestoreNormalOnExit(HWND window) : m_window(window) {}
    RestoreNormalOnExit(const RestoreNormalOnExit&) = delete;
    RestoreNormalOnExit& operator=(const RestoreNormalOnExit&) = delete;
    ~RestoreNormalOnExit() {
        ::SetForegroundWindow(m_window);
        ::SetFocus(m_window);
        WINDOWPLACEMENT placement{sizeof placement};
        if (::GetWindowPlacement(m_window, &placement)) {
            placement.flags &= ~static_cast<UINT>(WPF_RESTORETOMAXIMIZED);
            placement.showCmd = SW_SHOWNORMAL;
            ::SetWindowPlacement(m_window, &placement);
        }
        ::ShowWindow(m_window, SW_SHOWNORMAL);
    }

  private:
    HWND m_window;
};

SystemMonitorLayout g_systemMonitors;
SystemSessionEndBlocker g_systemSessionEnd;
SystemProgramStarter g_systemPrograms;
SystemShellLauncher g_systemShell;
SystemWallpaperSetter g_systemWallpaper;
SystemPrintDialogs g_systemPrintDialogs;
SystemAreaCaptureSteps g_systemAreaSteps;

// What the user is told when the clipboard did not take a free-area capture: what went wrong,
// then the call and its cause. Only a refused OpenClipboard means another program holds it.
std::wstring ClipboardRefusal(const AreaCopy& copy) {
    const std::wstring call = copy.failedCall != nullptr ? copy.failedCall : L"";
    const wchar_t* what = call == L"EmptyClipboard"           ? kClipboardNotEmptied
                          : call == L"SetClipboardData"       ? kClipboardNotTaken
                          : copy.error == ERROR_ACCESS_DENIED ? kClipboardHeld
                                                              : kClipboardNotOpened;
    return what + (L"\n\n" + DescribeFailedCall(call.c_str(), copy.error));
}

// The same for the copy of the picture in the view.
std::wstring CopyRefusal(const ClipboardFailure& failure) {
    const std::wstring call = failure.failedCall;
    const wchar_t* what = call == L"SetClipboardData" ? kCopyClipboardEmptied
                          : call == L"OpenClipboard" && failure.error == ERROR_ACCESS_DENIED
                              ? kCopyClipboardHeld
                              : kCopyClipboardRefused;
    return what + (L"\n\n" + DescribeFailedCall(call.c_str(), failure.error));
}

// Marks a command as running for as long as it lives, message boxes and dialogs included: a
// hotkey that their loops dispatch meanwhile does nothing.
class CommandRunning {
  public:
    explicit CommandRunning(bool& flag) : m_flag(flag), m_before(std::exchange(flag, true)) {}
    CommandRunning(const CommandRunning&) = delete;
    CommandRunning& operator=(const CommandRunning&) = delete;
    ~CommandRunning() { m_flag = m_before; }

  private:
    bool& m_flag;
    bool m_before;
};

// Whether sibling `window` lies above `other` in the z-order.
bool IsAbove(HWND window, HWND other) {
    for (HWND next = ::GetWindow(window, GW_HWNDNEXT); next != nullptr;
         next = ::GetWindow(next, GW_HWNDNEXT)) {
        if (next == other) {
            return true;
        }
    }
    return false;
}

template <typename T, typename S>
T& Either(T* given, S& system) {
    return given != nullptr ? *given : static_cast<T&>(system);
}

}  // namespace

FrmMain::FrmMain(MessageBoxes& boxes, SettingsStore& settings, FrmMainServices services)
    : m_boxes(boxes),
      m_settings(settings),
      m_monitors(services.monitors != nullptr ? *services.monitors : g_systemMonitors),
      m_sessionEnd(services.sessionEnd != nullptr ? *services.sessionEnd : g_systemSessionEnd),
      m_programs(Either(services.programs, g_systemPrograms)),
      m_shell(Either(services.shell, g_systemShell)),
      m_wallpaper(Either(services.wallpaper, g_systemWallpaper)),
      m_printDialogs(Either(services.printDialogs, g_systemPrintDialogs)),
      m_areaSteps(&g_systemAreaSteps),
      m_programFolder(services.programFolder.empty() ? pw::ProgramFolder()
                                                     : services.programFolder),
      m_units(ScreenUnits()),
      m_systemUnits(m_units) {}

FrmMain::~FrmMain() {
    if (Hwnd() != nullptr) {
        ::DestroyWindow(Hwnd());
    }
    if (m_accelerators != nullptr) {
        ::DestroyAcceleratorTable(m_accelerators);
    }
}

bool FrmMain::Create() {
    ClassSpec windowClass{ids::kMainWindowClass};
    windowClass.background = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.icon = LoadProgramIcon(::GetSystemMetrics(SM_CXICON));
    windowClass.smallIcon = LoadProgramIcon(::GetSystemMetrics(SM_CXSMICON));
    CreateSpec spec;
    spec.title = kAppTitle;
    spec.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    // Created where it will be shown, so that it starts with that monitor's dpi. A single
    // monitor is first taken at the system's dpi, which spares a start asking for its own
    // scaling; the window's dpi then tells whether that was right.
    std::vector<MonitorArea> monitors = m_monitors.MonitorsAtSystemDpi();
    const bool assumed = monitors.size() == 1 && KnowsWindowDpi();
    if (!assumed) {
        monitors = m_monitors.Monitors();
    }
    const RECT placement = StoredPlacement(monitors);
    m_createdAt = placement;
    spec.x = placement.left;
    spec.y = placement.top;
    spec.width = placement.right - placement.left;
    spec.height = placement.bottom - placement.top;
    spec.menuOrId = BuildMenuBar(MenuTable());
    if (!CreateOf(windowClass, spec)) {
        ::DestroyMenu(spec.menuOrId);
        return false;
    }
    if (assumed && DpiForWindow(Hwnd()) != static_cast<UINT>(monitors.front().dpi)) {
        m_createdAt.reset();  // placed again at the monitor's own scaling
    }
    m_accelerators = BuildAccelerators(MenuTable());
    m_units = TwipsPerPixelForDpi(static_cast<int>(DpiForWindow(Hwnd())),
                                  static_cast<int>(DpiForWindow(Hwnd())));
    CreateControls();
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
    Form_Load();
    RegisterHotkeys();
    // What DragAcceptFiles sets, without loading the shell at every start for it.
    ::SetWindowLongPtrW(Hwnd(), GWL_EXSTYLE,
                        ::GetWindowLongPtrW(Hwnd(), GWL_EXSTYLE) | WS_EX_ACCEPTFILES);
    return true;
}

void FrmMain::RegisterHotkeys() {
    std::wstring taken;
    for (const Hotkey& hotkey : HotkeyTable()) {
        // A key held down captures once.
        if (::RegisterHotKey(Hwnd(), static_cast<int>(hotkey.command),
                             hotkey.modifiers | MOD_NOREPEAT, hotkey.virtualKey)) {
            m_hotkeys.push_back(hotkey.command);
        } else {
            taken += (taken.empty() ? L"" : L"、") + HotkeyText(hotkey);
        }
    }
    if (!taken.empty()) {
        m_statusBar1.SetPanelText(1, kHotkeysTaken + taken);
        m_statusBar1.SetPanel1Tip(kHotkeysTaken + taken);
    }
}

void FrmMain::UnregisterHotkeys() noexcept {
    for (const UINT id : m_hotkeys) {
        ::UnregisterHotKey(Hwnd(), static_cast<int>(id));
    }
    m_hotkeys.clear();
}

void FrmMain::OnHotkey(UINT id) {
    // One command at a time: a hotkey pressed while another command waits in a message box or
    // dialog (whose loop dispatches it), or while a free area is armed, does nothing.
    if (m_commandRunning || m_selectionArmed) {
        return;
    }
    if (id == ids::kActiveWindowNow) {
        Reporting(id, [&] { CaptureActiveWindowNow(); });
        return;
    }
    RunCommand(id);
}

void FrmMain::Form_Load() {
    // Set once: the time the program started, not the time now.
    m_statusBar1.SetPanelText(2, NowAsText());
    RestorePlacement();
}

RECT FrmMain::StoredPlacement(const std::vector<MonitorArea>& monitors) const {
    const PlacementTwips placement{
        ParsePlacementValue(ReadSetting(m_settings, L"MainLeft"), PlacementField::Left),
        ParsePlacementValue(ReadSetting(m_settings, L"MainTop"), PlacementField::Top),
        ParsePlacementValue(ReadSetting(m_settings, L"MainWidth"), PlacementField::Width),
        ParsePlacementValue(ReadSetting(m_settings, L"MainHeight"), PlacementField::Height)};
    // A window stored on a monitor that is gone comes back where the user can see it.
    const Rect shown =
        KeepOnScreen(WindowFromPlacement(placement, monitors, m_systemUnits), monitors);
    return {shown.left, shown.top, shown.right, shown.bottom};
}

void FrmMain::RestorePlacement() {
    // Just after Create, the window stands where the settings put it: they are not read twice.
    const RECT shown = m_createdAt ? *std::exchange(m_createdAt, std::nullopt)
                                   : StoredPlacement(m_monitors.Monitors());
    RECT now{};
    ::GetWindowRect(Hwnd(), &now);
    if (::EqualRect(&now, &shown)) {
        return;
    }
    m_applyingPlacement = true;
    ::SetWindowPos(Hwnd(), nullptr, shown.left, shown.top, shown.right - shown.left,
                   shown.bottom - shown.top, SWP_NOZORDER | SWP_NOACTIVATE);
    m_applyingPlacement = false;
}

void FrmMain::SaveWindowPlacement() {
    if (::IsIconic(Hwnd())) {
        return;
    }
    // A maximised window stores its maximised rectangle.
    RECT rect{};
    ::GetWindowRect(Hwnd(), &rect);
    const PlacementTwips placement = PlacementFromWindow(
        {rect.left, rect.top, rect.right, rect.bottom}, m_monitors.Monitors(), m_systemUnits);
    const struct {
        const wchar_t* key;
        float twips;
    } values[] = {{L"MainLeft", placement.left},
                  {L"MainTop", placement.top},
                  {L"MainWidth", placement.width},
                  {L"MainHeight", placement.height}};
    for (const auto& value : values) {
        m_settings.Write(ids::kSettingsSection, value.key,
                         Widen(FormatPlacementValue(value.twips)));
    }
}

void FrmMain::AskToSaveCapture(bool& cancel) {
    if (!m_imageUnsaved) {
        return;
    }
    switch (m_boxes.Show(Hwnd(), kSaveQuestion, ProgramName(), kSaveQuestionStyle)) {
        case IDYES:
            // After a discard the view holds nothing, and there is nothing left to save.
            if (m_picBmp.GetPicture().Empty()) {
                break;
            }
            // A save that fails throws; the caller reports it and keeps the picture.
            mnusave_Click();
            cancel = m_imageUnsaved;  // still unsaved: the user cancelled the save dialog
            break;
        case IDNO:
            break;
        default:  // Cancel, or a box that could not be shown
            cancel = true;
            break;
    }
}

bool FrmMain::Form_Unload() {
    // A capture taken while the question is asked would go unasked about.
    const CommandRunning running(m_commandRunning);
    bool cancel = false;
    // A store that cannot be written must not trap the user: it is reported, and the
    // question about an unsaved capture decides as on any close.
    try {
        SaveWindowPlacement();
    } catch (...) {
        m_boxes.Show(Hwnd(), L"无法保存窗口的位置和大小。\n\n" + CauseOfCurrentException(),
                     kMessageTitle, MB_OK | MB_ICONWARNING);
    }
    try {
        AskToSaveCapture(cancel);
    } catch (...) {
        // Closing must never lose a capture: with one unsaved, the window stays open.
        m_boxes.Show(Hwnd(), L"关闭窗口时出错。\n\n" + CauseOfCurrentException(), kMessageTitle,
                     MB_OK | MB_ICONWARNING);
        cancel = cancel || m_imageUnsaved;
    }
    return !cancel;
}

bool FrmMain::OnQueryEndSession() {
    if (!m_imageUnsaved) {
        return true;
    }
    // Windows lists the window with this reason and lets the user go back to save; the
    // question is asked once the end of the session has been called off.
    m_sessionEnd.Block(Hwnd(), kSessionEndReason);
    m_sessionEndBlocked = true;
    return false;
}

void FrmMain::OnEndSession(bool ending) {
    if (ending) {
        // The process ends after this returns; there is nobody left to tell of a failure.
        try {
            SaveWindowPlacement();
        } catch (...) {
        }
        return;
    }
    if (m_sessionEndBlocked) {
        m_sessionEndBlocked = false;
        m_sessionEnd.Unblock(Hwnd());
        // The user came back: close as the user wanted to, asking about the capture.
        ::PostMessageW(Hwnd(), WM_CLOSE, 0, 0);
    }
}

void FrmMain::CreateControls() {
    const HWND self = Hwnd();
    m_toolbar1.Create(self, ids::kToolbar1, TwipsToPixels(kToolbarHeight, m_units.y));
    m_imageList1 =
        CreateToolbarImages(ToolbarImageSizeForDpi(static_cast<int>(DpiForWindow(self))));
    m_toolbar1.AddPositions(ToolbarTable(), m_imageList1, ids::kToolbarCommandBase,
                            DpiForWindow(self));
    m_statusBar1.Create(self, ids::kStatusBar1);
    m_statusBar1.SetPanelText(1, kWelcomeText);
    m_statusBar1.SetPanel1Tip(kWelcomeText);

    // The design geometry; the first layout replaces what it owns. The bars are made before
    // the viewport, which puts them above it, where the layout wants them.
    const view::ViewLayout design;
    const UINT dpi = DpiForWindow(self);
    const int barWidth = MetricForDpi(SM_CXVSCROLL, dpi);
    const int barHeight = MetricForDpi(SM_CYHSCROLL, dpi);
    RECT h = ToPixels({0, design.hBarTop, design.hBarWidth, 0}, m_units);
    h.bottom = h.top + barHeight;
    RECT v = ToPixels({design.vBarLeft, view::kViewportTop, 0, design.vBarHeight}, m_units);
    v.right = v.left + barWidth;
    m_hScroll1.Create(self, ids::kHScroll1, ScrollBar::Orientation::Horizontal, h);
    m_vScroll1.Create(self, ids::kVScroll1, ScrollBar::Orientation::Vertical, v);
    m_picScroll.Create(self, ids::kPicScroll,
                       ToPixels({view::kViewportLeft, view::kViewportTop, design.viewportWidth,
                                 design.viewportHeight},
                                m_units),
                       COLOR_APPWORKSPACE, false);
    m_picBmp.Create(m_picScroll.Hwnd(), ids::kPicBmp,
                    ToPixels({0, 0, view::kEmptyPictureWidth, view::kEmptyPictureHeight}, m_units),
                    COLOR_APPWORKSPACE, true);
}

FormExtent FrmMain::OuterExtent() const {
    RECT rect{};
    ::GetWindowRect(Hwnd(), &rect);
    return {Hwnd(), PixelsToTwips(rect.right - rect.left, m_units.x),
            PixelsToTwips(rect.bottom - rect.top, m_units.y), m_units.x, m_units.y};
}

FormExtent FrmMain::ClientExtent() const {
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    return {Hwnd(), PixelsToTwips(client.right, m_units.x), PixelsToTwips(client.bottom, m_units.y),
            m_units.x, m_units.y};
}

// Commands

void FrmMain::PlacePicture(Picture picture) noexcept {
    m_picBmp.SetPicture(std::move(picture));
    m_imageUnsaved = true;
}

void FrmMain::mnuScreen_Click() {
    {
        WindowHiddenForCapture hidden(Hwnd());
        PlacePicture(CaptureWholeScreen());
    }
    Form_Resize();
}

void FrmMain::mnuAtiveWindow_Click() {
    if (m_boxes.Show(Hwnd(), kDelayedCapturePrompt, kMessageTitle,
                     MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) {
        return;
    }
    {
        // The previous state, maximised say, is not restored: the window comes back normal.
        RestoreNormalOnExit restore(Hwnd());
        ::ShowWindow(Hwnd(), SW_MINIMIZE);
        ::Sleep(kDelayedCaptureWaitMs);
        // Nobody activated another window: the picture would be this window's minimised
        // caption, and it would replace the picture in the view.
        if (::GetForegroundWindow() == Hwnd()) {
            throw Failure(kNoOtherActiveWindow);
        }
        PlacePicture(CaptureForegroundWindow());
    }
    Form_Resize();
}

void FrmMain::CaptureActiveWindowNow() {
    // Chosen when the hotkey was pressed: no wait, since the program's own window need not get
    // out of the way to let another become active.
    const HWND target = ::GetForegroundWindow();
    if (target == nullptr || ::IsIconic(target)) {
        throw Failure(kNoActiveWindow);
    }
    PlacePicture(CaptureVisibleFrame(target));
    Form_Resize();
}

void FrmMain::mnuTitleBar_Click() {
    PlacePicture(CaptureWindowWithFrame(OuterExtent()));
    Form_Resize();
}

void FrmMain::mnuClient_Click() {
    PlacePicture(CaptureClientArea(ClientExtent()));
    Form_Resize();
}

// The free-area capture: arming shows the screen's snapshot; a left press on it runs the drag
// (Form_MouseDown) and lands the area; Esc cancels.
void FrmMain::mnuDistrict_Click() {
    if (m_selectionArmed && !m_snapshot.Shown()) {
        // Armed with no snapshot on the screen to take a press or Esc: start again.
        SelectionCancel();
    }
    m_scaleMode = ScaleMode::Pixels;
    if (m_selectionArmed) {
        return;
    }
    m_selectionArmed = true;
    m_mousePointer = MousePointer::Crosshair;
    m_unsavedBeforeArming = m_imageUnsaved;
    m_imageUnsaved = true;
    m_magnifierStored =
        m_settings.Read(ids::kSettingsSection, ids::kMagnifierSetting).value_or(L"1") != L"0";
    m_snapshot.SetMagnifierOn(m_magnifierStored);
    try {
        ArmFreeAreaCapture(Hwnd(), m_snapshot);
    } catch (...) {
        SelectionCancel();
        throw;
    }
}

void FrmMain::Form_MouseDown(HWND window, int button, int x, int y) {
    if ((button & kLeftButton) == 0 || m_mousePointer != MousePointer::Crosshair ||
        !m_selectionArmed) {
        return;
    }
    m_selectionArmed = false;
    // Nothing is captured until a picture lands in the view, whatever fails on the way.
    m_imageUnsaved = m_unsavedBeforeArming;
    std::optional<Rect> copied;
    Reporting(ids::kMnuDistrict, [&] {
        AreaCopy copy;
        {
            // The snapshot goes and the window comes back, whatever the drag or the copy does.
            struct EndOfSelection {
                FrmMain& form;
                ~EndOfSelection() { form.EndSelection(); }
            } end{*this};
            POINT anchor{x, y};
            const Rect rect = m_areaSteps->Track(window, anchor, m_snapshot);
            copy = m_areaSteps->Copy(m_snapshot.Source(), Hwnd(), rect);
            if (copy.outcome != AreaCopy::Outcome::Nothing) {
                copied = rect;
            }
        }
        LandSelection(std::move(copy));
    });
    // Kept for the repeat once the capture is over: a store that cannot be written is reported
    // on its own and takes nothing from the capture.
    if (copied) {
        Reporting(ids::kMnuDistrict, [&] {
            m_settings.Write(ids::kSettingsSection, ids::kLastAreaSetting,
                             Widen(FormatLastArea(*copied)));
        });
    }
    Reporting(ids::kMnuDistrict, [&] { StoreMagnifierChoice(); });
}

void FrmMain::StoreMagnifierChoice() {
    const bool on = m_snapshot.MagnifierOn();
    if (on == m_magnifierStored) {
        return;
    }
    try {
        m_settings.Write(ids::kSettingsSection, ids::kMagnifierSetting, on ? L"1" : L"0");
    } catch (...) {
        throw Failure(kMagnifierNotStored + (L"\n\n" + CauseOfCurrentException()));
    }
    m_magnifierStored = on;
}

void FrmMain::mnuRepeat_Click() {
    const std::optional<Rect> last = ParseLastArea(ReadSetting(m_settings, ids::kLastAreaSetting));
    if (!last) {
        throw Failure(kNoLastArea);
    }
    const std::optional<Rect> area = AreaOnMonitors(*last, m_monitors.Monitors());
    if (!area) {
        throw Failure(kLastAreaOffScreen);
    }
    AreaCopy copy;
    {
        // Out of the picture, minimised too: without a taskbar its caption is on the screen.
        WindowHiddenForCapture hidden(Hwnd());
        WindowDc screen = WindowDc::ForClient(nullptr);
        if (!screen) {
            ThrowLastError(L"GetDC");
        }
        copy = m_areaSteps->Copy({screen.get(), 0, 0}, Hwnd(), *area);
    }
    LandSelection(std::move(copy));
}

void FrmMain::LandSelection(AreaCopy copy) {
    switch (copy.outcome) {
        case AreaCopy::Outcome::Nothing:
            return;
        case AreaCopy::Outcome::Kept:
            // Neither lost nor leaked: the capture goes straight into the view.
            PlacePicture(CreatePictureFromBitmap(std::move(copy.kept), UniquePalette()));
            Form_Resize();
            throw Failure(ClipboardRefusal(copy));
        case AreaCopy::Outcome::OnClipboard:
            break;
    }
    std::optional<Picture> landed = m_areaSteps->ReadBack(Hwnd());
    if (!landed) {
        throw Failure(kClipboardUnreadable);
    }
    PlacePicture(std::move(*landed));
    Form_Resize();
}

void FrmMain::Form_MouseUp(int button) {
    if ((button & kLeftButton) == 0) {
        return;
    }
    m_mousePointer = MousePointer::Default;
    m_scaleMode = ScaleMode::Twips;
}

void FrmMain::SelectionCancel() {
    if (!m_selectionArmed) {
        return;
    }
    m_selectionArmed = false;
    m_imageUnsaved = m_unsavedBeforeArming;
    EndSelection();
    Reporting(ids::kMnuDistrict, [&] { StoreMagnifierChoice(); });
}

void FrmMain::EndSelection() noexcept {
    m_snapshot.Hide();
    m_mousePointer = MousePointer::Default;
    m_scaleMode = ScaleMode::Twips;
    WindowTransitionsOff still(Hwnd());
    RestoreNormalOnExit restore(Hwnd());
}

std::wstring FrmMain::GetFileName(const std::wstring& path) {
    return pw::GetFileName(path);
}

// Opening replaces the picture but leaves ImageUnsaved: a capture replaced unsaved still counts
// as unsaved at close.
void FrmMain::mnuOpen_Click() {
    // An unsaved capture is not replaced unasked: the question of the close comes first.
    bool cancel = false;
    AskToSaveCapture(cancel);
    if (cancel) {
        return;
    }
    m_cdOpen.SetFilter(kOpenFileFilter);
    if (!m_cdOpen.ShowOpen(Hwnd())) {
        return;
    }
    ShowOpenedPicture(LoadPictureFile(m_cdOpen.FileName()), m_cdOpen.FileName());
}

void FrmMain::ShowOpenedPicture(Picture picture, const std::wstring& path) {
    m_picBmp.SetPicture(std::move(picture));
    const TwipsBox inner = ChildBox(m_picBmp.Hwnd(), m_units);
    const std::wstring caption =
        OpenedFileCaption(ProgramName(), GetFileName(path), inner.width, inner.height);
    ::SetWindowTextW(Hwnd(), caption.c_str());
    Form_Resize();
}

void FrmMain::OpenFile(const std::wstring& path) {
    Reporting(ids::kMnuOpen, [&] { ShowOpenedPicture(LoadPictureFile(path), path); });
}

void FrmMain::OnDropFiles(HDROP drop) {
    std::vector<std::wstring> paths;
    Reporting(ids::kMnuOpen, [&] {
        // The shell is loaded for the first drop, not at every start.
        const auto query =
            RequiredSystemFunction<decltype(::DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
        const auto finish =
            RequiredSystemFunction<decltype(::DragFinish)>(L"shell32.dll", "DragFinish");
        const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            std::wstring path(query(drop, i, nullptr, 0), L'\0');
            // The length asked for leaves out the terminating null, which the copy writes.
            path.resize(query(drop, i, path.data(), static_cast<UINT>(path.size() + 1)));
            paths.push_back(std::move(path));
        }
        finish(drop);
    });
    OpenDroppedFiles(paths);
}

void FrmMain::OpenDroppedFiles(const std::vector<std::wstring>& paths) {
    if (paths.empty()) {
        return;
    }
    Reporting(ids::kMnuOpen, [&] {
        const std::wstring& first = paths.front();
        const DWORD attributes = ::GetFileAttributesW(first.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            throw Failure(kDroppedFolder + first);
        }
        // Read before the question: a file that is no picture is reported without one.
        Picture picture = LoadPictureFile(first);
        bool cancel = false;
        AskToSaveCapture(cancel);
        if (cancel) {
            return;
        }
        ShowOpenedPicture(std::move(picture), first);
        if (paths.size() > 1) {
            m_boxes.Show(Hwnd(), kOnlyFirstDropped + first, kMessageTitle,
                         MB_OK | MB_ICONINFORMATION);
        }
    });
}

void FrmMain::mnusave_Click() {
    const Picture picture = m_picBmp.GetPicture();
    if (picture.Empty()) {
        throw Failure(kNothingToSave);
    }
    m_cdOpen.SetDefaultExt(kSaveDefaultExt);
    m_cdOpen.SetFlags(kSaveDialogFlags);
    m_cdOpen.SetFilter(kImageFileFilter);
    // The open dialog's entries past these are formats that a save does not write.
    if (m_cdOpen.FilterIndex() > kImageFileFilterEntries) {
        m_cdOpen.SetFilterIndex(1);
    }
    m_cdOpen.SetDialogTitle(kSaveDialogTitle);
    if (!m_cdOpen.ShowSave(Hwnd())) {
        return;
    }
    const std::wstring& path = m_cdOpen.FileName();
    SavePictureFile(picture, path, SaveFormatFor(path, m_cdOpen.FilterIndex()));
    m_imageUnsaved = false;
}

void FrmMain::mnuClear_Click() {
    m_picBmp.SetPicture(Picture());
}

void FrmMain::mnuCopy_Click() {
    const Picture picture = m_picBmp.GetPicture();
    if (picture.Empty()) {
        throw Failure(kNothingToCopy);
    }
    // The clipboard gets a bitmap of its own; the picture keeps its own.
    UniqueBitmap copy = CopyBitmap(picture.Bitmap());
    if (!copy) {
        ThrowLastError(L"CreateCompatibleBitmap");
    }
    if (const ClipboardFailure failure = PutBitmapOnClipboard(Hwnd(), copy); failure.failedCall) {
        throw Failure(CopyRefusal(failure));
    }
}

namespace {

// The Paint and wallpaper files are written as the save command writes a bitmap.
void WriteBitmapFile(const Picture& picture, const std::wstring& path) {
    SavePictureFile(picture, path, ImageFormat::Bmp);
}

}  // namespace

// Neither writing the file for Paint nor the wallpaper counts as saving the picture.
void FrmMain::mnuMspaint_Click() {
    EditInPaint(Hwnd(), m_picBmp.GetPicture(), m_programFolder, WriteBitmapFile, m_shell);
}

void FrmMain::mnuWallpaper_Click() {
    SetPictureAsWallpaper(m_picBmp.GetPicture(), WriteBitmapFile, m_wallpaper);
}

void FrmMain::mnuClearWall_Click() {
    ClearWallpaper(m_wallpaper);
}

void FrmMain::mnuprint_Click() {
    PrintPicture(Hwnd(), m_picBmp.GetPicture(), DpiForWindow(Hwnd()), m_printDialogs);
}

void FrmMain::mnuChinese_Click() {
    ApplyLanguageFile(m_programFolder + kLanguageFolder, kChineseLanguageFile);
}

void FrmMain::mnuEnglish_Click() {
    ApplyLanguageFile(m_programFolder + kLanguageFolder, kEnglishLanguageFile);
}

namespace {

// What each line of a language file sets, in the file's order: the window title, the first
// status panel, then the menu items by name.
constexpr const char* kLanguageTargets[kLanguageLines] = {
    "FrmMain",      "StatusBar1",   "mnuFile",        "mnuOpen",     "mnusave",
    "mnuWallpaper", "mnuClearWall", "mnuprint",       "mnuClear",    "mnuExit",
    "mnuCapture",   "mnuScreen",    "mnuAtiveWindow", "mnuClient",   "mnuTitleBar",
    "mnuScroll",    "mnuView",      "mnuMspaint",     "mnuLanguage", "mnuChinese",
    "mnuEnglish",   "mnuDistrict",  "mnuhelp",        "mnuAbout",    "mnuHowto",
};
// The items added since, whose lines follow those, in the same order.
constexpr const char* kOptionalLanguageTargets[kOptionalLanguageLines] = {"mnuRepeat", "mnuCopy"};

}  // namespace

void FrmMain::ApplyLanguageFile(const std::wstring& folder, const std::wstring& fileName) {
    const std::array<std::wstring, kLanguageFileLines> lines = ReadLanguageFile(folder + fileName);
    std::wstring refused;
    for (size_t i = 0; i < kLanguageFileLines; ++i) {
        const char* target =
            i < kLanguageLines ? kLanguageTargets[i] : kOptionalLanguageTargets[i - kLanguageLines];
        bool taken = true;
        if (i >= kLanguageLines) {
            // A file written before these items has no line for them.
            const std::wstring caption =
                lines[i].empty() ? std::wstring(FindMenuEntry(target)->caption) : lines[i];
            taken = SetMenuCaption(Menu(), MenuTable(), target, caption);
        } else if (std::strcmp(target, "FrmMain") == 0) {
            taken = ::SetWindowTextW(Hwnd(), lines[i].c_str()) != FALSE;
        } else if (std::strcmp(target, "StatusBar1") == 0) {
            // The panel's tooltip repeats its text.
            m_statusBar1.SetPanelText(1, lines[i]);
            m_statusBar1.SetPanel1Tip(lines[i]);
        } else {
            taken = SetMenuCaption(Menu(), MenuTable(), target, lines[i]);
        }
        if (!taken) {
            refused += (refused.empty() ? L"" : L"、") + Widen(target);
        }
    }
    ::DrawMenuBar(Hwnd());
    if (!refused.empty()) {
        throw Failure(L"语言文件“" + folder + fileName + L"”中有些文字没有用上：" + refused +
                      L"。");
    }
}

void FrmMain::mnuHowto_Click() {
    // The viewer started before is forgotten, and Exit leaves it running.
    m_helpViewer = StartHelpViewer(m_programFolder, m_programs);
}

void FrmMain::mnuAbout_Click() {
    const AboutBox about =
        AboutForHelpCaption(Narrow(MenuCaption(Menu(), MenuTable(), "mnuHowto")));
    m_boxes.Show(Hwnd(), Widen(about.text), Widen(about.title), MB_OK | MB_ICONINFORMATION);
}

void FrmMain::mnuExit_Click() {
    TerminateProcessById(m_helpViewer);
    // Straight to the window's end: the close handling does not run.
    ::DestroyWindow(Hwnd());
}

void FrmMain::Toolbar1_ButtonClick(int index) {
    if (const UINT id = ToolbarCommand(index); id != 0) {
        RunCommand(id);
    }
}

void FrmMain::RunCommand(UINT id) {
    const MenuEntry* entry = FindCommand(id);
    if (entry == nullptr || entry->handler == nullptr || !entry->enabled) {
        return;
    }
    Reporting(id, [&] { (this->*(entry->handler))(); });
}

template <typename Work>
void FrmMain::Reporting(UINT id, Work&& work) {
    const CommandRunning running(m_commandRunning);
    try {
        work();
    } catch (...) {
        ReportFailure(id, CauseOfCurrentException());
    }
}

std::wstring FrmMain::CommandName(UINT id) const {
    // The built-in caption, not the one the menu shows: messages keep their built-in wording
    // after a language file, which may also have left the caption empty.
    if (id == ids::kActiveWindowNow) {
        return kActiveWindowNowName;
    }
    const MenuEntry* entry = FindCommand(id);
    return entry != nullptr ? Widen(CommandDisplayName(Narrow(entry->caption))) : std::wstring();
}

void FrmMain::ReportFailure(UINT id, const std::wstring& cause) {
    m_boxes.Show(Hwnd(), L"无法完成“" + CommandName(id) + L"”。\n\n" + cause, kMessageTitle,
                 MB_OK | MB_ICONWARNING);
}

void FrmMain::OnEscapedException() {
    ::PostMessageW(Hwnd(), kReportEscapedException, 0, 0);
}

// The view

view::ViewLayout FrmMain::CurrentLayout() const {
    view::ViewLayout layout;
    const TwipsBox viewport = ChildBox(m_picScroll.Hwnd(), m_units);
    const TwipsBox h = ChildBox(m_hScroll1.Hwnd(), m_units);
    const TwipsBox v = ChildBox(m_vScroll1.Hwnd(), m_units);
    layout.viewportWidth = viewport.width;
    layout.viewportHeight = viewport.height;
    layout.hBarTop = h.top;
    layout.hBarWidth = h.width;
    layout.vBarLeft = v.left;
    layout.vBarHeight = v.height;
    layout.h = m_hScroll1.Settings();
    layout.v = m_vScroll1.Settings();
    return layout;
}

void FrmMain::Form_Resize() {
    if (::IsIconic(Hwnd())) {
        return;
    }
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    view::LayoutInput input;
    input.minimised = false;
    input.clientWidth = PixelsToTwips(client.right, m_units.x);
    input.clientHeight = PixelsToTwips(client.bottom, m_units.y);
    input.toolbarHeight = PixelsToTwips(m_toolbar1.HeightPixels(), m_units.y);
    input.statusBarHeight = PixelsToTwips(m_statusBar1.HeightPixels(), m_units.y);
    input.hBarHeight = ChildBox(m_hScroll1.Hwnd(), m_units).height;
    input.vBarWidth = ChildBox(m_vScroll1.Hwnd(), m_units).width;
    const TwipsBox picture = ChildBox(m_picBmp.Hwnd(), m_units);
    input.pictureWidth = picture.width;
    input.pictureHeight = picture.height;
    input.twipsPerPixel = m_units;
    ApplyLayout(view::Relayout(input, CurrentLayout()));
}

void FrmMain::ApplyLayout(const view::ViewLayout& layout) {
    const float hThickness = ChildBox(m_hScroll1.Hwnd(), m_units).height;
    const float vThickness = ChildBox(m_vScroll1.Hwnd(), m_units).width;
    MoveChild(
        m_picScroll.Hwnd(),
        {view::kViewportLeft, view::kViewportTop, layout.viewportWidth, layout.viewportHeight},
        m_units);
    MoveChild(m_hScroll1.Hwnd(), {0.0f, layout.hBarTop, layout.hBarWidth, hThickness}, m_units);
    MoveChild(m_vScroll1.Hwnd(),
              {layout.vBarLeft, view::kViewportTop, vThickness, layout.vBarHeight}, m_units);
    m_hScroll1.Apply(layout.h, RoundToInt32(layout.viewportWidth));
    m_vScroll1.Apply(layout.v, RoundToInt32(layout.viewportHeight));
    MovePictureToScrollValues();
    // A viewport widened into the other bar's strip lies under that bar, which stays usable.
    for (const HWND bar : {m_hScroll1.Hwnd(), m_vScroll1.Hwnd()}) {
        if (!IsAbove(bar, m_picScroll.Hwnd())) {
            ::SetWindowPos(bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
}

void FrmMain::MovePictureToScrollValues(bool scrolling) {
    const int x = TwipsToPixels(view::PictureOffsetFor(m_hScroll1.Value()), m_units.x);
    const int y = TwipsToPixels(view::PictureOffsetFor(m_vScroll1.Value()), m_units.y);
    if (scrolling) {
        m_picBmp.ScrollTo(x, y);
        return;
    }
    if (const RECT now = ChildRect(m_picBmp.Hwnd()); now.left != x || now.top != y) {
        ::SetWindowPos(m_picBmp.Hwnd(), nullptr, x, y, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void FrmMain::OnScroll(ScrollBar& bar, int code) {
    if (const std::optional<int64_t> wanted = bar.RequestedValue(code)) {
        // While the thumb is dragged the control draws it where the mouse is; drawing the bar
        // again for every step would double its cost. The drop (SB_THUMBPOSITION) redraws.
        bar.SetValue(*wanted, code != SB_THUMBTRACK);
        MovePictureToScrollValues(true);
    }
}

void FrmMain::ScrollBy(ScrollBar& bar, int64_t delta) {
    if (!bar.Settings().visible || delta == 0) {
        return;
    }
    bar.SetValue(bar.Value() + delta);
    MovePictureToScrollValues(true);
}

void FrmMain::OnKeyDown(UINT key) {
    const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    ScrollBar& ends = ctrl ? m_hScroll1 : m_vScroll1;
    switch (key) {
        case VK_LEFT:
            ScrollBy(m_hScroll1, -int64_t{m_hScroll1.Settings().smallChange});
            break;
        case VK_RIGHT:
            ScrollBy(m_hScroll1, m_hScroll1.Settings().smallChange);
            break;
        case VK_UP:
            ScrollBy(m_vScroll1, -int64_t{m_vScroll1.Settings().smallChange});
            break;
        case VK_DOWN:
            ScrollBy(m_vScroll1, m_vScroll1.Settings().smallChange);
            break;
        case VK_PRIOR:
            ScrollBy(m_vScroll1, -int64_t{m_vScroll1.Settings().largeChange});
            break;
        case VK_NEXT:
            ScrollBy(m_vScroll1, m_vScroll1.Settings().largeChange);
            break;
        case VK_HOME:
            ScrollBy(ends, -int64_t{ends.Value()});
            break;
        case VK_END:
            ScrollBy(ends, int64_t{ends.Settings().max} - ends.Value());
            break;
        default:
            break;
    }
}

void FrmMain::OnMouseWheel(int delta, bool horizontal) {
    ScrollBar& bar = horizontal ? m_hScroll1 : m_vScroll1;
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    m_wheelRemainder += delta;
    const int notches = m_wheelRemainder / WHEEL_DELTA;
    m_wheelRemainder %= WHEEL_DELTA;
    if (notches == 0) {
        return;
    }
    const int64_t step = lines == WHEEL_PAGESCROLL
                             ? int64_t{bar.Settings().largeChange}
                             : int64_t{lines} * kWheelLinePixels * bar.Settings().smallChange;
    // Wheel forward scrolls up (or left); a horizontal wheel forward scrolls right.
    ScrollBy(bar, horizontal ? notches * step : -notches * step);
}

const wchar_t* FrmMain::ToolbarTooltip(UINT_PTR commandId) const {
    const int index = static_cast<int>(commandId) - static_cast<int>(ids::kToolbarCommandBase);
    if (index < 1 || index > kToolbarButtons) {
        return nullptr;
    }
    return ToolbarTable()[static_cast<size_t>(index) - 1].tooltip;
}

std::optional<LRESULT> FrmMain::OnNotify(const NMHDR& header, LPARAM lParam) {
    // The toolbar asks for its buttons' tips; the texts stay the same in every language.
    if (header.code == TBN_GETINFOTIPW && header.hwndFrom == m_toolbar1.Hwnd()) {
        auto& tip = *reinterpret_cast<NMTBGETINFOTIPW*>(lParam);
        if (const wchar_t* text = ToolbarTooltip(static_cast<UINT_PTR>(tip.iItem));
            text != nullptr && tip.pszText != nullptr && tip.cchTextMax > 0) {
            ::lstrcpynW(tip.pszText, text, tip.cchTextMax);
        }
        return 0;
    }
    if (header.code == NM_CUSTOMDRAW && header.hwndFrom == m_toolbar1.Hwnd()) {
        return m_toolbar1.OnCustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(lParam));
    }
    if (header.code == TTN_GETDISPINFOW) {
        auto& info = *reinterpret_cast<NMTTDISPINFOW*>(lParam);
        if (const wchar_t* text = ToolbarTooltip(header.idFrom); text != nullptr) {
            info.lpszText = const_cast<wchar_t*>(text);
            return 0;
        }
    }
    return std::nullopt;
}

void FrmMain::ApplyDpi(UINT dpi) {
    m_units = TwipsPerPixelForDpi(static_cast<int>(dpi), static_cast<int>(dpi));
    m_toolbar1.SetHeightPixels(TwipsToPixels(kToolbarHeight, m_units.y));
    m_toolbar1.ScaleGaps(dpi);
    // The images drawn for the new scale, and the icons the caption and Alt+Tab show.
    const int imageSize = ToolbarImageSizeForDpi(static_cast<int>(dpi));
    if (imageSize != m_imageList1.Size()) {
        if (ToolbarImages images = CreateToolbarImages(imageSize); !images.Empty()) {
            m_imageList1 = std::move(images);
            m_toolbar1.SetImages(m_imageList1);
        }
    }
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_SMALL,
                   reinterpret_cast<LPARAM>(LoadProgramIcon(MetricForDpi(SM_CXSMICON, dpi))));
    ::SendMessageW(Hwnd(), WM_SETICON, ICON_BIG,
                   reinterpret_cast<LPARAM>(LoadProgramIcon(MetricForDpi(SM_CXICON, dpi))));
    // Without a picture, PicBmp keeps its size in twips; a picture keeps its pixels.
    if (m_picBmp.GetPicture().Empty()) {
        const RECT size =
            ToPixels({0, 0, view::kEmptyPictureWidth, view::kEmptyPictureHeight}, m_units);
        ::SetWindowPos(m_picBmp.Hwnd(), nullptr, 0, 0, size.right, size.bottom,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The bars take the new system thickness; the next layout places them.
    RECT h{};
    ::GetWindowRect(m_hScroll1.Hwnd(), &h);
    ::SetWindowPos(m_hScroll1.Hwnd(), nullptr, 0, 0, h.right - h.left,
                   MetricForDpi(SM_CYHSCROLL, dpi), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT v{};
    ::GetWindowRect(m_vScroll1.Hwnd(), &v);
    ::SetWindowPos(m_vScroll1.Hwnd(), nullptr, 0, 0, MetricForDpi(SM_CXVSCROLL, dpi),
                   v.bottom - v.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FrmMain::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyDpi(dpi);
    if (m_applyingPlacement) {
        // The stored size is in this monitor's pixels already.
        RECT client{};
        ::GetClientRect(Hwnd(), &client);
        OnSize(SIZE_RESTORED, client.right, client.bottom);
        return;
    }
    ::SetWindowPos(Hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The size may not have changed; the view is laid out for the new scale all the same.
    RECT client{};
    ::GetClientRect(Hwnd(), &client);
    OnSize(SIZE_RESTORED, client.right, client.bottom);
}

void FrmMain::OnSize(UINT kind, int width, int /*height*/) {
    if (kind == SIZE_MINIMIZED) {
        return;
    }
    m_toolbar1.Fit(width);
    m_statusBar1.Fit(width, TwipsToPixels(kStatusPanelMinWidth, m_units.x),
                     TwipsToPixels(kStatusPanelMinWidth, m_units.x));
    Form_Resize();
}

LRESULT FrmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_COMMAND:
            if (lParam == 0) {  // menu or accelerator
                RunCommand(LOWORD(wParam));
                return 0;
            }
            if (reinterpret_cast<HWND>(lParam) == m_toolbar1.Hwnd()) {
                Toolbar1_ButtonClick(static_cast<int>(LOWORD(wParam)) -
                                     static_cast<int>(ids::kToolbarCommandBase));
                return 0;
            }
            break;
        case WM_NOTIFY:
            if (const auto* header = reinterpret_cast<const NMHDR*>(lParam); header != nullptr) {
                if (const std::optional<LRESULT> handled = OnNotify(*header, lParam)) {
                    return *handled;
                }
            }
            break;
        case WM_CLOSE:
            // A close while armed (another program's request, the session's end) ends the
            // capture first: the question would sit under the snapshot, and arming alone has
            // captured nothing to ask about.
            SelectionCancel();
            if (Form_Unload()) {
                ::DestroyWindow(Hwnd());
            }
            return 0;
        case WM_QUERYENDSESSION:
            SelectionCancel();
            return OnQueryEndSession() ? TRUE : FALSE;
        case WM_ENDSESSION:
            OnEndSession(wParam != FALSE);
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETCURSOR:
            // The mouse came over a child; over the status bar, panel 1's tip may be wanted.
            if (reinterpret_cast<HWND>(wParam) == m_statusBar1.Hwnd()) {
                m_statusBar1.Tooltip();
            }
            break;
        case WM_HSCROLL:
        case WM_VSCROLL: {
            const HWND bar = reinterpret_cast<HWND>(lParam);
            if (bar == m_hScroll1.Hwnd()) {
                OnScroll(m_hScroll1, LOWORD(wParam));
            } else if (bar == m_vScroll1.Hwnd()) {
                OnScroll(m_vScroll1, LOWORD(wParam));
            }
            return 0;
        }
        case WM_LBUTTONUP:
            Form_MouseUp(kLeftButton);
            return 0;
        case WM_ACTIVATE:
            // Alt+Tab, the taskbar or another program brought the window back while armed: its
            // shortcuts would work under the snapshot, and Esc would not reach it. Looked at
            // again once the activation has settled, so that a passing one does not cancel.
            if (LOWORD(wParam) != WA_INACTIVE && m_selectionArmed) {
                ::PostMessageW(Hwnd(), kActivatedWhileArmed, 0, 0);
            }
            break;
        case kActivatedWhileArmed:
            if (m_selectionArmed && ::GetActiveWindow() == Hwnd()) {
                SelectionCancel();
            }
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(static_cast<UINT>(wParam));
            return 0;
        case WM_MOUSEWHEEL:
            OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam),
                         (GET_KEYSTATE_WPARAM(wParam) & MK_SHIFT) != 0);
            return 0;
        case WM_MOUSEHWHEEL:
            OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), true);
            return 0;
        case kReportEscapedException: {
            const CommandRunning running(m_commandRunning);
            m_boxes.Show(Hwnd(), L"发生了意外错误，操作没有完成。", kMessageTitle,
                         MB_OK | MB_ICONWARNING);
            return 0;
        }
        case WM_HOTKEY:
            OnHotkey(static_cast<UINT>(wParam));
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_DESTROY:
            UnregisterHotkeys();
            ::PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace pw
