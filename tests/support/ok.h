// Checks a Status in a test: EXPECT_TRUE(test::Ok(status)) fails with the
// status's words.
#pragma once

#include <gtest/gtest.h>

#include "common/status.h"

namespace lorvane {
namespace test {

inline ::testing::AssertionResult Ok(const Status& status) {
    if (status.ok()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << status.message();
}

}  // namespace test
}  // namespace lorvane
