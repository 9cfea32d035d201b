// Every operation against every vendor command it sends: each operation runs
// once cleanly to record its commands, then once per command position with
// that command failing, in both ways a command fails: the transport breaks
// (the host's call fails), or the recorder answers CHECK CONDITION through a
// call that succeeds. A failed command must end the operation with a
// message (unless the operation sent it again with success, or it was the
// closing selection or the session's end), send no command that changes the
// recorder after it, still close the session where the operation closes it,
// and leave the index table sector as it was when nothing had been changed yet. New commands an operation
// sends are covered without editing the table.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <map>

#include "device/vendor_command.h"
#include "support/sim_rig.h"

namespace ib {
namespace {

using test::patternBytes;
using Lines = std::vector<std::string>;

struct Scenario {
    const char* name;
    sim::RecorderMode mode;
    std::function<void(test::SimRig&)> prepare;
    Operation op;
};

void firmwareFolder(test::SimRig& s, const char* storage, const char* plan) {
    s.write("updater.bin", patternBytes(3000, 9));
    s.write("a.bin", patternBytes(1000, 1));
    s.write("b.bin", patternBytes(1500, 2));
    s.write("raw.bin", patternBytes(3000, 3));
    s.write(storage == std::string("SIF") ? "sif.ini" : "DiskInfo.ini",
            std::string("[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n") + plan);
    s.view.storageName = storage;
    s.view.firmwareNumber = "2";
}

constexpr const char* kRawPlan =
    "[User_Area_Partition]\nPartitionNumber=2\nSDKeepCodeSize=128\n"
    "[Part_0]\nSize=16\nUnitNumber=0\nType=RAW\nRawFileName=raw.bin\n"
    "[Part_1]\nSize=-1\nUnitNumber=1\nType=NONE\n";

const Scenario kScenarios[] = {
    {"UpdateEmmc", sim::RecorderMode::BootRom,
     [](test::SimRig& s) {
         firmwareFolder(s, "eMMC", kRawPlan);
         s.view.configBootArea = 1;
         s.view.changeBootSize = 1;
         s.view.configUserArea = 1;
     },
     Operation::FullUpdate},
    {"UpdateMoviNand", sim::RecorderMode::Updater,
     [](test::SimRig& s) {
         firmwareFolder(s, "moviNAND", kRawPlan);
         s.view.configUserArea = 1;
     },
     Operation::FullUpdate},
    {"UpdateSif", sim::RecorderMode::Updater,
     [](test::SimRig& s) {
         firmwareFolder(s, "SIF", "");
         s.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n");
     },
     Operation::FullUpdate},
    {"Sync", sim::RecorderMode::BootRom, [](test::SimRig& s) { firmwareFolder(s, "eMMC", ""); }, Operation::Sync},
    {"LowLevelFormat", sim::RecorderMode::Updater, [](test::SimRig& s) { firmwareFolder(s, "eMMC", ""); },
     Operation::LowLevelFormat},
    {"ConfigureUserArea", sim::RecorderMode::Updater,
     [](test::SimRig& s) {
         firmwareFolder(s, "moviNAND", kRawPlan);
     },
     Operation::ConfigureUserArea},
    {"RawWrite", sim::RecorderMode::Updater,
     [](test::SimRig& s) {
         firmwareFolder(s, "eMMC", "");
         s.view.rawPath = (s.workdir() / "raw.bin").string();
     },
     Operation::RawWrite},
    {"ReadBootArea", sim::RecorderMode::Updater,
     [](test::SimRig& s) {
         firmwareFolder(s, "eMMC", "");
         s.view.bootReadSize = "300";
     },
     Operation::ReadBootArea},
    {"WriteRegister", sim::RecorderMode::Updater, [](test::SimRig& s) { firmwareFolder(s, "eMMC", ""); },
     Operation::WriteRegister},
};

// A rig prepared for one run of a scenario.
struct PreparedRig {
    explicit PreparedRig(const Scenario& scenario) : rig({.mode = scenario.mode}) { scenario.prepare(rig); }
    test::SimRig rig;
};

std::uint8_t codeOf(const std::string& logLine) {
    return static_cast<std::uint8_t>(std::stoul(logLine.substr(6, 2), nullptr, 16));
}
bool isVendor(const std::string& logLine) { return logLine.rfind("fa5566", 0) == 0; }

// The matrix's size over the scenarios this process ran.
class FaultMatrix : public ::testing::TestWithParam<std::tuple<Scenario, sim::FaultKind>> {
public:
    static void TearDownTestSuite() { std::cout << "fault matrix: " << s_runs << " faulted runs\n"; }

protected:
    static inline std::size_t s_runs = 0;
};

TEST_P(FaultMatrix, EveryFailedCommandEndsTheOperationCleanly) {
    const auto& [scenario, kind] = GetParam();
    PreparedRig clean(scenario);
    const std::vector<std::uint8_t> tableBefore = clean.rig.area(2, 0, 0, 1);
    ASSERT_EQ(clean.rig.run(scenario.op), 1u) << ::testing::PrintToString(clean.rig.seen());
    const std::vector<std::uint8_t> codes = clean.rig.vendorCodes();
    const bool closesSession = !codes.empty() && codes.back() == static_cast<std::uint8_t>(VendorCode::EndSession);
    const auto firstChange = std::find_if(codes.begin(), codes.end(), test::changesRecorder) - codes.begin();
    // The closing selection of the user area and the session's end: their failure is not reported.
    const auto isClosing = [](std::uint8_t c) {
        return c == static_cast<std::uint8_t>(VendorCode::SelectStorage) ||
               c == static_cast<std::uint8_t>(VendorCode::EndSession);
    };
    const auto closingFrom = std::find_if_not(codes.rbegin(), codes.rend(), isClosing).base() - codes.begin();

    std::map<std::uint8_t, std::uint32_t> seenOfCode;
    for (std::size_t position = 0; position < codes.size(); ++position) {
        const std::uint8_t code = codes[position];
        const std::uint32_t nth = ++seenOfCode[code];
        SCOPED_TRACE(::testing::Message() << scenario.name << ": command " << position << " (0x" << std::hex
                                          << int(code) << std::dec << ", number " << nth << " of its code) fails");
        PreparedRig faulted(scenario);
        faulted.rig.sim->failNthCommand(static_cast<VendorCode>(code), nth, kind);
        const std::uint32_t result = faulted.rig.run(scenario.op);
        ++s_runs;
        const Lines log = faulted.rig.sim->commandLog();
        const auto failed = std::find_if(log.begin(), log.end(), [](const std::string& l) { return l.ends_with(" fail"); });
        ASSERT_NE(failed, log.end());
        const std::string block = failed->substr(0, failed->find(' '));
        const bool retried = std::any_of(std::next(failed), log.end(),
                                         [&](const std::string& l) { return l.starts_with(block) && l.ends_with(" ok"); });
        if (static_cast<std::ptrdiff_t>(position) < closingFrom && !retried) {
            EXPECT_EQ(result, 0u);
            const Lines seen = faulted.rig.seen();
            EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](const std::string& l) {
                return l.starts_with("box") || l.starts_with("status: ");
            }));
        }
        for (auto after = std::next(failed); after != log.end() && !retried; ++after)
            EXPECT_FALSE(isVendor(*after) && test::changesRecorder(codeOf(*after))) << *after;
        // A recorder that never opened has no session to close.
        const bool opened = code != static_cast<std::uint8_t>(VendorCode::Identify) || nth > 1 || retried;
        if (closesSession && opened) {
            EXPECT_EQ(faulted.rig.vendorCodes().back(), codes.back());
        }
        if (static_cast<std::ptrdiff_t>(position) <= firstChange && !retried) {
            EXPECT_EQ(faulted.rig.area(2, 0, 0, 1), tableBefore);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(kScenarios),
                                            ::testing::Values(sim::FaultKind::TransportFailure,
                                                              sim::FaultKind::CheckCondition)),
                         [](const ::testing::TestParamInfo<FaultMatrix::ParamType>& info) {
                             const bool check = std::get<1>(info.param) == sim::FaultKind::CheckCondition;
                             return std::string(std::get<0>(info.param).name) + (check ? "CheckCondition" : "Transport");
                         });

}  // namespace
}  // namespace ib
