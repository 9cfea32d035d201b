// What the reader takes from a recording's text: the lines after the format
// line, whether the session reached its end, and refusals that say why.
#include <gtest/gtest.h>

#include "record/json_line.h"
#include "record/recording.h"
#include "record/recording_reader.h"

namespace ib::record {
namespace {

const std::string kHeader = R"({"format":"imageburner-recording","version":1,"data":"hash"})";
const std::string kOpen = R"({"event":"open","letter":"D","opened":true})";

TEST(RecordingReader, TakesTheLinesAfterTheFormatLineAndTellsAFinishedSessionFromOneCutShort) {
    const struct {
        const char* what;
        std::string text;
        std::size_t entries;
        bool finished;
    } rows[] = {
        {"finished", kHeader + "\n" + kOpen + "\n{\"event\":\"end\"}\n", 1, true},
        {"no end line", kHeader + "\n" + kOpen + "\n", 1, false},
        {"last line cut mid-way", kHeader + "\n" + kOpen + "\n{\"n\":1,\"cdb\":\"12", 1, false},
        {"CR LF line ends", kHeader + "\r\n" + kOpen + "\r\n{\"event\":\"end\"}\r\n", 1, true},
        {"blank lines between", kHeader + "\n\n" + kOpen + "\n \r\n\n{\"event\":\"end\"}\n", 1, true},
        {"a line as long as a recording holds", kHeader + "\n" + kOpen + "\n{\"x\":\"" +
             std::string(kLongestRecordedLine - 8, 'a') + "\"}\n", 2, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::string error;
        const auto session = parseRecording(row.text, error);
        ASSERT_TRUE(session) << error;
        EXPECT_EQ(session->entries.size(), row.entries);
        EXPECT_EQ(session->finished, row.finished);
        EXPECT_EQ(fieldText(session->entries.front(), "letter"), "D");
    }
}

TEST(RecordingReader, RefusesTextThatIsNoRecordingSayingWhy) {
    const struct {
        std::string text, error;
    } rows[] = {
        {"", "Not a recording: the first line does not name imageburner-recording version 1"},
        {kHeader + "\n{\"n\":1,\n\n" + kOpen + "\n", "The recording's line 2 is not readable"},
        {R"({"format":"imageburner-recording","version":12,"data":"hash"})",
         "the recording was made by a newer version of imageburner (imageburner-recording version 12); this program "
         "reads version 1"},
        {R"({"format":"imageburner-recording","version":"1x"})", "Not a recording: the first line does not name "
                                                                 "imageburner-recording version 1"},
        // One byte more than the longest line, without a line end: refused before the rest is read.
        {kHeader + "\n" + kOpen + "\n" + std::string(kLongestRecordedLine + 1, '{'),
         "The recording's line 3 is longer than any line a recording holds (" +
             std::to_string(kLongestRecordedLine) + " bytes)"},
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(parseRecording(row.text, error));
        EXPECT_EQ(error, row.error);
    }
}

TEST(RecordingReader, ReadsBackTextWithQuotesBackslashesAndControlCharactersAsWritten) {
    const std::string awkward = "\\\\?\\USBSTOR#\"x\"\t\x01";
    const auto fields = parseJsonLine(JsonLine().text("name", awkward).texts("ids", {awkward, std::nullopt}).finished());
    ASSERT_TRUE(fields);
    EXPECT_EQ(fieldText(*fields, "name"), awkward);
    EXPECT_EQ(fields->at("ids").items, (std::vector<std::optional<std::string>>{awkward, std::nullopt}));
}

}  // namespace
}  // namespace ib::record
