#include "platform/settings.h"

#include <windows.h>

#include <vector>

#include "platform/failure.h"

namespace pw {

namespace {

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (m_key != nullptr) {
            ::RegCloseKey(m_key);
        }
    }
    HKEY* put() { return &m_key; }
    [[nodiscard]] HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

}  // namespace

std::optional<std::wstring> SettingsStore::Read(const std::wstring& section,
                                                const std::wstring& key) const {
    RegistryKey handle;
    const std::wstring path = m_applicationKey + L"\\" + section;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, handle.put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(handle.get(), key.c_str(), nullptr, &type, nullptr, &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    // Room for a terminator the stored value may lack.
    std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(handle.get(), key.c_str(), nullptr, &type,
                           reinterpret_cast<BYTE*>(buffer.data()), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(buffer.data());
}

void SettingsStore::Write(const std::wstring& section, const std::wstring& key,
                          const std::wstring& text) {
    RegistryKey handle;
    const std::wstring path = m_applicationKey + L"\\" + section;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                       KEY_SET_VALUE, nullptr, handle.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        ThrowFailedCall((L"RegCreateKeyEx（HKEY_CURRENT_USER\\" + path + L"）").c_str(),
                        static_cast<DWORD>(status));
    }
    status = ::RegSetValueExW(handle.get(), key.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) {
        ThrowFailedCall((L"RegSetValueEx（" + key + L"）").c_str(), static_cast<DWORD>(status));
    }
}

}  // namespace pw
