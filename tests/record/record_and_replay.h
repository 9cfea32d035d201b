// The record-and-replay tests' fixture: imageburner-cli run in-process with
// a fresh copy of the examples as its working folder, a simulated recorder,
// and readers of what a run leaves (a recording's lines, a bundle's members).
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "record/json_line.h"
#include "record/recording_file.h"
#include "record/recording_reader.h"
#include "support/environment_variable.h"
#include "support/temp_folder.h"

namespace ib::test {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string out, err;
};

class RecordAndReplay : public ::testing::Test {
protected:
    RecordAndReplay() {
        test::setEnvironmentVariable("XDG_CONFIG_HOME", (home / "config").string());
        test::setEnvironmentVariable("APPDATA", (home / "config").string());
        fs::copy(fs::path(IMAGEBURNER_SOURCE_DIR) / "examples", work.path(), fs::copy_options::recursive);
        for (const char* left : {"UserAreaFirstSector", "userdata.img", "BootArea.bin", "UserArea.bin"})
            fs::remove(work / left);
    }
    Result cli(std::vector<std::string> args, StopRequest stop = {}) {
        args.insert(args.begin(), "imageburner-cli");
        std::vector<const char*> argv;
        for (auto& a : args) argv.push_back(a.c_str());
        std::ostringstream out, err;
        const int status = cli::run(static_cast<int>(argv.size()), argv.data(), out, err, stop);
        return {status, out.str(), err.str()};
    }
    // A full update of a fresh simulated recorder in its boot ROM, recorded.
    Result recordUpdate(const fs::path& file, std::vector<std::string> extra = {}) {
        const fs::path state = files / ("state-" + file.filename().string());
        EXPECT_EQ(cli({"sim", "init", state.string(), "--force"}).status, 0);
        std::vector<std::string> args{"--sim", state.string(), "--workdir", work.path().string(), "--record",
                                      file.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back("update");
        return cli(args);
    }
    Result replayUpdate(const fs::path& file) {
        return cli({"--workdir", work.path().string(), "--replay", file.string(), "update"});
    }
    // The recording's lines that `wanted` picks.
    template <typename Pick>
    static std::vector<record::JsonFields> linesOf(const fs::path& file, Pick wanted) {
        std::string error;
        const auto session = record::readRecording(file, error);
        std::vector<record::JsonFields> found;
        for (const auto& entry : session.value().entries)
            if (wanted(entry)) found.push_back(entry);
        return found;
    }
    static std::vector<record::JsonFields> exchanges(const fs::path& file) {
        return linesOf(file, [](const record::JsonFields& entry) { return entry.contains("n"); });
    }
    static std::vector<record::JsonFields> events(const fs::path& file, const std::string& name) {
        return linesOf(file, [&](const record::JsonFields& entry) { return record::fieldText(entry, "event") == name; });
    }

    // The recording's text, decompressed.
    static std::string textOf(const fs::path& file) {
        std::string error, text;
        const auto bytes = record::ByteReader::open(file, error);
        std::vector<char> piece(1 << 16);
        for (std::size_t got = 0; bytes && (got = bytes->read(piece.data(), piece.size())) > 0;) text.append(piece.data(), got);
        return text;
    }

    test::TempFolder home, work, files;
};


// The members of a tar.gz by name, read with zlib alone.
inline std::map<std::string, std::string> archiveMembers(const fs::path& file) {
    std::map<std::string, std::string> members;
    gzFile in = gzopen(file.string().c_str(), "rb");
    char header[512];
    while (in != nullptr && gzread(in, header, sizeof header) == sizeof header && header[0] != '\0') {
        const std::size_t size = std::stoull(std::string(header + 124, 11), nullptr, 8);
        std::string content((size + 511) / 512 * 512, '\0');
        if (gzread(in, content.data(), static_cast<unsigned>(content.size())) != static_cast<int>(content.size())) break;
        members[std::string(header)] = content.substr(0, size);
    }
    if (in != nullptr) gzclose(in);
    return members;
}

}  // namespace ib::test
