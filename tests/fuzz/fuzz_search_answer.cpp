// A search answer of any bytes: the identifiers read from it never exceed
// the array, and the request path built from it as a query stays one line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runner/search_request.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    lorvane::IdentifierArray ids{};
    const int count = lorvane::ExtractIdentifiers(text, ids);
    if (count < 0 || count > static_cast<int>(ids.size())) std::abort();
    const std::string path = lorvane::BuildSearchPath(text, "2007/1/1", "2007/1/8");
    for (const char c : path)
        if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) >= 0x7F) std::abort();
    return 0;
}
