// The recording reader on arbitrary text, and a replay of whatever it
// accepts: a recording a user sends is outside input like any other file.
// The replay is asked for what a session asks (the device list, volumes,
// a short reply, a sector write and read) and must answer or refuse, never
// read or write past a buffer.
#include <array>
#include <cstdint>
#include <string>

#include "device/vendor_command.h"
#include "fuzz_support.h"
#include "record/recording_reader.h"
#include "record/replay.h"

namespace {

void exchange(ib::VolumeHandle& volume, std::span<const std::uint8_t> cdb, ib::DataDirection direction,
              std::span<std::uint8_t> data) {
    ib::ScsiRequest request;
    request.cdb = cdb;
    request.direction = direction;
    request.data = data;
    const ib::ScsiOutcome outcome = volume.send(request);
    (void)outcome;
}

void askLikeASession(ib::record::Replay& replay) {
    (void)replay.presentDevices();
    (void)replay.volumeName('D');
    for (const char letter : {'D', 'E'}) {
        std::string whyNot;
        const auto volume = replay.openVolume(letter, &whyNot);
        if (!volume) continue;
        const std::array<std::uint8_t, 6> inquiry = {0x12, 0, 0, 0, 36, 0};
        std::array<std::uint8_t, 36> reply{};
        exchange(*volume, inquiry, ib::DataDirection::In, reply);
        ib::Cdb16 write = ib::vendorBlock(ib::VendorCode::WriteSectors);
        write[0] = 0xFA, write[1] = 0x55, write[2] = 0x66, write[9] = 1;
        std::array<std::uint8_t, 512> sector{};
        exchange(*volume, write, ib::DataDirection::Out, sector);
        ib::Cdb16 read = write;
        read[3] = static_cast<std::uint8_t>(ib::VendorCode::ReadSectors);
        exchange(*volume, read, ib::DataDirection::In, sector);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    auto session = ib::record::parseRecording(ib::fuzz::asText(data, size), error);
    if (!session) {
        ib::fuzz::require(!error.empty(), "a refused recording says why");
        return 0;
    }
    ib::record::Replay replay(std::move(*session), false);
    askLikeASession(replay);
    (void)replay.verdict();
    return 0;
}
