// Every operation that starts ends with the port's operationFinished and its
// result, on the calling thread or a worker; one that throws ends like a
// failure and leaves the controller free for the next.
#include <gtest/gtest.h>

#include <stdexcept>

#include "support/fake_environment.h"
#include "support/scripted_volumes.h"
#include "operation/status_texts.h"

namespace ib {
namespace {

using Finished = test::RecordingPort::Finished;

struct FinishCase {
    const char* name;
    bool onWorker;
    bool recorderPresent;
    std::uint32_t result;
};

class OperationFinished : public ::testing::TestWithParam<FinishCase> {};

TEST_P(OperationFinished, ReportsTheResultOfTheOperation) {
    const FinishCase& c = GetParam();
    test::ScriptedVolumes volumes;
    if (c.recorderPresent) volumes.volumes['D'] = test::recorderVolume(0x01, test::updaterIdentify());
    test::ControllerRig rig{volumes};

    if (c.onWorker)
        rig.controller->launch(Operation::Sync, rig.view);
    else
        EXPECT_EQ(rig.controller->run(Operation::Sync, rig.view), c.result);

    EXPECT_EQ(rig.port.finished(1), (std::vector<Finished>{{Operation::Sync, c.result}}));
}

INSTANTIATE_TEST_SUITE_P(RunAndLaunch, OperationFinished,
                         ::testing::Values(FinishCase{"Launched", true, true, 1},
                                           FinishCase{"LaunchedWithoutRecorder", true, false, 0},
                                           FinishCase{"Run", false, true, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// A recorder whose first open throws, as a broken driver might.
class ThrowingOnce final : public VolumeProvider {
public:
    explicit ThrowingOnce(VolumeProvider& inner) : m_inner(inner) {}
    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot) override {
        if (!m_thrown) {
            m_thrown = true;
            throw std::runtime_error("volume table unreadable");
        }
        return m_inner.openVolume(letter, whyNot);
    }
    std::string volumeName(char letter) const override { return m_inner.volumeName(letter); }

private:
    VolumeProvider& m_inner;
    bool m_thrown = false;
};

TEST(OperationThatThrows, EndsWithAMessageAndResultZeroAndTheNextOperationRuns) {
    test::ScriptedVolumes volumes;
    volumes.volumes['D'] = test::recorderVolume(0x01, test::updaterIdentify());
    ThrowingOnce throwing(volumes);
    test::ControllerRig rig{throwing};

    rig.controller->launch(Operation::Sync, rig.view);
    ASSERT_EQ(rig.port.finished(1), (std::vector<Finished>{{Operation::Sync, 0}}));
    EXPECT_FALSE(rig.controller->busy());
    const auto lines = rig.port.take();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"box Error Message: Error: volume table unreadable",
                                        test::statusLine(text::kRecorderNotFound, 0), "buttons: off"}));

    EXPECT_EQ(rig.controller->run(Operation::Sync, rig.view), 1u);
    EXPECT_EQ(rig.port.finished(2), (std::vector<Finished>{{Operation::Sync, 0}, {Operation::Sync, 1}}));
}

}  // namespace
}  // namespace ib
