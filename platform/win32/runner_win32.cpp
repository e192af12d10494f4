#include <windows.h>
#include <io.h>

#include <vector>

#include "runner/runner_services.h"

namespace lorvane {

bool ShowConnectionMessageBox(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Lorvane", MB_OK);
    return true;
}

std::string CurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return "";
    std::vector<char> buffer(needed + 1);
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length == 0 || length >= buffer.size()) return "";
    return std::string(buffer.data(), length);
}

std::string CommandScriptProgram(const std::string& directoryText) {
    return directoryText + "/tessory.exe";
}

bool QuoteScriptPath(const std::string& path, std::string& quoted, std::string& error) {
    // cmd.exe expands "%...%" even inside double quotes, and a double quote
    // would end the quoted path.
    if (path.find_first_of("%\"") != std::string::npos) {
        error = "cmd.exe cannot take the path " + path + " as it is (it holds % or \")";
        return false;
    }
    quoted = path;
    return true;
}

bool MakeScriptRunnable(const std::string&, std::string&) {
    return true;
}

bool StandardErrorIsTerminal() {
    return _isatty(_fileno(stderr)) != 0;
}

}  // namespace lorvane
