// Reading a recording back (see recording.h for its lines).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/json_line.h"

namespace ib::record {

struct RecordedSession {
    bool fullData = false;
    // Every line after the first, the end line left out.
    std::vector<JsonFields> entries;
    // False when the end line is missing: the session stopped before the
    // recording was closed (a crash), and a line cut off mid-way is dropped.
    bool finished = false;
};

// nullopt with `error` set when the text is no recording: the first line
// names no known format and version, or a line before the last is unreadable.
std::optional<RecordedSession> parseRecording(std::string_view text, std::string& error);

// The text of a field, `fallback` when the line has none.
std::string fieldText(const JsonFields& fields, std::string_view name, std::string_view fallback = "");

}  // namespace ib::record
