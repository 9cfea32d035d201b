// Device operations never interleave on the recorder: while one runs, a
// second is refused with a message and sends nothing; building an SD image
// touches no device and runs beside it. Closing waits for running workers.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "support/fake_environment.h"
#include "support/scripted_volumes.h"

namespace ib {
namespace {

// A recorder whose first open waits until the test lets it go on.
class HeldRecorder final : public VolumeProvider {
public:
    explicit HeldRecorder(test::ScriptedVolumes& inner) : m_inner(inner) {}
    std::unique_ptr<VolumeHandle> openVolume(char letter, std::string* whyNot) override {
        std::unique_lock lock(m_mutex);
        if (letter == 'D' && !m_entered) {
            m_entered = true;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_released; });
        }
        return m_inner.openVolume(letter, whyNot);
    }
    std::string volumeName(char letter) const override { return m_inner.volumeName(letter); }
    void waitUntilEntered() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_entered; });
    }
    void release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }

private:
    test::ScriptedVolumes& m_inner;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_entered = false, m_released = false;
};

TEST(OperationExclusion, ASecondDeviceOperationIsRefusedWhileOneRuns) {
    test::ScriptedVolumes volumes;
    volumes.volumes['D'] = test::recorderVolume(0x01, test::updaterIdentify());
    HeldRecorder held(volumes);
    auto rig = std::make_unique<test::ControllerRig>(held);
    CImageBurnerDlg& c = *rig->controller;
    DialogValues view;
    view.storageName = "eMMC";

    c.launch(Operation::Sync, view);
    held.waitUntilEntered();
    EXPECT_TRUE(c.deviceBusy());
    EXPECT_EQ(c.run(Operation::WriteRegister, view), 0u);
    EXPECT_TRUE(volumes.sent.empty());
    // The SD image needs no recorder and is not refused (it asks for its output file).
    view.binPath = "";
    EXPECT_EQ(c.run(Operation::CreateSdImage, view), 0u);
    held.release();
    rig->controller.reset();  // closing waits for the worker

    const auto lines = rig->port.lines();
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("box Error Message: Another operation is using the recorder. Wait until it has finished."));
    EXPECT_TRUE(has("choose save: "));
    EXPECT_TRUE(has("step: Device Sync. success !!"));
}

}  // namespace
}  // namespace ib
