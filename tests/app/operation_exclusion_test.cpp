// Operations never overlap: while one runs, a second is refused with a message
// before it copies anything in or sends anything, the SD image (which needs no
// recorder) included. Closing waits for running workers.
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

TEST(OperationExclusion, ASecondOperationIsRefusedWhileOneRuns) {
    test::ScriptedVolumes volumes;
    volumes.volumes['D'] = test::recorderVolume(0x01, test::updaterIdentify());
    HeldRecorder held(volumes);
    auto rig = std::make_unique<test::ControllerRig>(held);
    CImageBurnerDlg& c = *rig->controller;
    DialogValues view;
    view.storageName = "eMMC";

    c.launch(Operation::Sync, view);
    held.waitUntilEntered();
    EXPECT_TRUE(c.busy());
    DialogValues other = view;
    other.storageName = "SIF";
    other.writeRegAddr = "0x10";
    EXPECT_EQ(c.run(Operation::WriteRegister, other), 0u);
    EXPECT_EQ(c.run(Operation::CreateSdImage, other), 0u);
    EXPECT_TRUE(volumes.sent.empty());
    EXPECT_EQ(c.m_storageName, "eMMC");  // the running operation's settings are untouched
    held.release();
    rig->controller.reset();  // closing waits for the worker

    const auto lines = rig->port.lines();
    auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "box Error Message: Another operation is running. Wait until it has finished."),
              2);
    EXPECT_TRUE(has("step: Device Sync. success !!"));
}

}  // namespace
}  // namespace ib
