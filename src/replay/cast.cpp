#include "replay/cast.hpp"

#include <string>

#include "core/expedition.hpp"
#include "headless/json_writer.hpp"
#include "render/text.hpp"
#include "replay/asciicast.hpp"

namespace burrowlight::replay {

std::string run_title(const Timeline& timeline) {
  const expedition::Run& end = timeline.at(timeline.last()).run;
  const Record& record = end.record();
  const std::optional<std::string> identity = record.expedition_id();
  const std::string named =
      identity ? render::joined({"BurrowLight expedition ", *identity})
               : render::joined({"BurrowLight practice run, seed ", std::to_string(record.seed)});
  return render::joined({named, ": score ", std::to_string(end.expedition().score), ", depth ",
                 std::to_string(end.expedition().floor + 1), " / ", std::to_string(kFloorCount),
                 record.finished ? ", sealed" : ", not sealed"});
}

Result<void> write_cast(const Timeline& timeline, const RecordingSettings& settings, Output& out) {
  headless::JsonWriter line;
  const std::string title = run_title(timeline);
  if (auto written =
          out.write(header_line(line, {settings.size.columns, settings.size.rows, title}));
      !written) {
    return written;
  }
  auto recorded = record_frames(timeline, settings, [&](const TimedFrame& frame) {
    return out.write(output_event_line(line, frame.microseconds, frame.bytes));
  });
  if (!recorded) return recorded;
  return out.flush();
}

}  // namespace burrowlight::replay
