// Reading a recording. See recording_reader.h.
#include "record/recording_reader.h"

#include "record/recording.h"

namespace ib::record {
namespace {

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
}

bool knownHeader(const std::optional<JsonFields>& header) {
    return header && fieldText(*header, "format") == kRecordingFormat &&
           fieldText(*header, "version") == std::to_string(kRecordingVersion);
}

}  // namespace

std::string fieldText(const JsonFields& fields, std::string_view name, std::string_view fallback) {
    const auto found = fields.find(name);
    if (found == fields.end() || found->second.kind == JsonValue::Kind::Null ||
        found->second.kind == JsonValue::Kind::Array)
        return std::string(fallback);
    return found->second.text;
}

std::optional<RecordedSession> parseRecording(std::string_view text, std::string& error) {
    const std::vector<std::string_view> lines = splitLines(text);
    const std::optional<JsonFields> header = lines.empty() ? std::nullopt : parseJsonLine(lines.front());
    if (!knownHeader(header)) {
        error = std::string("Not a recording: the first line does not name ") + kRecordingFormat + " version " +
                std::to_string(kRecordingVersion);
        return std::nullopt;
    }
    RecordedSession session;
    session.fullData = fieldText(*header, "data") == "full";
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::optional<JsonFields> entry = parseJsonLine(lines[i]);
        if (!entry && i + 1 == lines.size()) break;  // the line in flight when the session stopped
        if (!entry) {
            error = "The recording's line " + std::to_string(i + 1) + " is not readable";
            return std::nullopt;
        }
        if (fieldText(*entry, "event") == "end") {
            session.finished = true;
            break;
        }
        session.entries.push_back(std::move(*entry));
    }
    return session;
}

}  // namespace ib::record
