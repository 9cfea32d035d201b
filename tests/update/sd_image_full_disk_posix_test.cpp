// A disk that fills up while the SD image is written, after the checks that
// found room: a piece that never lands is not shown as progress.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "operation/status_texts.h"
#include "support/sim_rig.h"

namespace ib {
namespace {

// While it lives, no file of this process grows past `bytes`: the free space
// the checks saw is gone by the time of the write.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_set = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool set() const { return m_set; }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int);
    bool m_set = false;
};

TEST(SdImageFullDisk, APieceThatNeverLandsIsNotShown) {
    test::SimRig s;
    s.write("m1.bin", std::string(65536, 'b'));
    s.write("m2.bin", std::string(131072, 'f'));
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nMBR=4\nnumber=2\nfile0=m1.bin\nfile1=m2.bin\n"
                            "[User_Area_Partition]\nPartitionNumber=0\n");
    s.controller->m_mbrSector = 4;
    s.view.firmwareNumber = "2";
    s.view.binPath = "out.bin";
    std::vector<std::string> seen;
    {
        FileSizeLimit limit(1024);  // the bootloader starts at byte 2560
        ASSERT_TRUE(limit.set());
        EXPECT_EQ(s.run(Operation::CreateSdImage), 0u);
        seen = s.seen();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "box Error Message: Error : cannot write " + (s.workdir() / "m1.bin").string() +
                            " into the image",
                        test::statusLine(text::kProcessFailed, 100)}));
}

}  // namespace
}  // namespace ib
