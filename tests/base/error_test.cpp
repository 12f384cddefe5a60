#include "base/error.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace burrowlight {
namespace {

TEST(Error, EachKindDisplaysItsTextAndOnlyASystemFailureHasANumber) {
  struct Case {
    ErrorKind kind;
    std::string text;
    std::optional<int> os_code;
  };
  const std::vector<Case> cases = {
      {error::Message{"--seed requires a number"}, "--seed requires a number", std::nullopt},
      {error::Message{""}, "", std::nullopt},
      {error::System{2, "No such file or directory"}, "No such file or directory (os error 2)", 2},
      {error::System{13, "Cannot lock save a.json: a.json.lock: Permission denied"},
       "Cannot lock save a.json: a.json.lock: Permission denied (os error 13)", 13},
      {error::LockHeld{"\"a b.json\"", true},
       "Cannot lock save \"a b.json\": lock acquisition failed because the operation would "
       "block. Close another BurrowLight process using this save.",
       std::nullopt},
      {error::LockHeld{"a.json", false},
       "Cannot lock save a.json: lock acquisition failed due to I/O error. Close another "
       "BurrowLight process using this save.",
       std::nullopt},
      {error::InvalidSave{"line 1 column 1: expected '{'"}, "line 1 column 1: expected '{'",
       std::nullopt},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.text);
    const Error error(test.kind);
    EXPECT_EQ(error.text(), test.text);
    EXPECT_EQ(error.os_code(), test.os_code);
    EXPECT_EQ(error.kind(), test.kind);
  }
}

TEST(Error, TheSameTextOfAnotherKindIsAnotherError) {
  EXPECT_EQ(Error("x"), Error(error::Message{"x"}));
  EXPECT_NE(Error("x"), Error(error::InvalidSave{"x"}));
  EXPECT_EQ(Error::os(5, "Input/output error"), Error(error::System{5, "Input/output error"}));
}

}  // namespace
}  // namespace burrowlight
