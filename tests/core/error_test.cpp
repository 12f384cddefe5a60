#include "core/error.hpp"

#include <cerrno>

#include <gtest/gtest.h>

namespace burrowlight {
namespace {

TEST(Error, OperatingSystemErrorsShowTheSystemDescriptionAndNumber) {
  EXPECT_EQ(Error::from_errno(ENOENT).text(), "No such file or directory (os error 2)");
  EXPECT_EQ(Error::from_errno(EPIPE).text(), "Broken pipe (os error 32)");
  EXPECT_EQ(Error::from_errno(EPIPE).os_code(), EPIPE);
  EXPECT_EQ(Error("plain").os_code(), std::nullopt);
}

}  // namespace
}  // namespace burrowlight
