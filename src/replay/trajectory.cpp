#include "replay/trajectory.hpp"

#include "app/line_protocol.hpp"
#include "headless/expedition_reply.hpp"

namespace burrowlight::replay {

Result<void> write_trajectory(const Timeline& timeline, Output& out) {
  headless::ExpeditionReplyWriter replies;
  for (const Moment& moment : timeline.moments()) {
    if (auto written = app::send_reply(out, replies.expedition_observation(moment.run)); !written) {
      return written;
    }
  }
  return {};
}

}  // namespace burrowlight::replay
