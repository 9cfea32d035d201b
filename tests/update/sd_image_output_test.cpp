// The SD image's output path: a FIFO, a folder or a device node in its place
// is refused before the intermediate image is written, so the merge tool never
// renames a plain file over it; a regular file there is replaced as usual.
#include <gtest/gtest.h>

#include "support/fifo_sentinel.h"
#include "support/sim_rig.h"

namespace ib {
namespace {

namespace fs = std::filesystem;

class SdImageOutput : public ::testing::Test {
protected:
    SdImageOutput() {
        s.write("m1.bin", "bootloader");
        s.write("m2.bin", "firmware");
        s.write("DiskInfo.ini", "[DEFAULT_FW]\nMBR=4\nnumber=2\nfile0=m1.bin\nfile1=m2.bin\n"
                                "[User_Area_Partition]\nPartitionNumber=0\n");
        s.controller->m_mbrSector = 4;
        s.view.firmwareNumber = "2";
    }
    bool intermediateExists() const { return fs::exists(s.workdir() / "SD_RoadVTemp.bin"); }

    test::SimRig s;
};

TEST_F(SdImageOutput, AnOutputThatIsNotARegularFileIsRefusedBeforeAnythingIsWritten) {
    const fs::path fifo = s.workdir() / "pipe";
    const test::FifoSentinel pipe(fifo);
    fs::create_symlink(fifo, s.workdir() / "link to pipe");
    fs::create_directory(s.workdir() / "folder");
    // A relative output is the working folder's: the merge tool runs there.
    const std::string outputs[] = {"pipe", "link to pipe", (s.workdir() / "folder").string()};
    for (const std::string& output : outputs) {
        SCOPED_TRACE(output);
        s.view.binPath = output;
        EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
        const std::string refusal = "box Error Message: Error : " + (s.workdir() / output).string() +
                                    " exists and is not a regular file: choose another SD image file !";
        EXPECT_EQ(s.seen(), std::vector<std::string>{refusal});
        EXPECT_FALSE(intermediateExists());
    }
    EXPECT_TRUE(s.rig->processes.calls.empty());
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(fifo)));
}

TEST_F(SdImageOutput, AnExistingRegularFileIsReplacedByTheMerge) {
    s.write("out.bin", "older image");
    s.view.binPath = "out.bin";
    EXPECT_EQ(s.run(Operation::CreateSdImage), 1u);
    ASSERT_EQ(s.rig->processes.calls.size(), 1u);
    EXPECT_EQ(s.rig->processes.calls[0].arguments[1], "out.bin");
}

}  // namespace
}  // namespace ib
