#pragma once
// The replies of the headless expedition, written straight into one reused buffer. Keys
// are written as constant fragments in byte order, so a reply costs no tree of values
// and, once the buffer has grown to the largest reply, no allocation.

#include <optional>
#include <string>
#include <string_view>

#include "core/expedition_record.hpp"
#include "core/expedition_run.hpp"
#include "headless/json_writer.hpp"

namespace burrowlight::headless {

// Each call returns one whole reply line, line feed included; the text stays valid until
// the next call on the same writer.
class ExpeditionReplyWriter {
 public:
  // The observation with "ok" true: the map as the player sees and remembers it, the
  // notable cells in view, the legal commands and the run's figures.
  std::string_view expedition_observation(const expedition::Run& run);
  // The same observation with "ok" false and the reason the line failed.
  std::string_view expedition_failure(const expedition::Run& run, std::string_view reason);

 private:
  void write_expedition(const expedition::Run& run, std::optional<std::string_view> reason);
  void write_expedition_id(const Record& record);

  JsonWriter out_;
  // The identity of the last secret seen: a digest per reply would cost more than the
  // rest of the observation.
  std::optional<record::Secret> identified_secret_;
  std::string identity_;
};

}  // namespace burrowlight::headless
