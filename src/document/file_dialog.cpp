#include "document/file_dialog.h"

#include <commdlg.h>

#include <cwchar>
#include <vector>

#include "core/document_names.h"
#include "platform/failure.h"
#include "platform/com.h"
#include "platform/system_library.h"

namespace pw {

namespace {

// The longest path the system takes, with its terminating NUL.
constexpr size_t kFileNameChars = 32768;

}  // namespace

bool SystemFileDialogs::Show(HWND owner, FileDialogKind kind, FileDialogRequest& request) {
    if (request.fileName.size() >= kFileNameChars) {
        throw Failure(L"文件名太长，文件对话框无法显示它。");
    }
    std::vector<wchar_t> file(kFileNameChars, L'\0');
    request.fileName.copy(file.data(), request.fileName.size());
    const std::wstring filter = DialogFilterText(request.filter);
    // The toolkit's default extension is written with its dot (".BMP"); the dialog wants none.
    std::wstring extension = request.defaultExt;
    if (!extension.empty() && extension.front() == L'.') {
        extension.erase(0, 1);
    }

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex);
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    dialog.Flags = request.flags | OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_ENABLESIZING;

    // The dialog shows the shell's folders, which want OLE on the thread; without it the
    // dialog still works, or fails and says so below.
    EnsureOle();
    const BOOL confirmed = kind == FileDialogKind::Open
                               ? RequiredSystemFunction<decltype(::GetOpenFileNameW)>(
                                     L"comdlg32.dll", "GetOpenFileNameW")(&dialog)
                               : RequiredSystemFunction<decltype(::GetSaveFileNameW)>(
                                     L"comdlg32.dll", "GetSaveFileNameW")(&dialog);
    if (!confirmed) {
        const DWORD error = RequiredSystemFunction<decltype(::CommDlgExtendedError)>(
            L"comdlg32.dll", "CommDlgExtendedError")();
        if (error == 0) {
            return false;  // cancelled
        }
        // Common dialog codes are not system error codes: the system's texts do not apply.
        wchar_t code[16];
        std::swprintf(code, 16, L"0x%04lX", static_cast<unsigned long>(error));
        throw Failure(
            std::wstring(kind == FileDialogKind::Open ? L"GetOpenFileName" : L"GetSaveFileName") +
            L" 失败（通用对话框错误 " + code + L"），文件对话框无法显示。");
    }
    request.fileName = file.data();
    request.filterIndex = static_cast<int>(dialog.nFilterIndex);
    return true;
}

bool CommonDialog::Show(HWND owner, FileDialogKind kind) {
    FileDialogRequest request = m_state;
    if (!m_dialogs->Show(owner, kind, request)) {
        return false;
    }
    m_state.fileName = std::move(request.fileName);
    m_state.filterIndex = request.filterIndex;
    return true;
}

}  // namespace pw
