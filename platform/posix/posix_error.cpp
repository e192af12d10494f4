#include "platform/posix/posix_error.h"

#include <cstring>

namespace lorvane {

std::string DescribeErrno(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

}  // namespace lorvane
