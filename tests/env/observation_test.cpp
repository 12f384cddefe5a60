// The array observations say what the environments' replies say: over random play, the
// map, the figures and the legal actions of both games agree with the reply line.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>

#include "env/expedition_env.hpp"
#include "env/prototype_env.hpp"

namespace burrowlight::env {
namespace {

using nlohmann::json;

std::string row_of(const std::uint8_t* glyphs, std::size_t width) {
  return std::string(reinterpret_cast<const char*>(glyphs), width);
}

TEST(ExpeditionObservation, AgreesWithTheReply) {
  std::mt19937_64 random(20261208);
  ExpeditionEnv environment;
  ExpeditionObservation observation;
  for (int step = 0; step < 3000; ++step) {
    if (step % 600 == 0) environment.reset(random());
    // Now and then "finish", so that sealed runs are observed too.
    const std::size_t action = random() % 200 == 0 ? kFinish : random() % kFinish;
    environment.step(action);
    environment.observe(observation);
    const json reply = json::parse(environment.reply());
    using F = ExpeditionField;
    for (std::size_t y = 0; y < kFloorHeight; ++y) {
      ASSERT_EQ(row_of(observation.at<F::Map>().data() + y * kFloorWidth, kFloorWidth),
                reply["map"][y]);
    }
    EXPECT_EQ(observation.at<F::Position>()[0], reply["position"]["x"]);
    EXPECT_EQ(observation.at<F::Position>()[1], reply["position"]["y"]);
    EXPECT_EQ(observation.at<F::Floor>()[0], reply["floor"]);
    EXPECT_EQ(observation.at<F::Charge>()[0], reply["charge"]);
    EXPECT_EQ(observation.at<F::Score>()[0], reply["score"]);
    EXPECT_EQ(observation.at<F::Turn>()[0], reply["turn"]);
    const bool finished = observation.at<F::Finished>()[0];
    EXPECT_EQ(finished, reply["finished"]);
    const auto& legal_flags = observation.at<F::Legal>();
    json legal = json::array();
    for (std::size_t index = 0; index < kFinish; ++index) {
      if (legal_flags[index]) legal.push_back(expedition::kActionWords[index]);
    }
    EXPECT_EQ(
        json(std::vector<json>(reply["legal_actions"].begin() + 4, reply["legal_actions"].end())),
        legal);
    EXPECT_EQ(legal_flags[kFinish], !finished);
  }
}

TEST(PrototypeObservation, AgreesWithTheReply) {
  std::mt19937 random(46);
  PrototypeEnv environment;
  PrototypeObservation observation;
  constexpr std::array<std::string_view, kPrototypeActionCount> kWords = {
      "north", "south", "west", "east", "interact", "wait"};
  for (int step = 0; step < 400; ++step) {
    environment.step(random() % kPrototypeActionCount);
    environment.observe(observation);
    const json reply = json::parse(environment.reply());
    using F = PrototypeField;
    for (std::size_t y = 0; y < kPrototypeRows; ++y) {
      ASSERT_EQ(row_of(observation.at<F::Map>().data() + y * kPrototypeColumns, kPrototypeColumns),
                reply["map"][y]);
    }
    EXPECT_EQ(observation.at<F::Turn>()[0], reply["turn"]);
    EXPECT_EQ(observation.at<F::Found>()[0],
              static_cast<std::int32_t>(reply["objective"]["found"].size()));
    EXPECT_EQ(observation.at<F::Awakened>()[0], reply["objective"]["completed"]);
    for (std::size_t index = 0; index < kWords.size(); ++index) {
      const json& listed = reply["legal_actions"];
      const bool in_reply = std::find(listed.begin(), listed.end(), kWords[index]) != listed.end();
      EXPECT_EQ(observation.at<F::Legal>()[index], in_reply) << kWords[index];
    }
  }
}

}  // namespace
}  // namespace burrowlight::env
