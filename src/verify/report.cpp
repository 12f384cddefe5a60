#include "verify/report.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace burrowlight::verify {

namespace {

using headless::JsonWriter;

void integer_or_null(JsonWriter& out, std::optional<std::uint64_t> value) {
  if (value) {
    out.integer(*value);
  } else {
    out.raw("null");
  }
}

void boolean_or_null(JsonWriter& out, std::optional<bool> value) {
  if (value) {
    out.boolean(*value);
  } else {
    out.raw("null");
  }
}

}  // namespace

std::string_view report_line(JsonWriter& out, std::string_view path,
                             const app::save::Inspection& inspection) {
  const std::optional<Record>& record = inspection.record;
  const Result<expedition::Run>& run = inspection.run;
  const auto from_record = [&record](auto field) {
    return record ? std::optional(field(*record)) : std::nullopt;
  };
  const auto from_expedition = [&run](auto field) {
    return run ? std::optional<std::uint64_t>(field(run->expedition())) : std::nullopt;
  };

  out.clear();
  out.raw("{\"depth\":");
  integer_or_null(out,
                  from_expedition([](const Expedition& reached) { return reached.floor + 1; }));
  out.raw(",\"error\":");
  if (run) {
    out.raw("null");
  } else {
    // The game's own messages are printable; the system's words might not be.
    out.foreign_string(run.error().text());
  }
  out.raw(",\"expedition_id\":");
  if (std::optional<std::string> identity = record ? record->expedition_id() : std::nullopt) {
    out.string(*identity);
  } else {
    out.raw("null");
  }
  out.raw(",\"finished\":");
  boolean_or_null(out, from_record([](const Record& saved) { return saved.finished; }));
  out.raw(",\"path\":");
  out.foreign_string(path);
  out.raw(",\"practice\":");
  boolean_or_null(out, from_record([](const Record& saved) { return !saved.secret; }));
  out.raw(",\"score\":");
  integer_or_null(out, from_expedition([](const Expedition& reached) { return reached.score; }));
  out.raw(",\"seed\":");
  integer_or_null(out, from_record([](const Record& saved) { return saved.seed; }));
  out.raw(",\"turns\":");
  integer_or_null(out, from_expedition([](const Expedition& reached) { return reached.turns; }));
  out.raw(",\"valid\":");
  out.boolean(run.has_value());
  out.raw("}\n");
  return out.text();
}

}  // namespace burrowlight::verify
