// What the document tests share: a scratch folder of their own, whole files as bytes, and
// file dialogs answered from a script.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "document/file_dialog.h"
#include "main_window_fixture.h"

namespace pw::test {

using Bytes = std::vector<std::byte>;

// A new, empty folder under the temporary folder, removed with everything in it when the
// object goes. `name` may hold spaces.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::wstring& name = L"pw-doc");
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();
    [[nodiscard]] const std::wstring& Path() const { return m_path; }
    [[nodiscard]] std::wstring operator/(const std::wstring& name) const {
        return m_path + L"\\" + name;
    }
    // The names of the files and folders in it, sorted.
    [[nodiscard]] std::vector<std::wstring> Names() const;

  private:
    std::wstring m_path;
};

// Removes a folder with everything in it, read-only files too.
void RemoveTree(const std::wstring& folder);
// Whole files at once, their bytes in a string; a written file is replaced.
[[nodiscard]] std::string ReadFileText(const std::wstring& path);
void WriteFileText(const std::wstring& path, std::string_view bytes);
Bytes ToBytes(std::string_view text);
[[nodiscard]] inline bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
// The same, as bytes.
[[nodiscard]] inline Bytes ReadBytes(const std::wstring& path) { return ToBytes(ReadFileText(path)); }
inline void WriteBytes(const std::wstring& path, const Bytes& bytes) {
    WriteFileText(path, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

// Answers file dialogs from a script and records what each was asked. With the script used
// up, a dialog is cancelled.
class ScriptedFileDialogs final : public FileDialogs {
  public:
    struct Asked {
        FileDialogKind kind;
        FileDialogRequest request;
    };
    void Confirm(std::wstring fileName, int filterIndex = 1) {
        m_answers.push_back({true, std::move(fileName), filterIndex});
    }
    void Cancel() { m_answers.push_back({false, {}, 0}); }
    bool Show(HWND owner, FileDialogKind kind, FileDialogRequest& request) override;
    [[nodiscard]] const std::vector<Asked>& History() const { return m_asked; }

  private:
    struct Answer {
        bool confirm;
        std::wstring fileName;
        int filterIndex;
    };
    std::deque<Answer> m_answers;
    std::vector<Asked> m_asked;
};

// The main window with file dialogs that a test answers, and a scratch folder for files.
class DocumentWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        m_form.SetFileDialogs(m_dialogs);
    }
    ScriptedFileDialogs m_dialogs;
    ScratchFolder m_folder;
};

}  // namespace pw::test
