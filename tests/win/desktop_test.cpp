#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ids.h"
#include "desktop/print.h"
#include "desktop/programs.h"
#include "desktop/wallpaper.h"
#include "desktop_support.h"
#include "document/image_file.h"
#include "platform/dib.h"
#include "platform/failure.h"
#include "platform/program_folder.h"
#include "platform/text.h"

namespace pw {
namespace {

using test::DesktopWindowTest;

// Stands in for the spooler's list and the print dialog: lists `printers` or fails with
// `listError`; cancels, or hands out a device context of its own.
class ScriptedPrintDialogs final : public PrintDialogs {
  public:
    DWORD CountPrinters(DWORD& count) override {
        count = printers;
        return listError;
    }
    UniqueDc Show(HWND ownerWindow) override {
        ++shown;
        owner = ownerWindow;
        return confirm ? UniqueDc(::CreateCompatibleDC(nullptr)) : UniqueDc();
    }
    DWORD printers = 1;
    DWORD listError = 0;
    int shown = 0;
    HWND owner = nullptr;
    bool confirm = false;
};

TEST(HelpCommandLineTest, ReadmeBesideTheProgramUnquoted) {
    EXPECT_EQ(HelpCommandLine(L"C:\\Tools"), L"notepad C:\\Tools\\readme.txt");
    EXPECT_EQ(HelpCommandLine(L"C:\\Program Files\\Pixel wren"),
              L"notepad C:\\Program Files\\Pixel wren\\readme.txt");
    // At a drive's root the folder keeps its separator and the texts are joined as they are.
    EXPECT_EQ(HelpCommandLine(L"D:\\"), L"notepad D:\\\\readme.txt");
    // The program folder of a program file: no separator at the end, except at a root.
    EXPECT_EQ(FolderOfPath(L"C:\\Tools\\Pixelwren.exe"), L"C:\\Tools");
    EXPECT_EQ(FolderOfPath(L"C:\\Pixelwren.exe"), L"C:\\");
    EXPECT_EQ(FolderOfPath(L"\\\\server\\share\\Pixelwren.exe"), L"\\\\server\\share");
}

class HelpTest : public DesktopWindowTest {
  protected:
    HelpTest() : DesktopWindowTest(L"pw desk with spaces") {}
};

// %SystemRoot%\system32\notepad.exe, as the environment names the system's folder.
std::wstring NotepadInSystemRoot() {
    wchar_t root[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SystemRoot", root, MAX_PATH);
    return std::wstring(root) + L"\\system32\\notepad.exe";
}

TEST_F(HelpTest, HelpStartsNotepadOnTheReadmeInANormalWindow) {
    m_form.RunCommand(ids::kMnuHowto);
    ASSERT_EQ(m_programs.started.size(), 1u);
    // The system's Notepad by its full path: no notepad.exe beside the program or in the
    // current folder is looked at.
    EXPECT_EQ(::CompareStringOrdinal(m_programs.started[0].application.c_str(), -1,
                                     NotepadInSystemRoot().c_str(), -1, TRUE),
              CSTR_EQUAL)
        << Narrow(m_programs.started[0].application);
    EXPECT_EQ(m_programs.started[0].commandLine, L"notepad " + m_folder.Path() + L"\\readme.txt");
    EXPECT_NE(m_folder.Path().find(L' '), std::wstring::npos);
    EXPECT_EQ(m_programs.started[0].show, SW_SHOWNORMAL);
    EXPECT_EQ(m_boxes.Count(), 0u);
    // Toolbar button 16 runs the same command.
    m_form.Toolbar1_ButtonClick(16);
    EXPECT_EQ(m_programs.started.size(), 2u);

    // A viewer that cannot be started is reported, naming the command line.
    m_programs.failWith = L"找不到 notepad。";
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuHowto);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(L"找不到 notepad。"), std::wstring::npos);
    EXPECT_NE(m_boxes.Last().text.find(L"“帮助主题(H)”"), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
}

bool Running(const StartedProcess& process) {
    return process.handle && ::WaitForSingleObject(process.handle.get(), 0) == WAIT_TIMEOUT;
}

TEST(HelpViewerTest, ExitEndsOnlyTheViewerStartedLastAndStoresNothing) {
    test::ScratchFolder folder(L"pw help viewer");
    test::WriteFileText(folder.Path() + L"\\readme.txt", "Pixelwren help\r\n");
    test::TestSettingsKey key;
    SettingsStore settings(key.Path());
    // No box is scripted: Exit asks nothing, also about the unsaved capture.
    test::ScriptedMessageBoxes boxes;
    FrmMainServices services;
    services.programFolder = folder.Path();
    FrmMain form(boxes, settings, services);
    ASSERT_TRUE(form.Create());
    form.RunCommand(ids::kMnuClient);
    ASSERT_TRUE(form.ImageUnsaved());
    SystemProgramStarter programs;
    // A process this test started itself, as the id of an unrelated program would be.
    StartedProcess other = programs.Start(SystemNotepad(), L"notepad", SW_SHOWMINNOACTIVE);

    form.RunCommand(ids::kMnuHowto);
    const DWORD firstId = form.HelpViewerProcess().id;
    // The first viewer, as a handle of the test's own, to see it outlive the Exit.
    StartedProcess first;
    first.handle.reset(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, firstId));
    form.RunCommand(ids::kMnuHowto);
    const DWORD secondId = form.HelpViewerProcess().id;
    EXPECT_NE(firstId, secondId);
    StartedProcess second;
    second.handle.reset(::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION,
                                      FALSE, secondId));
    ASSERT_TRUE(Running(first));
    ASSERT_TRUE(Running(second));

    form.RunCommand(ids::kMnuExit);
    EXPECT_EQ(::WaitForSingleObject(second.handle.get(), 5000), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(second.handle.get(), &code);
    EXPECT_EQ(code, 1u);
    EXPECT_EQ(form.Hwnd(), nullptr);
    // Ended together with the second, had Exit ended them.
    EXPECT_EQ(::WaitForSingleObject(first.handle.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(Running(other));
    EXPECT_EQ(key.Value(L"MainLeft"), L"(missing)");
    for (const StartedProcess* started : {&first, &second, &other}) {
        ::TerminateProcess(started->handle.get(), 0);
    }
    EXPECT_EQ(boxes.Count(), 0u);
}

class PrintTest : public DesktopWindowTest {};

TEST_F(PrintTest, DialogDecidesAndNothingChanges) {
    ScriptedPrintDialogs dialogs;
    FrmMainServices services = Services();
    services.printDialogs = &dialogs;
    FrmMain form(m_boxes, m_settings, services);
    ASSERT_TRUE(form.Create());

    // With no picture there is nothing to print: said so, no dialog.
    m_boxes.Answer(IDOK);
    form.RunCommand(ids::kMnuPrint);
    EXPECT_EQ(dialogs.shown, 0);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(L"没有可打印的内容"), std::wstring::npos);

    form.RunCommand(ids::kMnuClient);
    const Picture picture = form.PicBmp().GetPicture();
    ASSERT_FALSE(picture.Empty());
    // Cancelled from the menu and from toolbar button 14: nothing printed, nothing said.
    form.RunCommand(ids::kMnuPrint);
    form.Toolbar1_ButtonClick(14);
    EXPECT_EQ(dialogs.shown, 2);
    EXPECT_EQ(dialogs.owner, form.Hwnd());
    EXPECT_EQ(m_boxes.Count(), 1u);
    EXPECT_TRUE(form.PicBmp().GetPicture() == picture);
    EXPECT_TRUE(form.ImageUnsaved());

    // Confirmed on a device that cannot print: the failure is reported.
    dialogs.confirm = true;
    const int objects = test::CountGdiObjects();
    m_boxes.Answer(IDOK);
    form.RunCommand(ids::kMnuPrint);
    ASSERT_EQ(m_boxes.Count(), 2u);
    EXPECT_NE(m_boxes.Last().text.find(L"“打印”"), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
    EXPECT_NE(m_boxes.Last().text.find(L"StartDoc"), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
    EXPECT_EQ(test::CountGdiObjects(), objects);
    EXPECT_TRUE(form.PicBmp().GetPicture() == picture);
}

TEST_F(PrintTest, NoPrinterIsSaidOnlyWhenThereIsNone) {
    ScriptedPrintDialogs none;
    none.printers = 0;
    ScriptedPrintDialogs stopped;
    stopped.listError = RPC_S_SERVER_UNAVAILABLE;
    // The test prefix has no printer; were there one, the system's dialog would wait for a
    // person.
    SystemPrintDialogs system;
    DWORD installed = 0;
    ASSERT_EQ(system.CountPrinters(installed), 0u);
    ASSERT_EQ(installed, 0u);
    struct Case {
        const char* name;
        PrintDialogs* dialogs;
        const wchar_t* said;
        const wchar_t* notSaid;
    };
    const Case cases[] = {
        {"the system's, with no printer", &system, L"没有安装打印机", L"EnumPrinters"},
        {"none listed", &none, L"没有安装打印机", L"EnumPrinters"},
        // A stopped print spooler says nothing of the printers there are.
        {"spooler stopped", &stopped, L"EnumPrinters 失败（错误 1722）", L"没有安装打印机"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrmMainServices services = Services();
        services.printDialogs = c.dialogs;
        FrmMain form(m_boxes, m_settings, services);
        ASSERT_TRUE(form.Create());
        form.RunCommand(ids::kMnuClient);
        m_boxes.Answer(IDOK);
        form.RunCommand(ids::kMnuPrint);
        ASSERT_EQ(m_boxes.Count(), static_cast<size_t>(&c - cases) + 1);
        const std::wstring& text = m_boxes.Last().text;
        EXPECT_NE(text.find(L"“打印”"), std::wstring::npos) << Narrow(text);
        EXPECT_NE(text.find(c.said), std::wstring::npos) << Narrow(text);
        EXPECT_EQ(text.find(c.notSaid), std::wstring::npos) << Narrow(text);
    }
    EXPECT_EQ(none.shown + stopped.shown, 0);
}

TEST(PrintPageTest, PictureLandsAtItsScreenSizeCentredAndShrunkToFit) {
    // A page of 400 by 300 printer pixels at 192 dpi, drawn into a bitmap.
    constexpr int kWidth = 400;
    constexpr int kHeight = 300;
    struct Case {
        const char* name;
        int pictureWidth, pictureHeight;
        RECT placed;
    };
    const Case cases[] = {
        // 50 by 40 screen pixels at 96 dpi are 100 by 80 printer pixels at 192 dpi.
        {"small", 50, 40, {150, 110, 250, 190}},
        // 400 by 100 would be 800 by 200: shrunk to 400 by 100.
        {"wide", 400, 100, {0, 100, 400, 200}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture picture =
            test::SolidPicture(c.pictureWidth, c.pictureHeight, RGB(200, 30, 40));
        UniqueDc page(::CreateCompatibleDC(nullptr));
        void* bits = nullptr;
        UniqueBitmap surface = CreateTopDownDib(kWidth, kHeight, &bits);
        SelectObjectGuard select(page.get(), surface.get());
        ::PatBlt(page.get(), 0, 0, kWidth, kHeight, WHITENESS);
        DrawPictureOnPage(page.get(), picture, 96, {{kWidth, kHeight}, 192, 192});
        (void)select.Restore();
        const test::Pixels pixels = test::ReadBitmap(surface.get());
        int inside = 0, outside = 0, wrongInside = 0, wrongOutside = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const POINT point{x, y};
                const bool in = ::PtInRect(&c.placed, point) != FALSE;
                (in ? inside : outside) += 1;
                if (in && pixels.At(x, y) != 0xC81E28) {
                    ++wrongInside;
                } else if (!in && pixels.At(x, y) != 0xFFFFFF) {
                    ++wrongOutside;
                }
            }
        }
        EXPECT_EQ(wrongInside, 0) << "of " << inside;
        EXPECT_EQ(wrongOutside, 0) << "of " << outside;
    }
}

// The pixels of a bitmap file as a picture decoded from it shows them.
test::Pixels PixelsOfFile(const std::wstring& path) {
    return test::ReadBitmap(LoadPictureFile(path).Bitmap());
}

bool SamePixels(const test::Pixels& a, const test::Pixels& b) {
    return a.width == b.width && a.height == b.height && a.data == b.data;
}

class PaintTest : public DesktopWindowTest {
  protected:
    std::wstring TempFile() const { return m_folder.Path() + L"\\Temp\\temp.bmp"; }
};

TEST_F(PaintTest, NoPictureDoesNothing) {
    m_form.RunCommand(ids::kMnuMspaint);
    EXPECT_TRUE(m_shell.requests.empty());
    EXPECT_FALSE(test::FileExists(TempFile()));
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(PaintTest, WritesTheTempBitmapAndAsksTheShellToEditIt) {
    for (const UINT capture : {ids::kMnuClient, ids::kMnuTitleBar}) {
        m_form.RunCommand(capture);
        const Picture picture = m_form.PicBmp().GetPicture();
        // From the menu, then from toolbar button 12; the file is overwritten each time.
        if (capture == ids::kMnuClient) {
            m_form.RunCommand(ids::kMnuMspaint);
        } else {
            m_form.Toolbar1_ButtonClick(12);
        }
        ASSERT_EQ(m_boxes.Count(), 0u) << Narrow(m_boxes.Last().text);
        const test::ScriptedShell::Request& r = m_shell.requests.back();
        EXPECT_EQ(r.cbSize, sizeof(SHELLEXECUTEINFOA));
        EXPECT_EQ(r.fMask, static_cast<ULONG>(SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI));
        EXPECT_EQ(r.hwnd, m_form.Hwnd());
        EXPECT_EQ(r.verb, "edit");
        EXPECT_EQ(r.file, Narrow(TempFile()));
        EXPECT_EQ(r.cls, "Paint.Picture");
        EXPECT_TRUE(r.parametersNull);
        EXPECT_TRUE(r.directoryNull);
        EXPECT_TRUE(r.idListNull);
        EXPECT_EQ(r.nShow, SW_SHOWNORMAL);
        EXPECT_EQ(r.hkeyClass, nullptr);
        EXPECT_EQ(r.hotKey, 0u);
        EXPECT_EQ(r.icon, nullptr);
        // The file was complete when the shell was asked, and holds the picture as a bitmap.
        EXPECT_EQ(r.fileAtRequest.substr(0, 2), "BM");
        EXPECT_EQ(r.fileAtRequest, test::ReadFileText(TempFile()));
        EXPECT_TRUE(SamePixels(PixelsOfFile(TempFile()), test::ReadBitmap(picture.Bitmap())));
        EXPECT_TRUE(m_form.PicBmp().GetPicture() == picture);
        EXPECT_TRUE(m_form.ImageUnsaved());
    }
    EXPECT_EQ(m_shell.requests.size(), 2u);
}

TEST_F(PaintTest, FailuresAreReportedAndNothingElseHappens) {
    m_form.RunCommand(ids::kMnuClient);
    // No program for the class.
    m_shell.error = ERROR_NO_ASSOCIATION;
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuMspaint);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(L"“用画图编辑”"), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
    EXPECT_NE(m_boxes.Last().text.find(L"Paint.Picture"), std::wstring::npos);
    // No Temp folder beside the program, and none of the user's own that can be made either:
    // both files are named, and the shell is not asked.
    m_shell.error = 0;
    test::RemoveTree(m_folder.Path() + L"\\Temp");
    test::WriteFileText(m_folder / L"a file", "");
    const std::wstring own = m_folder / L"a file\\Temp";
    auto write = [](const Picture& p, const std::wstring& path) {
        SavePictureFile(p, path, ImageFormat::Bmp);
    };
    try {
        EditInPaint(m_form.Hwnd(), m_form.PicBmp().GetPicture(), m_folder.Path(), write, m_shell,
                    own);
        ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_NE(failure.Cause().find(TempFile()), std::wstring::npos) << Narrow(failure.Cause());
        EXPECT_NE(failure.Cause().find(own), std::wstring::npos) << Narrow(failure.Cause());
    }
    EXPECT_EQ(m_shell.requests.size(), 1u);
    EXPECT_FALSE(test::FileExists(TempFile()));
    EXPECT_TRUE(m_form.ImageUnsaved());
}

TEST_F(PaintTest, WithoutTheProgramsTempFolderTheUsersOwnTakesTheFile) {
    wchar_t local[MAX_PATH] = {};
    ASSERT_NE(::GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
    const std::wstring own = std::wstring(local) + L"\\Pixelwren";
    const std::wstring file = own + L"\\Temp\\temp.bmp";
    test::RemoveTree(own);
    test::RemoveTree(m_folder.Path() + L"\\Temp");
    m_form.RunCommand(ids::kMnuClient);
    m_form.RunCommand(ids::kMnuMspaint);
    ASSERT_EQ(m_shell.requests.size(), 1u);
    EXPECT_EQ(m_shell.requests[0].file, Narrow(file));
    EXPECT_EQ(m_shell.requests[0].fileAtRequest.substr(0, 2), "BM");
    EXPECT_TRUE(
        SamePixels(PixelsOfFile(file), test::ReadBitmap(m_form.PicBmp().GetPicture().Bitmap())));
    EXPECT_FALSE(test::FileExists(TempFile()));
    EXPECT_TRUE(m_form.ImageUnsaved());
    EXPECT_EQ(m_boxes.Count(), 0u);
    test::RemoveTree(own);
}

class WallpaperTest : public DesktopWindowTest {};

TEST_F(WallpaperTest, WritesTheFixedBitmapAndSetsIt) {
    // No picture: said so, nothing set.
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuWallpaper);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(L"还没有图片"), std::wstring::npos);
    EXPECT_TRUE(m_wallpaper.paths.empty());

    ::DeleteFileW(kWallpaperFile);
    m_form.RunCommand(ids::kMnuClient);
    const Picture picture = m_form.PicBmp().GetPicture();
    m_form.Toolbar1_ButtonClick(13);
    EXPECT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_wallpaper.paths, (std::vector<std::string>{"c:\\windows\\wallpaper.bmp"}));
    EXPECT_TRUE(SamePixels(PixelsOfFile(kWallpaperFile), test::ReadBitmap(picture.Bitmap())));
    EXPECT_TRUE(m_form.ImageUnsaved());
    EXPECT_TRUE(m_form.PicBmp().GetPicture() == picture);

    // A refused wallpaper is reported.
    m_wallpaper.error = ERROR_ACCESS_DENIED;
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuWallpaper);
    ASSERT_EQ(m_boxes.Count(), 2u);
    EXPECT_NE(m_boxes.Last().text.find(L"“设置为墙纸”"), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
}

TEST(WallpaperFallbackTest, AFolderOfTheUsersOwnWhenTheFixedPathCannotBeWritten) {
    test::ScratchFolder scratch(L"pw-desk");
    const Picture picture = test::SolidPicture(30, 20, RGB(10, 120, 230));
    test::ScriptedWallpaper wallpaper;
    auto write = [](const Picture& p, const std::wstring& path) {
        SavePictureFile(p, path, ImageFormat::Bmp);
    };
    const std::wstring unwritable = scratch.Path() + L"\\no such folder\\wallpaper.bmp";
    const std::wstring own = scratch.Path() + L"\\Pixelwren";

    const std::wstring set = SetPictureAsWallpaper(picture, write, wallpaper, unwritable, own);
    EXPECT_EQ(set, own + L"\\wallpaper.bmp");
    EXPECT_EQ(wallpaper.paths, (std::vector<std::string>{Narrow(own + L"\\wallpaper.bmp")}));
    EXPECT_TRUE(SamePixels(PixelsOfFile(set), test::ReadBitmap(picture.Bitmap())));

    // Neither can be written: reported, and the wallpaper is left alone.
    const std::wstring nowhere = scratch.Path() + L"\\missing\\deeper";
    try {
        SetPictureAsWallpaper(picture, write, wallpaper, unwritable, nowhere);
        ADD_FAILURE() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_NE(failure.Cause().find(L"no such folder"), std::wstring::npos)
            << Narrow(failure.Cause());
        EXPECT_NE(failure.Cause().find(L"deeper"), std::wstring::npos) << Narrow(failure.Cause());
    }
    EXPECT_EQ(wallpaper.paths.size(), 1u);
    // The user's own folder by default.
    EXPECT_NE(UserWallpaperFolder().find(L"\\Pixelwren"), std::wstring::npos);
}

TEST_F(WallpaperTest, ClearPassesTheEmptyPathAndReportsARefusal) {
    m_form.RunCommand(ids::kMnuClient);
    const Picture picture = m_form.PicBmp().GetPicture();
    m_form.RunCommand(ids::kMnuClearWall);
    EXPECT_EQ(m_wallpaper.paths, (std::vector<std::string>{""}));
    EXPECT_EQ(m_boxes.Count(), 0u);
    m_wallpaper.error = ERROR_ACCESS_DENIED;
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuClearWall);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(L"“清除墙纸”"), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
    EXPECT_NE(m_boxes.Last().text.find(L"SPI_SETDESKWALLPAPER"), std::wstring::npos);
    EXPECT_TRUE(m_form.PicBmp().GetPicture() == picture);
    EXPECT_TRUE(m_form.ImageUnsaved());
}

}  // namespace
}  // namespace pw
