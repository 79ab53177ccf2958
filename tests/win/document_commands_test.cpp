#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "core/ids.h"
#include "core/document_names.h"
#include "document/image_file.h"
#include "files.h"
#include "main_window_fixture.h"
#include "platform/handles.h"
#include "platform/text.h"
#include "support.h"
#include "../e2e/drop_files.h"

namespace pw {
namespace {

using test::Bytes;

// The test program's file name without its extension: the close question's title and the
// start of the caption after an open.
constexpr wchar_t kProgram[] = L"pw_win_tests";

std::wstring Caption(HWND window) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, 1024);
    return text;
}

class DocumentTest : public test::DocumentWindowTest {
  protected:
    HBITMAP Shown() { return m_form.PicBmp().GetPicture().Bitmap(); }
    void Capture() {
        m_form.RunCommand(ids::kMnuClient);
        ASSERT_NE(Shown(), nullptr);
        ASSERT_TRUE(m_form.ImageUnsaved());
    }
};

TEST_F(DocumentTest, OpenShowsThePictureWithItsNameAndSizeInTheCaption) {
    const std::wstring path = m_folder / L"photo.jpg";
    SavePictureFile(test::SolidPicture(640, 480, RGB(10, 200, 30)), path, ImageFormat::Jpeg);
    ASSERT_FALSE(::IsWindowVisible(m_form.HScroll1().Hwnd()));
    m_dialogs.Confirm(path);
    m_form.RunCommand(ids::kMnuOpen);
    ASSERT_EQ(m_boxes.Count(), 0u) << Narrow(m_boxes.Last().text);
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{640, 480}));
    // 640 by 480 pixels at 15 twips each.
    EXPECT_EQ(Caption(m_form.Hwnd()), std::wstring(kProgram) + L"\u2500[photo.jpg(9600x7200) ]");
    EXPECT_FALSE(m_form.ImageUnsaved());
    // Laid out again: the picture is larger than the view, so both bars show.
    EXPECT_TRUE(::IsWindowVisible(m_form.HScroll1().Hwnd()));
    EXPECT_TRUE(::IsWindowVisible(m_form.VScroll1().Hwnd()));
    EXPECT_EQ(test::ReadBitmap(Shown()).At(320, 240) & 0xF0F0F0u, 0x0AC81Eu & 0xF0F0F0u);
    // Opening over an unsaved capture, answering No to the question, keeps it counted as
    // unsaved.
    Capture();
    m_boxes.Answer(IDNO);
    m_dialogs.Confirm(path);
    m_form.RunCommand(ids::kMnuOpen);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{640, 480}));
    EXPECT_TRUE(m_form.ImageUnsaved());

    ASSERT_EQ(m_dialogs.History().size(), 2u);
    const auto& asked = m_dialogs.History()[0];
    EXPECT_EQ(asked.kind, FileDialogKind::Open);
    EXPECT_EQ(asked.request.filter, kOpenFileFilter);
    EXPECT_EQ(asked.request.filterIndex, 1);
    // Before any save the open dialog carries nothing else.
    EXPECT_EQ(asked.request.defaultExt, L"");
    EXPECT_EQ(asked.request.flags, 0u);
    EXPECT_EQ(asked.request.title, L"");
    EXPECT_EQ(asked.request.fileName, L"");

    // Cancelled, the next open changes nothing: not the view, not the caption.
    const HBITMAP before = Shown();
    m_boxes.Answer(IDNO);
    m_dialogs.Cancel();
    m_form.RunCommand(ids::kMnuOpen);
    EXPECT_EQ(Shown(), before);
    EXPECT_EQ(Caption(m_form.Hwnd()), std::wstring(kProgram) + L"\u2500[photo.jpg(9600x7200) ]");
    EXPECT_EQ(m_dialogs.History()[2].request.fileName, path);  // it keeps the name
    EXPECT_EQ(m_boxes.Count(), 2u);
}

TEST_F(DocumentTest, ADropOverAnUnsavedCaptureAsksOnlyOnceItIsAPicture) {
    const std::wstring picture = m_folder / L"drop.png";
    SavePictureFile(test::SolidPicture(30, 20, RGB(200, 10, 30)), picture, ImageFormat::Png);
    const std::wstring notPicture = m_folder / L"notes.png";
    test::WriteFileText(notPicture, "not a picture");
    const auto drop = [&](std::vector<std::wstring> paths) {
        ::SendMessageW(m_form.Hwnd(), WM_DROPFILES,
                       reinterpret_cast<WPARAM>(test::MakeDrop(std::move(paths))), 0);
    };
    Capture();
    const HBITMAP captured = Shown();
    // No picture: said so, with no question about the capture, which stays.
    m_boxes.Answer(IDOK);
    drop({notPicture, picture});
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(L"notes.png"), std::wstring::npos);
    // A picture: the question; Cancel keeps the capture.
    m_boxes.Answer(IDCANCEL);
    drop({picture});
    ASSERT_EQ(m_boxes.Count(), 2u);
    EXPECT_EQ(m_boxes.Last().title, kProgram);
    EXPECT_EQ(Shown(), captured);
    EXPECT_TRUE(m_form.ImageUnsaved());
    m_boxes.Answer(IDNO);
    drop({picture});
    EXPECT_EQ(m_form.PicBmp().GetPicture().SizeInPixels(), (Size{30, 20}));
    EXPECT_EQ(Caption(m_form.Hwnd()), std::wstring(kProgram) + L"\u2500[drop.png(450x300) ]");
}

TEST_F(DocumentTest, SaveAsksWithItsSettingsWhichTheNextOpenCarries) {
    Capture();
    const std::wstring path = m_folder / L"shot.png";
    m_dialogs.Confirm(path, 3);
    m_form.RunCommand(ids::kMnuSave);
    ASSERT_EQ(m_boxes.Count(), 0u) << Narrow(m_boxes.Last().text);
    EXPECT_FALSE(m_form.ImageUnsaved());
    EXPECT_EQ(LoadPictureFile(path).SizeInPixels(), m_form.PicBmp().GetPicture().SizeInPixels());

    m_dialogs.Cancel();
    m_form.RunCommand(ids::kMnuOpen);
    ASSERT_EQ(m_dialogs.History().size(), 2u);
    const FileDialogRequest& save = m_dialogs.History()[0].request;
    const FileDialogRequest& open = m_dialogs.History()[1].request;
    EXPECT_EQ(m_dialogs.History()[0].kind, FileDialogKind::Save);
    EXPECT_EQ(save.filter, kImageFileFilter);
    EXPECT_EQ(save.filterIndex, 1);
    EXPECT_EQ(save.defaultExt, L".BMP");
    EXPECT_EQ(save.flags, 6u);  // ask before replacing, no read-only box
    EXPECT_EQ(save.title, L"保存");
    EXPECT_EQ(save.fileName, L"");
    // The open dialog sets only the filter; the rest is what the save left.
    EXPECT_EQ(m_dialogs.History()[1].kind, FileDialogKind::Open);
    EXPECT_EQ(open.filter, kOpenFileFilter);
    EXPECT_EQ(open.filterIndex, 3);
    EXPECT_EQ(open.defaultExt, L".BMP");
    EXPECT_EQ(open.flags, 6u);
    EXPECT_EQ(open.title, L"保存");
    EXPECT_EQ(open.fileName, path);

    // A file opened with the entry of every picture chosen: the save dialog, which has no
    // such entry, comes back to the first.
    m_dialogs.Confirm(path, 4);
    m_form.RunCommand(ids::kMnuOpen);
    Capture();
    m_dialogs.Cancel();
    m_form.RunCommand(ids::kMnuSave);
    ASSERT_EQ(m_dialogs.History().size(), 4u);
    EXPECT_EQ(m_dialogs.History()[3].request.filter, kImageFileFilter);
    EXPECT_EQ(m_dialogs.History()[3].request.filterIndex, 1);
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(DocumentTest, SavedDataMatchesTheNameWhicheverEntryIsSelected) {
    Capture();
    const struct {
        const wchar_t* name;
        int entry;
        const char* magic;
    } cases[] = {
        {L"a.jpg", 1, "\xFF\xD8"}, {L"b.JPEG", 3, "\xFF\xD8"},
        {L"c.png", 2, "\x89PNG"},  {L"d.bmp", 2, "BM"},
        {L"e.BMP", 3, "BM"},       {L"f", 2, "\xFF\xD8"},
        {L"g.txt", 3, "\x89PNG"},  {L"h", 1, "BM"},
    };
    for (const auto& c : cases) {
        m_dialogs.Confirm(m_folder / c.name, c.entry);
        m_form.RunCommand(ids::kMnuSave);
        const Bytes file = test::ReadBytes(m_folder / c.name);
        const Bytes magic = test::ToBytes(c.magic);
        ASSERT_GE(file.size(), magic.size()) << Narrow(c.name);
        EXPECT_TRUE(std::equal(magic.begin(), magic.end(), file.begin())) << Narrow(c.name);
    }
    EXPECT_EQ(m_boxes.Count(), 0u);
}

TEST_F(DocumentTest, SaveWithoutAPictureSaysSoBeforeAnyDialog) {
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuSave);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(kNothingToSave), std::wstring::npos)
        << Narrow(m_boxes.Last().text);
    EXPECT_TRUE(m_dialogs.History().empty());

    // After a discard too; the discard itself keeps ImageUnsaved and the caption.
    Capture();
    const std::wstring caption = Caption(m_form.Hwnd());
    m_form.RunCommand(ids::kMnuClear);
    EXPECT_EQ(Shown(), nullptr);
    EXPECT_TRUE(m_form.ImageUnsaved());
    EXPECT_EQ(Caption(m_form.Hwnd()), caption);
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuSave);
    ASSERT_EQ(m_boxes.Count(), 2u);
    EXPECT_NE(m_boxes.Last().text.find(kNothingToSave), std::wstring::npos);
    EXPECT_TRUE(m_dialogs.History().empty());
    EXPECT_TRUE(m_form.ImageUnsaved());
}

TEST_F(DocumentTest, FailedSaveSaysWhyAndKeepsFileAndFlag) {
    Capture();
    const std::wstring path = m_folder / L"locked.bmp";
    test::WriteBytes(path, test::ToBytes("older picture"));
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    m_dialogs.Confirm(path);
    m_boxes.Answer(IDOK);
    m_form.RunCommand(ids::kMnuSave);
    ASSERT_EQ(m_boxes.Count(), 1u);
    EXPECT_NE(m_boxes.Last().text.find(path), std::wstring::npos) << Narrow(m_boxes.Last().text);
    EXPECT_NE(m_boxes.Last().text.find(L"只读"), std::wstring::npos) << Narrow(m_boxes.Last().text);
    EXPECT_TRUE(m_form.ImageUnsaved());
    EXPECT_EQ(test::ReadBytes(path), test::ToBytes("older picture"));
}

// The question about an unsaved capture, at close and before an open, answered every way;
// the save it may start answered every way too.
TEST_F(DocumentTest, SaveQuestionMatrix) {
    struct Case {
        const char* what;
        bool capture;
        bool discard;                                            // Cancel capture after it
        int answer;                                              // to the question; 0: none
        std::function<void(test::ScriptedFileDialogs&)> dialog;  // scripts the save dialog
        bool goesAhead;  // the window closes, or the file opens
        bool unsavedAfter;
        bool fileWritten;
        bool reported;  // a box after the question says why the save failed
    };
    const std::wstring target = m_folder / L"at-close.bmp";
    const std::wstring readOnly = m_folder / L"read-only.bmp";
    test::WriteBytes(readOnly, test::ToBytes("keep me"));
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const std::wstring photo = m_folder / L"photo.bmp";
    SavePictureFile(test::SolidPicture(40, 30, RGB(10, 200, 30)), photo, ImageFormat::Bmp);
    const auto save = [&](test::ScriptedFileDialogs& d) { d.Confirm(target); };
    const auto cancel = [](test::ScriptedFileDialogs& d) { d.Cancel(); };
    const auto fail = [&](test::ScriptedFileDialogs& d) { d.Confirm(readOnly); };
    const Case cases[] = {
        {"nothing unsaved", false, false, 0, nullptr, true, false, false, false},
        {"yes, saved", true, false, IDYES, save, true, false, true, false},
        {"yes, save cancelled", true, false, IDYES, cancel, false, true, false, false},
        {"yes, save failed", true, false, IDYES, fail, false, true, false, true},
        {"no", true, false, IDNO, nullptr, true, true, false, false},
        {"cancel", true, false, IDCANCEL, nullptr, false, true, false, false},
        {"yes after a discard, nothing to save", true, true, IDYES, nullptr, true, true, false,
         false},
    };
    for (const bool opening : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(opening ? "open: " : "close: ") + c.what);
            ::DeleteFileW(target.c_str());
            test::ScriptedMessageBoxes boxes;
            test::ScriptedFileDialogs dialogs;
            FrmMain form(boxes, m_settings);
            ASSERT_TRUE(test::CreateShown(form));
            form.SetFileDialogs(dialogs);
            if (c.capture) {
                form.RunCommand(ids::kMnuClient);
            }
            const Size captured = form.PicBmp().GetPicture().SizeInPixels();
            if (c.discard) {
                form.RunCommand(ids::kMnuClear);
            }
            const HBITMAP picture = form.PicBmp().GetPicture().Bitmap();
            if (c.answer != 0) {
                boxes.Answer(c.answer);
            }
            if (c.reported) {
                boxes.Answer(IDOK);
            }
            if (c.dialog) {
                c.dialog(dialogs);
            }
            if (opening) {
                dialogs.Confirm(photo);
                form.RunCommand(ids::kMnuOpen);
                EXPECT_EQ(form.PicBmp().GetPicture().SizeInPixels() == (Size{40, 30}), c.goesAhead);
            } else {
                EXPECT_EQ(form.Form_Unload(), c.goesAhead);
            }
            EXPECT_EQ(form.ImageUnsaved(), c.unsavedAfter);
            EXPECT_EQ(test::FileExists(target), c.fileWritten);
            EXPECT_EQ(boxes.Count(), (c.answer != 0 ? 1u : 0u) + (c.reported ? 1u : 0u));
            if (c.answer != 0 && boxes.Count() > 0) {
                const auto& question = boxes.History()[0];
                EXPECT_EQ(question.text, L"  文件还没有保存，您要保存吗?");
                EXPECT_EQ(question.title, kProgram);
                EXPECT_EQ(question.style, 67u);  // Yes/No/Cancel, information, Yes the default
                EXPECT_EQ(question.owner, form.Hwnd());
            }
            if (c.reported) {
                EXPECT_NE(boxes.Last().text.find(readOnly), std::wstring::npos)
                    << Narrow(boxes.Last().text);
            }
            if (!c.goesAhead) {
                EXPECT_EQ(form.PicBmp().GetPicture().Bitmap(), picture);  // the picture stays
            }
            if (c.fileWritten && test::FileExists(target)) {
                EXPECT_EQ(LoadPictureFile(target).SizeInPixels(), captured);
            }
        }
    }
    EXPECT_EQ(test::ReadBytes(readOnly), test::ToBytes("keep me"));
}

}  // namespace
}  // namespace pw
