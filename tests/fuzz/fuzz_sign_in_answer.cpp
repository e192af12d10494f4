// An answer of the sign-in service, any bytes: every field the sign-in
// reads from it. Nothing may crash or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/mail_oauth.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string json(reinterpret_cast<const char*>(data), size);
    for (const char* name : {"device_code", "user_code", "verification_uri", "interval", "expires_in",
                             "access_token", "refresh_token", "id_token", "error", "error_description"})
        lorvane::JsonValue(json, name);
    return 0;
}
