#include <windows.h>
#include <io.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/module_path.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_handle.h"
#include "runner/runner_services.h"

namespace lorvane {

namespace {

// Whether this process's window station is one a person sees (not the
// hidden one of a service or of a task run without a logged-on user).
bool HasVisibleDesktop() {
    HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    DWORD needed = 0;
    return station && GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, &needed) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

// Removes the temporary files that writes of `path` stopped half-way (a
// crash, a kill) left beside it.
void RemoveLeftoverTemporaries(const std::string& path) {
    const std::string folder = path.substr(0, path.find_last_of("\\/") + 1);
    struct SearchCloser {
        void operator()(HANDLE search) const { FindClose(search); }
    };
    WIN32_FIND_DATAA found{};
    const HANDLE first = FindFirstFileA((path + ".*.tmp").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return;
    const std::unique_ptr<void, SearchCloser> search(first);
    do {
        DeleteFileA((folder + found.cFileName).c_str());
    } while (FindNextFileA(search.get(), &found));
}

}  // namespace

bool ShowConnectionMessageBox(const std::string& text) {
    if (!HasVisibleDesktop()) return false;
    // user32 exports a message box that closes itself; without it, a box
    // could hold the run, so the caller prints the line instead.
    using TimedBox = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT, WORD, DWORD);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    const auto timedBox =
        user32 ? reinterpret_cast<TimedBox>(reinterpret_cast<void*>(GetProcAddress(user32, "MessageBoxTimeoutA")))
               : nullptr;
    if (!timedBox) return false;
    timedBox(nullptr, text.c_str(), "Lorvane", MB_OK, 0, 10000);
    return true;
}

std::string QueryTextAsUtf8(const std::string& query) {
    if (query.empty()) return query;
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, query.data(), static_cast<int>(query.size()),
                                               nullptr, 0);
    if (wideLength <= 0) return query;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, query.data(), static_cast<int>(query.size()), &wide[0], wideLength);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr,
                                           nullptr);
    if (length <= 0) return query;
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

std::string CurrentDirectoryText() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return "";
    std::vector<char> buffer(needed + 1);
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return "";
    std::string text(buffer.data(), length);
    for (char& c : text)
        if (c == '\\') c = '/';
    return text;
}

std::string CommandScriptProgram(const std::string& directoryText) {
    // The running tessory.exe by its full path, in the script's "/" form.
    std::string program = RunningProgramPath();
    if (program.empty()) return directoryText + "/tessory.exe";
    for (char& c : program)
        if (c == '\\') c = '/';
    return program;
}

Status QuoteScriptPath(const std::string& path, std::string& quoted) {
    // cmd.exe expands "%...%" even inside double quotes, and a double quote
    // would end the quoted path.
    if (path.find_first_of("%\"") != std::string::npos)
        return Status::Error("cmd.exe cannot take the path " + path + " as it is (it holds % or \")");
    quoted = path;
    return Status();
}

Status WriteTextFileWhole(const std::string& path, const std::string& text, TextFileKind kind) {
    const bool durable = kind == TextFileKind::Record;
    if (durable) RemoveLeftoverTemporaries(path);
    std::string data;
    data.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n') data += '\r';
        data += c;
    }
    const std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return Win32Status("cannot create " + temporary, GetLastError());
    DWORD written = 0;
    const bool wrote = WriteFile(file.get(), data.data(), static_cast<DWORD>(data.size()), &written,
                                 nullptr) != FALSE &&
                       written == data.size() && (!durable || FlushFileBuffers(file.get()));
    const DWORD writeError = GetLastError();
    if (!file.Close() || !wrote) {
        const Status failed = Win32Status("cannot write " + temporary, wrote ? GetLastError() : writeError);
        DeleteFileA(temporary.c_str());
        return failed;
    }
    const DWORD moveFlags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    if (!MoveFileExA(temporary.c_str(), path.c_str(), moveFlags)) {
        const Status failed = Win32Status("cannot replace " + path, GetLastError());
        DeleteFileA(temporary.c_str());
        return failed;
    }
    return Status();
}

Status MakeFolder(const std::string& folder) {
    // The local application data folder is there; only its child may be
    // missing.
    if (CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) {
        if (GetFileAttributesA(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY) return Status();
        return Status::Error(folder + " is not a folder");
    }
    return Win32Status("cannot create " + folder, GetLastError());
}

namespace {

class Win32FolderLock : public FolderLock {
public:
    explicit Win32FolderLock(HANDLE file) : m_file(file) {}
    HANDLE get() const { return m_file.get(); }
    bool valid() const { return m_file.valid(); }

private:
    FileHandle m_file;  // closing it releases the lock
};

}  // namespace

Status TryLockFolder(const std::string& folder, std::unique_ptr<FolderLock>& lock) {
    const std::string path = PathInFolder(folder, "tessory.lock");
    auto file = std::make_unique<Win32FolderLock>(
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file->valid()) return Win32Status("cannot open " + path, GetLastError());
    OVERLAPPED whole{};
    if (!LockFileEx(file->get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
        const DWORD code = GetLastError();
        // A lock another process holds: ERROR_IO_PENDING is how some file
        // systems say so.
        if (code == ERROR_IO_PENDING) return Status(StatusCode::Busy, "");
        return Win32Status("cannot lock " + path, code);
    }
    lock = std::move(file);
    return Status();
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

}  // namespace lorvane
