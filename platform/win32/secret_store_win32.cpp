// The secret store on Windows: generic credentials of the user's
// Credential Manager; and commands that print a secret.
#include <windows.h>
#include <wincred.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "common/secret_store.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/win32_handle.h"

namespace lorvane {
namespace {

// Returns the name of the credential that holds `secret`.
const char* TargetOf(Secret secret) {
    return secret == Secret::MailPassword ? "Lorvane/mail" : "Lorvane/mail-oauth";
}

// Returns what to do when there is no `secret`.
const char* MissingText(Secret secret) {
    return secret == Secret::MailPassword
               ? "no mail password: store it with Lorvane (\"Outgoing mail...\")"
               : "not signed in: choose \"Sign in...\" in Lorvane's \"Outgoing mail...\"";
}

// How long a secret's command may take; a keyring may ask the person.
constexpr DWORD kCommandMilliseconds = 60000;

// Appends what `pipe` holds now to `into` (at most 64 KB in all); returns
// whether it read anything.
bool DrainPipe(HANDLE pipe, std::string& into) {
    bool read = false;
    for (DWORD available = 0; PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0;) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        if (into.size() < 65536) into.append(buffer, got);
        read = true;
    }
    return read;
}

struct CredentialFree {
    void operator()(CREDENTIALA* credential) const { CredFree(credential); }
};

}  // namespace

Status ReadSecret(Secret secret, const std::string&, std::string& value) {
    value.clear();
    const char* target = TargetOf(secret);
    CREDENTIALA* found = nullptr;
    if (!CredReadA(target, CRED_TYPE_GENERIC, 0, &found)) {
        const DWORD code = GetLastError();
        if (code == ERROR_NOT_FOUND) return Status(StatusCode::NotFound, MissingText(secret));
        return Win32Status(std::string("cannot read the credential ") + target, code);
    }
    const std::unique_ptr<CREDENTIALA, CredentialFree> credential(found);
    value.assign(reinterpret_cast<const char*>(credential->CredentialBlob), credential->CredentialBlobSize);
    return Status();
}

Status StoreSecret(Secret secret, const std::string& value) {
    const char* target = TargetOf(secret);
    CREDENTIALA credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = const_cast<char*>(target);
    credential.CredentialBlobSize = static_cast<DWORD>(value.size());
    credential.CredentialBlob = reinterpret_cast<BYTE*>(const_cast<char*>(value.data()));
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    if (CredWriteA(&credential, 0)) return Status();
    return Win32Status(std::string("cannot store the credential ") + target, GetLastError());
}

Status RemoveSecret(Secret secret, bool& removed) {
    removed = CredDeleteA(TargetOf(secret), CRED_TYPE_GENERIC, 0) != FALSE;
    const DWORD code = removed ? ERROR_SUCCESS : GetLastError();
    if (removed || code == ERROR_NOT_FOUND) return Status();
    return Win32Status(std::string("cannot remove the ") + SecretName(secret), code);
}

Status RunSecretCommand(const std::string& command, std::string& line) {
    line.clear();
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    FileHandle outRead, outWrite, errRead, errWrite;
    for (auto [read, write] : {std::pair<FileHandle*, FileHandle*>{&outRead, &outWrite}, {&errRead, &errWrite}})
        if (!CreatePipe(read->out(), write->out(), &inherit, 0) ||
            !SetHandleInformation(read->get(), HANDLE_FLAG_INHERIT, 0))
            return Win32Status("cannot create a pipe", GetLastError());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = INVALID_HANDLE_VALUE;
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    PROCESS_INFORMATION started{};
    std::string commandLine = "cmd.exe /d /c " + command;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &started))
        return Win32Status("cannot run cmd.exe", GetLastError());
    const FileHandle process(started.hProcess), thread(started.hThread);
    outWrite.Close();  // the output ends when the command's copies close
    errWrite.Close();

    std::string output, errors;
    const ULONGLONG deadline = GetTickCount64() + kCommandMilliseconds;
    for (;;) {
        const bool read = DrainPipe(outRead.get(), output) | DrainPipe(errRead.get(), errors);
        if (read) continue;
        if (WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) break;
        if (GetTickCount64() >= deadline) {
            TerminateProcess(process.get(), 1);
            return Status::Error("it did not finish within " + std::to_string(kCommandMilliseconds / 1000) +
                                 " seconds");
        }
    }
    // What it wrote before it ended.
    DrainPipe(outRead.get(), output);
    DrainPipe(errRead.get(), errors);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.get(), &exitCode);
    if (exitCode != 0) {
        // Its own first words on what went wrong, within a line's length.
        std::string said = errors.substr(0, std::min(errors.find('\n'), std::size_t{200}));
        if (!said.empty() && said.back() == '\r') said.pop_back();
        return Status::Error("it exited with status " + std::to_string(exitCode) + (said.empty() ? "" : ": " + said));
    }
    line = output.substr(0, output.find('\n'));
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return Status();
}

}  // namespace lorvane
