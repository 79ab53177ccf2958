// What the document tests share: a scratch folder of their own, whole files as bytes, and
// file dialogs answered from a script.
#pragma once

#include <windows.h>

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

#include "document/file_dialog.h"

namespace pw::test {

using Bytes = std::vector<std::byte>;

// A new, empty folder under the temporary folder, removed with everything in it when the
// object goes.
class ScratchFolder {
  public:
    ScratchFolder();
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

Bytes ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const Bytes& bytes);
Bytes ToBytes(const std::string& text);

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

}  // namespace pw::test
