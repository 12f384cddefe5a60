#pragma once
// The temporary files a save is written through: hidden, beside the save, and named after
// it, so that whoever holds the save's lock can remove those that a killed writer left
// without touching another save's.

#include <string>
#include <string_view>

namespace burrowlight::app::save {

// ".burrowlight-<16 hex digits from the save's file name>-<suffix>.tmp", for a suffix of
// sixteen lowercase hexadecimal digits.
std::string temporary_name(const std::string& path, std::string_view suffix);

// Removes every file in `directory` that is named as a temporary file of the save at
// `path`. Only the holder of the save's lock may call it: then no write of this save is
// under way. Failing to list or remove them costs disk space only, so it is not an error.
void remove_stale_temporaries(const std::string& directory, const std::string& path);

}  // namespace burrowlight::app::save
