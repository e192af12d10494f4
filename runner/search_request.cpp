#include "runner/search_request.h"

#include <cstdio>

namespace lorvane {

// This build has no E-utilities client yet: it says so for every query
// instead of reporting an empty result as if it had searched.
int SearchQuery(const std::string& query, const std::string& /*minDate*/,
                const std::string& /*maxDate*/, IdentifierArray& /*ids*/) {
    std::fprintf(stderr, "tessory: searching PubMed is not available in this build; not searched: %s\n",
                 query.c_str());
    return 0;
}

}  // namespace lorvane
