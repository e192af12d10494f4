// The mail account's password on Windows: a generic credential of the
// user's Credential Manager.
#include <windows.h>
#include <wincred.h>

#include <memory>

#include "common/mail_server.h"
#include "platform/win32/win32_error.h"

namespace lorvane {
namespace {

const char kCredentialTarget[] = "Lorvane/mail";

struct CredentialFree {
    void operator()(CREDENTIALA* credential) const { CredFree(credential); }
};

}  // namespace

bool ReadMailPassword(const MailServerSettings&, std::string& password, std::string& error) {
    password.clear();
    CREDENTIALA* found = nullptr;
    if (!CredReadA(kCredentialTarget, CRED_TYPE_GENERIC, 0, &found)) {
        const DWORD code = GetLastError();
        error = code == ERROR_NOT_FOUND
                    ? std::string("no mail password: store it with Lorvane (\"Outgoing mail...\")")
                    : DescribeWin32Error("cannot read the mail password", code);
        return false;
    }
    const std::unique_ptr<CREDENTIALA, CredentialFree> credential(found);
    password.assign(reinterpret_cast<const char*>(credential->CredentialBlob),
                    credential->CredentialBlobSize);
    return true;
}

bool StoreMailPassword(const std::string& password, std::string& error) {
    CREDENTIALA credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = const_cast<char*>(kCredentialTarget);
    credential.CredentialBlobSize = static_cast<DWORD>(password.size());
    credential.CredentialBlob = reinterpret_cast<BYTE*>(const_cast<char*>(password.data()));
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    if (CredWriteA(&credential, 0)) return true;
    error = DescribeWin32Error("cannot store the mail password", GetLastError());
    return false;
}

}  // namespace lorvane
