#include "runner/record_fetch.h"

#include <cstdio>

namespace lorvane {

// This build has no E-utilities client yet: it says so rather than append
// entries it did not fetch.
void FetchArticles(const IdentifierArray& /*ids*/, int count, std::string& /*digest*/) {
    std::fprintf(stderr, "tessory: fetching records is not available in this build; %d not fetched\n",
                 count);
}

}  // namespace lorvane
