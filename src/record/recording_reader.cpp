// Reading a recording. See recording_reader.h.
#include "record/recording_reader.h"

#include <cstdlib>

#include "record/recording.h"
#include "seams/utf8_path.h"

namespace ib::record {
namespace {

std::string headerProblem(const std::optional<JsonFields>& header) {
    const std::string known = std::string(kRecordingFormat) + " version " + std::to_string(kRecordingVersion);
    if (!header || fieldText(*header, "format") != kRecordingFormat)
        return "Not a recording: the first line does not name " + known;
    const std::string version = fieldText(*header, "version");
    if (version == std::to_string(kRecordingVersion)) return "";
    char* end = nullptr;
    const unsigned long number = std::strtoul(version.c_str(), &end, 10);
    if (!version.empty() && *end == '\0' && number > static_cast<unsigned long>(kRecordingVersion))
        return "the recording was made by a newer version of imageburner (" + std::string(kRecordingFormat) +
               " version " + version + "); this program reads version " + std::to_string(kRecordingVersion);
    return "Not a recording: the first line does not name " + known;
}

bool blank(const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; }

std::string tooLong(std::uint64_t number) {
    return "The recording's line " + std::to_string(number) + " is longer than any line a recording holds (" +
           std::to_string(kLongestRecordedLine) + " bytes)";
}

}  // namespace

bool isRecordingHeader(std::string_view line) {
    const std::optional<JsonFields> header = parseJsonLine(line);
    return header && fieldText(*header, "format") == kRecordingFormat;
}

std::string fieldText(const JsonFields& fields, std::string_view name, std::string_view fallback) {
    const auto found = fields.find(name);
    if (found == fields.end() || found->second.kind == JsonValue::Kind::Null ||
        found->second.kind == JsonValue::Kind::Array)
        return std::string(fallback);
    return found->second.text;
}

std::optional<RecordedSession> readRecording(LineReader& lines, std::string& error, const StopAsked& stopped) {
    std::string line;
    LineReader::Result result = lines.next(line);
    const auto header = result == LineReader::Result::Line ? parseJsonLine(line) : std::nullopt;
    error = headerProblem(header);
    if (!error.empty()) return std::nullopt;
    RecordedSession session;
    session.fullData = fieldText(*header, "data") == "full";
    std::uint64_t unreadable = 0;  // an unreadable line is the one in flight at a crash if no other follows
    while ((result = lines.next(line)) == LineReader::Result::Line) {
        if (stopped && stopped()) {
            error = "Stopped while reading the recording, at line " + std::to_string(lines.number());
            return std::nullopt;
        }
        if (blank(line)) continue;
        if (unreadable != 0) break;
        std::optional<JsonFields> entry = parseJsonLine(line);
        if (!entry) {
            unreadable = lines.number();
        } else if (fieldText(*entry, "event") == "end") {
            session.finished = true;
            return session;
        } else {
            session.entries.push_back(std::move(*entry));
        }
    }
    if (result == LineReader::Result::TooLong) error = tooLong(lines.number());
    else if (result == LineReader::Result::Line) error = "The recording's line " + std::to_string(unreadable) + " is not readable";
    else return session;
    return std::nullopt;
}

std::optional<RecordedSession> readRecording(const std::filesystem::path& file, std::string& error,
                                             const StopAsked& stopped) {
    const std::unique_ptr<ByteReader> bytes = ByteReader::open(file, error);
    if (!bytes) return std::nullopt;
    LineReader lines(*bytes, kLongestRecordedLine);
    std::optional<RecordedSession> session = readRecording(lines, error, stopped);
    if (!session) error = utf8FromPath(file) + ": " + error;
    return session;
}

std::optional<RecordedSession> parseRecording(std::string_view text, std::string& error) {
    TextBytes bytes(text);
    LineReader lines(bytes, kLongestRecordedLine);
    return readRecording(lines, error);
}

}  // namespace ib::record
