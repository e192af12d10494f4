#include "platform/posix/posix_error.h"

#include <cerrno>
#include <cstring>

namespace lorvane {

std::string DescribeErrno(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

Status ErrnoStatus(const std::string& what, int error) {
    const StatusCode code = error == ENOENT                    ? StatusCode::NotFound
                            : error == EEXIST                  ? StatusCode::Exists
                            : error == EACCES || error == EPERM ? StatusCode::AccessDenied
                            : error == EWOULDBLOCK             ? StatusCode::Busy
                                                               : StatusCode::Failed;
    return Status(code, DescribeErrno(what, error));
}

}  // namespace lorvane
