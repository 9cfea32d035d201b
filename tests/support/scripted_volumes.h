// A scripted stand-in for the pass-through seam: each letter can hold a volume
// with canned INQUIRY and Identify replies; every command block sent is
// recorded for byte-exact assertions.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "seams/pass_through.h"

namespace ib::test {

struct SentCommand {
    char letter;
    std::vector<std::uint8_t> cdb;
    DataDirection direction;
    std::vector<std::uint8_t> dataOut;
    std::size_t length;
    unsigned timeout;
    TransferKind kind;
};

struct ScriptedVolume {
    bool opens = true;
    // Answers one command: fills `data` for In and returns the outcome.
    std::function<ScsiOutcome(const ScsiRequest&)> answer;
    // Why the storage may not be written now; empty: it may.
    std::string storageInUse = {};
    // Whether that is a mounted file system, which unmountStorage takes away
    // when `unmountFails` is empty (and otherwise refuses with it).
    bool storageMounted = false;
    std::string unmountFails = {};
};

class ScriptedVolumes final : public VolumeProvider {
public:
    std::map<char, ScriptedVolume> volumes;
    std::vector<SentCommand> sent;
    std::vector<char> opened;
    std::map<char, std::string> refusals;                   // the reason a letter gives when it does not open
    std::map<char, std::shared_ptr<const void>> claims;     // what a letter's handles keep the recorder with
    std::map<char, std::string> ports;                      // the USB port of the device behind a letter
    int liveHandles = 0;
    int storageWritePreparations = 0;  // times a handle was asked whether its storage may be written
    int unmounts = 0;                  // times a handle was asked to unmount its storage

    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot) override;
    std::string volumeName(char letter) const override { return std::string(1, letter) + ":"; }
    std::string volumePort(char letter) const override {
        const auto it = ports.find(letter);
        return it == ports.end() ? "" : it->second;
    }

    // Vendor command blocks sent, in order.
    std::vector<std::vector<std::uint8_t>> vendorBlocks() const;
};

// A volume that answers INQUIRY with format byte `inquiryFormat` and Identify
// with `identify` (16 bytes), the call succeeding as `identifyOk` says; every
// other command succeeds and, for data in, delivers `otherReply` (repeated).
ScriptedVolume recorderVolume(std::uint8_t inquiryFormat, std::vector<std::uint8_t> identify,
                              bool identifyOk = true, std::vector<std::uint8_t> otherReply = {});

std::vector<std::uint8_t> bootRomIdentify();
std::vector<std::uint8_t> updaterIdentify();

}  // namespace ib::test
