// A disk that fills up while the SD image is written, after the checks found
// room (a file-size limit stands in): a piece that never lands is not shown.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "operation/status_texts.h"
#include "support/sim_rig.h"

namespace ib {
namespace {

TEST(SdImageFullDisk, APieceThatNeverLandsIsNotShown) {
    test::SimRig s;
    s.write("m1.bin", std::string(65536, 'b'));
    s.write("m2.bin", std::string(131072, 'f'));
    s.write("DiskInfo.ini", "[DEFAULT_FW]\nMBR=4\nnumber=2\nfile0=m1.bin\nfile1=m2.bin\n");
    s.controller->m_mbrSector = 4;
    s.view.firmwareNumber = "2";
    s.view.binPath = "out.bin";
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 1024;  // the bootloader starts at byte 2560
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::uint32_t result = s.run(Operation::CreateSdImage);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(s.seen(), (std::vector<std::string>{"box Error Message: Error : cannot write " +
                                                      (s.workdir() / "m1.bin").string() + " into the image",
                                                  test::statusLine(text::kProcessFailed, 100)}));
}

}  // namespace
}  // namespace ib
