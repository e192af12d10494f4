#include "common/secret_store.h"

namespace lorvane {

const char* SecretName(Secret secret) {
    return secret == Secret::MailPassword ? "stored mail password" : "Microsoft sign-in";
}

Status RemoveStoredSecrets(std::vector<std::string>& removed) {
    for (const Secret secret : kStoredSecrets) {
        bool there = false;
        const Status status = RemoveSecret(secret, there);
        if (!status.ok()) return status;
        if (there) removed.push_back(SecretName(secret));
    }
    return Status();
}

}  // namespace lorvane
