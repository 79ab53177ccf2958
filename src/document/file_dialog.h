// The shared file dialog of the main window (CDopen): one object serves the open and save
// dialogs (and later the print dialog) and keeps its file name and the settings that the
// last use left, as the toolkit's common dialog control does. The system's dialogs sit behind
// a small interface so that tests can script the answer and see what was asked.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace pw {

// What a file dialog is asked to show; after a confirmed dialog, the name and the filter
// entry the user chose.
struct FileDialogRequest {
    std::wstring filter;      // "description|pattern|...", as the toolkit writes it
    int filterIndex = 1;      // the selected entry, from 1
    std::wstring defaultExt;  // appended to a name typed without an extension; "" for none
    DWORD flags = 0;          // OFN_* values
    std::wstring title;       // "" for the system's default title
    std::wstring fileName;    // the full name shown at first, the confirmed one afterwards
};

enum class FileDialogKind { Open, Save };

class FileDialogs {
  public:
    virtual ~FileDialogs() = default;
    // Shows a modal file dialog. True when the user confirmed a name: `request` then holds it
    // and the chosen filter entry. False when the user cancelled. Throws Failure when the
    // dialog could not be shown.
    virtual bool Show(HWND owner, FileDialogKind kind, FileDialogRequest& request) = 0;
};

// GetOpenFileNameW and GetSaveFileNameW, Explorer style. A name longer than MAX_PATH works
// (the buffer takes 32767 characters), and the process's current folder is left alone.
class SystemFileDialogs final : public FileDialogs {
  public:
    bool Show(HWND owner, FileDialogKind kind, FileDialogRequest& request) override;
};

class CommonDialog {
  public:
    explicit CommonDialog(FileDialogs& dialogs) : m_dialogs(&dialogs) {}

    // Tests put scripted dialogs in place of the system's.
    void SetDialogs(FileDialogs& dialogs) { m_dialogs = &dialogs; }

    void SetFilter(std::wstring filter) { m_state.filter = std::move(filter); }
    void SetDefaultExt(std::wstring extension) { m_state.defaultExt = std::move(extension); }
    void SetFlags(DWORD flags) { m_state.flags = flags; }
    void SetFilterIndex(int index) { m_state.filterIndex = index; }
    void SetDialogTitle(std::wstring title) { m_state.title = std::move(title); }

    [[nodiscard]] const std::wstring& Filter() const { return m_state.filter; }
    [[nodiscard]] int FilterIndex() const { return m_state.filterIndex; }
    [[nodiscard]] const std::wstring& DefaultExt() const { return m_state.defaultExt; }
    [[nodiscard]] DWORD Flags() const { return m_state.flags; }
    [[nodiscard]] const std::wstring& DialogTitle() const { return m_state.title; }
    [[nodiscard]] const std::wstring& FileName() const { return m_state.fileName; }

    // Show the dialog with the settings as they stand. True when a name was confirmed; it
    // is kept, with the chosen filter entry, for every later dialog. A cancel keeps both.
    bool ShowOpen(HWND owner) { return Show(owner, FileDialogKind::Open); }
    bool ShowSave(HWND owner) { return Show(owner, FileDialogKind::Save); }

  private:
    bool Show(HWND owner, FileDialogKind kind);

    FileDialogs* m_dialogs;
    FileDialogRequest m_state;
};

}  // namespace pw
