// Operations never overlap: while one runs, a second is refused with a message
// before it copies anything in or sends anything, the SD image (which needs no
// recorder) included. The controls that stay usable during a run change the
// window's values, never the run's. Closing waits for running workers.
#include <gtest/gtest.h>

#include <array>
#include <condition_variable>
#include <mutex>

#include "app/control_table.h"
#include "support/fake_environment.h"
#include "support/scripted_volumes.h"
#include "support/table_controls.h"

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

// Run in a tree built with ThreadSanitizer, this also proves that the window
// and the worker never share a value without a lock.
TEST(OperationExclusion, ControlsUsedDuringARunChangeTheWindowsValuesNotTheRuns) {
    test::ScriptedVolumes volumes;
    auto rig = std::make_unique<test::ControllerRig>(volumes);
    rig->workdir.write("m1.bin", "bootloader");
    rig->workdir.write("m2.bin", "firmware");
    rig->workdir.write("DiskInfo.ini", "[UI_SETTING]\nNumberOfFirmware=2\n[DEFAULT_FW]\nMBR=4\nnumber=2\n"
                                       "file0=m1.bin\nfile1=m2.bin\n[User_Area_Partition]\nPartitionNumber=0\n");
    test::TableControls controls;
    MainDialogLogic window(controls);
    ASSERT_TRUE(window.startUp(*rig->controller, "T"));
    controls.setText(control::BinPath, "pressed.bin");

    // The merge tool, the run's last step, waits until the controls were used.
    std::mutex mutex;
    std::condition_variable changed;
    bool used = false;
    rig->processes.behaviour = [&](const test::RecordingProcesses::Call&) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return used; });
        return 0;
    };
    rig->port.answers = {"chosen-raw.bin", "chosen.bin"};
    window.click(control::CreateSdImage);
    controls.setChecked(control::ConfigureBootArea, true);
    window.click(control::ConfigureBootArea);
    window.click(control::BrowseRawFile);
    window.click(control::BrowseBinFile);
    {
        std::lock_guard lock(mutex);
        used = true;
        changed.notify_all();
    }
    ASSERT_EQ(rig->port.finished(1), (std::vector<test::RecordingPort::Finished>{{Operation::CreateSdImage, 1}}));
    ASSERT_EQ(rig->processes.calls.size(), 1u);
    EXPECT_EQ(rig->processes.calls[0].arguments[1], "pressed.bin");
    const DialogValues values = rig->controller->exchangeToView();
    EXPECT_EQ((std::array{values.rawPath, values.binPath}), (std::array<std::string, 2>{"chosen-raw.bin", "chosen.bin"}));
    EXPECT_EQ(values.configBootArea, 1);
    EXPECT_EQ(controls.text(control::BinPath), "chosen.bin");
}

}  // namespace
}  // namespace ib
