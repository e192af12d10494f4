// The Windows settings store: the per-user registry key
// HKEY_CURRENT_USER\Software\Lorvane\Lorvane\Lorvane, string values.
#include <windows.h>

#include <vector>

#include "platform/win32/registry_settings_store.h"
#include "platform/win32/win32_error.h"

namespace lorvane {
namespace {

// The alert runner's spelling of the key; registry paths ignore case and
// the trailing backslash.
const char kSettingsKeyPath[] = "SOFTWARE\\Lorvane\\Lorvane\\Lorvane\\";

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (m_key) RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    void Reset(HKEY key) {
        if (m_key) RegCloseKey(m_key);
        m_key = key;
    }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

class RegistrySettingsStore : public SettingsStore {
public:
    explicit RegistrySettingsStore(std::string keyPath) : m_keyPath(std::move(keyPath)) {}

    Status Open() override {
        HKEY key = nullptr;
        const LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, KEY_READ, &key);
        m_key.Reset(result == ERROR_SUCCESS ? key : nullptr);
        if (result == ERROR_SUCCESS) return Status();
        if (result == ERROR_FILE_NOT_FOUND || result == ERROR_PATH_NOT_FOUND) return Status(StatusCode::NotFound, "");
        return Win32Status("cannot open the settings key", static_cast<DWORD>(result));
    }

    ValueRead Read(const std::string& name, std::size_t capacity,
                   std::string& text) const override {
        text.clear();
        if (!m_key.get()) return ValueRead::Missing;
        DWORD size = 0;
        LONG result = RegQueryValueExA(m_key.get(), name.c_str(), nullptr, nullptr, nullptr, &size);
        if (result != ERROR_SUCCESS) return ValueRead::Missing;
        // Room for a terminator the stored data may lack.
        std::vector<char> data(static_cast<std::size_t>(size) + 1, '\0');
        for (;;) {
            size = static_cast<DWORD>(data.size() - 1);
            result = RegQueryValueExA(m_key.get(), name.c_str(), nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(data.data()), &size);
            if (result != ERROR_MORE_DATA) break;
            data.assign(static_cast<std::size_t>(size) + 1, '\0');  // it grew meanwhile
        }
        if (result != ERROR_SUCCESS) return ValueRead::Missing;
        data[size] = '\0';
        const std::string value(data.data());  // up to the first NUL
        if (capacity != kUnlimitedCapacity && value.size() >= capacity) return ValueRead::TooLong;
        text = value;
        return ValueRead::Found;
    }

    Status Write(const std::vector<SettingsValue>& values) override {
        const Status storable = CheckStorableValues(values);
        if (!storable.ok()) return storable;
        HKEY created = nullptr;
        const LONG opened = RegCreateKeyExA(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr,
                                            REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                                            &created, nullptr);
        if (opened != ERROR_SUCCESS) return Win32Status("cannot create the settings key", static_cast<DWORD>(opened));
        RegistryKey key;
        key.Reset(created);
        for (const SettingsValue& value : values) {
            const LONG result = RegSetValueExA(
                key.get(), value.name.c_str(), 0, REG_SZ,
                reinterpret_cast<const BYTE*>(value.text.c_str()),
                static_cast<DWORD>(value.text.size() + 1));
            if (result != ERROR_SUCCESS)
                return Win32Status("cannot write the setting " + value.name, static_cast<DWORD>(result));
        }
        return Status();
    }

private:
    std::string m_keyPath;
    RegistryKey m_key;
};

}  // namespace

std::unique_ptr<SettingsStore> CreateRegistrySettingsStore(const std::string& keyPath) {
    return std::make_unique<RegistrySettingsStore>(keyPath);
}

std::unique_ptr<SettingsStore> CreateUserSettingsStore() {
    return CreateRegistrySettingsStore(kSettingsKeyPath);
}

std::string UserSettingsLocation() {
    return "HKEY_CURRENT_USER\\Software\\Lorvane\\Lorvane\\Lorvane";
}

}  // namespace lorvane
