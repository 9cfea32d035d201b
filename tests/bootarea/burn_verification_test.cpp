// Verifying a burn by reading it back: off by default (the burn sends only its
// own commands), and when on, a sector that did not arrive intact fails the
// burn with the member and the sector named.
#include <gtest/gtest.h>

#include "support/sim_rig.h"

namespace ib {
namespace {

// Volumes whose cable flips one bit in the data of the n-th sector write.
class FlakyCable final : public VolumeProvider {
public:
    FlakyCable(VolumeProvider& inner, int corruptWrite) : m_inner(inner), m_corruptWrite(corruptWrite) {}
    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot) override {
        auto handle = m_inner.openVolume(letter, whyNot);
        if (!handle) return nullptr;
        return std::make_unique<Handle>(std::move(handle), *this);
    }
    std::string volumeName(char letter) const override { return m_inner.volumeName(letter); }

private:
    struct Handle final : VolumeHandle {
        Handle(std::unique_ptr<VolumeHandle> inner, FlakyCable& cable) : inner(std::move(inner)), cable(cable) {}
        ScsiOutcome send(const ScsiRequest& request) override {
            if (request.cdb.size() == 16 && request.cdb[3] == 0x08 && ++cable.m_writes == cable.m_corruptWrite) {
                std::vector<std::uint8_t> damaged(request.data.begin(), request.data.end());
                damaged[600] ^= 0x01;
                ScsiRequest copy = request;
                copy.data = damaged;
                return inner->send(copy);
            }
            return inner->send(request);
        }
        std::unique_ptr<VolumeHandle> inner;
        FlakyCable& cable;
    };
    VolumeProvider& m_inner;
    int m_corruptWrite;
    int m_writes = 0;
};

struct VerifyRig {
    explicit VerifyRig(int corruptWrite) : cable(s.sim->volumes(), corruptWrite), rig(cable, nullptr, nullptr, &s.clock) {
        rig.workdir.write("a.bin", test::patternBytes(70000, 1));
        rig.workdir.write("b.bin", test::patternBytes(2000, 2));
        rig.workdir.write("DiskInfo.ini", "[DEFAULT_FW]\nnumber=2\nfile0=a.bin\nfile1=b.bin\n");
        c.m_storageName = "eMMC";
        c.selectStorageType();
        c.usbCmd().Open();
    }
    std::size_t reads() {
        std::size_t n = 0;
        for (const auto& l : s.sim->commandLog()) n += l.rfind("fa556607", 0) == 0;
        return n;
    }
    test::SimRig s;
    FlakyCable cable;
    test::ControllerRig rig;
    CImageBurnerDlg& c = *rig.controller;
};

TEST(BurnVerification, IsOffByDefaultAndThenReadsNothingBack) {
    VerifyRig v(0);
    ASSERT_EQ(v.c.burnBlockStorage(2), 1u);
    EXPECT_EQ(v.reads(), 1u);  // the index table sector before the burn, nothing more
}

TEST(BurnVerification, ReadsEverythingBackInPiecesOf128) {
    VerifyRig v(0);
    v.c.m_verifyBurns = true;
    ASSERT_EQ(v.c.burnBlockStorage(2), 1u);
    // Table before; member a (137 sectors: 128 + 9), member b (4), table; the eMMC copy.
    EXPECT_EQ(v.reads(), 1u + 2u + 1u + 1u + 1u);
    EXPECT_TRUE(v.rig.port.take().empty());
}

TEST(BurnVerification, ADamagedSectorFailsTheBurnAndIsNamed) {
    VerifyRig v(2);  // the second piece of member a: sectors 129 to 137
    v.c.m_verifyBurns = true;
    EXPECT_EQ(v.c.burnBlockStorage(2), 0u);
    EXPECT_EQ(v.rig.port.take(), (std::vector<std::string>{"box Error Message: Error : verify failed: " +
                                                           (v.rig.workdir / "a.bin").string() +
                                                           " differs at sector 130 !"}));
}

}  // namespace
}  // namespace ib
