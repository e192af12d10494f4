#include "common/secret_store.h"

namespace lorvane {

const char* SecretName(Secret secret) {
    return secret == Secret::MailPassword ? "stored mail password" : "Microsoft sign-in";
}

bool RemoveStoredSecrets(std::vector<std::string>& removed, std::string& error) {
    for (const Secret secret : kStoredSecrets) {
        bool there = false;
        if (!RemoveSecret(secret, there, error)) return false;
        if (there) removed.push_back(SecretName(secret));
    }
    return true;
}

}  // namespace lorvane
