// The per-user settings store: text values by section and key under one application key of
// HKEY_CURRENT_USER\Software.
#pragma once

#include <optional>
#include <string>

namespace pw {

class SettingsStore {
public:
    // `applicationKey` is the key below HKEY_CURRENT_USER, e.g. "Software\影雀(Pixelwren) v1.0".
    explicit SettingsStore(std::wstring applicationKey) : m_applicationKey(std::move(applicationKey)) {}
    virtual ~SettingsStore() = default;

    // The text of a REG_SZ value, or nothing when the section, the key or a text is missing.
    [[nodiscard]] virtual std::optional<std::wstring> Read(const std::wstring& section,
                                                   const std::wstring& key) const;
    // Writes a REG_SZ value, creating the keys it needs; throws Failure naming the call.
    virtual void Write(const std::wstring& section, const std::wstring& key, const std::wstring& text);

    [[nodiscard]] const std::wstring& ApplicationKey() const { return m_applicationKey; }

private:
    std::wstring m_applicationKey;
};

}  // namespace pw
