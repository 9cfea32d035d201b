// Reading a recording back (see recording.h for its lines), line by line.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "record/json_line.h"
#include "record/line_reader.h"

namespace ib::record {

struct RecordedSession {
    bool fullData = false;
    // Every line after the first, the end line and blank lines left out.
    std::vector<JsonFields> entries;
    // False when the end line is missing: the session stopped before the
    // recording was closed (a crash), and a line cut off mid-way is dropped.
    bool finished = false;
};

// Asked between lines; true ends the reading (a termination signal).
using StopAsked = std::function<bool()>;

// nullopt with `error` set when the lines are no recording: the first line
// names no known format and version (or a newer version), a line before the
// last is unreadable or longer than any recording holds, or `stopped` said so.
std::optional<RecordedSession> readRecording(LineReader& lines, std::string& error, const StopAsked& stopped = {});
// The same for a file, with the file's name before the error.
std::optional<RecordedSession> readRecording(const std::filesystem::path& file, std::string& error,
                                             const StopAsked& stopped = {});
// The same for a text in memory.
std::optional<RecordedSession> parseRecording(std::string_view text, std::string& error);

// Whether `line` is a recording's first line, of any version.
bool isRecordingHeader(std::string_view line);

// The text of a field, `fallback` when the line has none.
std::string fieldText(const JsonFields& fields, std::string_view name, std::string_view fallback = "");

}  // namespace ib::record
