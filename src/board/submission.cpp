#include "board/submission.hpp"

#include "app/save.hpp"
#include "board/daily.hpp"

namespace burrowlight::board {

std::expected<CheckedRun, Refusal> check_submission(std::string_view body) {
  if (body.size() > app::save::kSizeLimit) {
    return std::unexpected(Refusal{413, "A save is at most 64 KiB (65536 bytes); this body is larger."});
  }
  app::save::Inspection inspection = app::save::inspect(body);
  if (!inspection.run) return std::unexpected(Refusal{400, inspection.run.error().text()});
  const Record& record = inspection.run->record();
  if (!record.finished) {
    return std::unexpected(Refusal{
        400, "The run is not finished: only a sealed run joins the board (press F in the game "
             "to seal it)."});
  }
  const Expedition& reached = inspection.run->expedition();
  return CheckedRun{!record.secret,
                    record.seed,
                    record.expedition_id(),
                    reached.score,
                    reached.floor + 1,
                    reached.turns,
                    record.actions.size(),
                    record.finished,
                    sha256_hex(body),
                    std::string(body)};
}

}  // namespace burrowlight::board
