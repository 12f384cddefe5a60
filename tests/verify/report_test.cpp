// One save's report line: what is known at each stage of the check (nothing, what the file
// states, what its actions lead to), and a path that is not UTF-8.

#include "verify/report.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace burrowlight::verify {
namespace {

std::string line_for(std::string_view path, const save::Inspection& inspection) {
  headless::JsonWriter writer;
  return std::string(report_line(writer, path, inspection));
}

TEST(Report, FieldsAreKnownAsFarAsTheCheckGot) {
  record::Secret secret{};
  Record sealed(secret);
  sealed.actions = {2, 4};
  sealed.finished = true;
  Record blocked = Record::practice(0);
  blocked.actions = {1, 1};
  const std::string identity = *sealed.expedition_id();
  struct Case {
    std::string name;
    save::Inspection inspection;
    std::string line;
  };
  const std::vector<Case> cases = {
      {"valid", save::inspect(sealed.to_pretty_json()),
       R"({"depth":1,"error":null,"expedition_id":")" + identity +
           R"(","finished":true,"path":"s.json","practice":false,"score":0,"seed":)" +
           std::to_string(sealed.seed) +
           R"(,"turns":2,"valid":true})"
           "\n"},
      {"parsed but invalid", save::inspect(blocked.to_pretty_json()),
       R"({"depth":null,"error":"Invalid saved action at step 2: The destination is blocked.",)"
       R"("expedition_id":null,"finished":false,"path":"s.json","practice":true,"score":null,)"
       R"("seed":0,"turns":null,"valid":false})"
       "\n"},
      {"unreadable",
       {std::nullopt, std::unexpected(Error("Is a directory (os error 21)"))},
       R"json({"depth":null,"error":"Is a directory (os error 21)","expedition_id":null,)json"
       R"json("finished":null,"path":"s.json","practice":null,"score":null,"seed":null,)json"
       R"json("turns":null,"valid":false})json"
       "\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(line_for("s.json", c.inspection), c.line) << c.name;
  }
}

TEST(Report, APathThatIsNotUtf8StillMakesAValidLine) {
  const std::string line =
      line_for("bad\xff\x1b[31m.json", {std::nullopt, std::unexpected(Error("x\x7f"))});
  const nlohmann::json report = nlohmann::json::parse(line);
  EXPECT_EQ(report["path"], "bad\xEF\xBF\xBD\x1b[31m.json");
  EXPECT_EQ(report["error"], "x\x7f");
  EXPECT_EQ(line.find('\x1b'), std::string::npos);
  EXPECT_EQ(line.find('\x7f'), std::string::npos);
}

}  // namespace
}  // namespace burrowlight::verify
