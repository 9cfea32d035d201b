// The window's port: a worker's calls reach the target on the dialog's thread,
// only when that thread handles its messages, in the order made; a chooser's
// answer goes back to the worker; a call already on the dialog's thread runs
// at once; a lost wake-up (a full message queue) delays calls but loses
// none; a call dropped with the window answers nothing.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "support/recording_port.h"
#include "win32/dialog_thread.h"
#include "win32/window_port.h"

namespace ib::win32 {
namespace {

LRESULT CALLBACK runPostedCalls(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kPostedCallMessage) {
        reinterpret_cast<const DialogThread*>(::GetWindowLongPtrW(window, GWLP_USERDATA))->runQueued();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window standing in for the dialog, on the test's thread.
class StandInDialog {
public:
    StandInDialog() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = runPostedCalls;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"imageburner.test.stand-in-dialog";
        ::RegisterClassExW(&windowClass);
        m_window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&thread));
        thread.attach(m_window);
    }
    ~StandInDialog() { ::DestroyWindow(m_window); }

    HWND window() const { return m_window; }
    // Handles the queued messages until `done`.
    void handleMessagesUntil(const std::atomic<bool>& done) const {
        MSG message;
        while (!done) {
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
            std::this_thread::yield();
        }
    }
    void waitForAQueuedCall() const {
        MSG message;
        while (!::PeekMessageW(&message, m_window, kPostedCallMessage, kPostedCallMessage, PM_NOREMOVE))
            std::this_thread::yield();
    }

    DialogThread thread;

private:
    HWND m_window = nullptr;
};

TEST(WindowPort, AWorkersCallsRunWhenTheDialogHandlesItsMessagesInTheirOrderAndTheChoosersAnswerReturns) {
    StandInDialog dialog;
    test::RecordingPort target;
    target.answers.push_back("C:\\chosen.bin");
    WindowPort port(target, dialog.thread);
    std::atomic<bool> posted = false;
    std::atomic<bool> done = false;
    std::optional<std::string> chosen;
    std::thread worker([&] {
        port.renderStatus({"first", 10});
        port.showStepMessage("second");
        posted = true;
        chosen = port.chooseFile({});
        port.setOperationButtonsEnabled(false);
        done = true;
    });
    while (!posted) std::this_thread::yield();
    EXPECT_TRUE(target.lines().empty()) << "ran on the worker";
    dialog.handleMessagesUntil(done);
    worker.join();
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    EXPECT_EQ(chosen, "C:\\chosen.bin");
    const std::vector<std::string> expected = {test::statusLine("first", 10), "step: second", "choose open: ",
                                               "buttons: off"};
    EXPECT_EQ(target.lines(), expected);
}

TEST(WindowPort, AWorkersStatusReportsArePaintedAsTheirLatestAtTheDialogsPeriodicCallOrBeforeItsNextCall) {
    StandInDialog dialog;
    test::RecordingPort target;
    WindowPort port(target, dialog.thread);
    std::atomic<bool> done = false;
    std::thread worker([&] {
        port.renderStatus({"a", 1});
        port.renderStatus({"a", 2});
        port.showStepMessage("step");
        port.renderStatus({"b", 3});
        port.renderStatus({"b", 4});
        for (std::uint64_t bytes = 1; bytes <= 3; ++bytes) port.transferProgress(bytes, 3);
        done = true;
    });
    worker.join();
    dialog.handleMessagesUntil(done);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    EXPECT_EQ(target.take(), (std::vector<std::string>{"passed over: " + test::statusLine("a", 1),
                                                        test::statusLine("a", 2), "step: step"}));
    EXPECT_EQ(target.lastTransferDone, 0u);
    dialog.thread.runPeriodic();
    EXPECT_EQ(target.take(), (std::vector<std::string>{"passed over: " + test::statusLine("b", 3),
                                                        test::statusLine("b", 4)}));
    EXPECT_EQ(target.lastTransferDone, 3u);
}

// A full message queue refuses the messages that wake the dialog: here they
// are taken out unhandled, as if never queued; the dialog's timer, which
// needs no room in the queue, still runs every call.
TEST(WindowPort, AWorkersCallsAndTheEndOfItsOperationRunInOrderWhenTheirWakeUpsAreLost) {
    StandInDialog dialog;
    test::RecordingPort target;
    WindowPort port(target, dialog.thread);
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) port.showStepMessage(std::to_string(i));
        port.operationFinished(Operation::FullUpdate, 1);
    });
    worker.join();
    MSG message;
    while (::PeekMessageW(&message, dialog.window(), kPostedCallMessage, kPostedCallMessage, PM_REMOVE)) {
    }
    EXPECT_TRUE(target.lines().empty());
    dialog.thread.runPeriodic();
    EXPECT_EQ(target.lines(), (std::vector<std::string>{"step: 0", "step: 1", "step: 2"}));
    EXPECT_EQ(target.finished(1), (std::vector<test::RecordingPort::Finished>{{Operation::FullUpdate, 1}}));
}

TEST(WindowPort, ACallOnTheDialogsThreadRunsAtOnce) {
    StandInDialog dialog;
    test::RecordingPort target;
    WindowPort port(target, dialog.thread);
    port.showStepMessage("now");
    EXPECT_EQ(target.lines(), std::vector<std::string>{"step: now"});
}

TEST(WindowPort, AChooserDroppedWithTheWindowOrAskedWithoutOneAnswersNothing) {
    StandInDialog dialog;
    test::RecordingPort target;
    target.answers = {"C:\\a.bin", "C:\\b.bin"};
    WindowPort port(target, dialog.thread);
    std::optional<std::string> dropped = "unanswered";
    std::thread worker([&] { dropped = port.chooseFile({}); });
    dialog.waitForAQueuedCall();
    dialog.thread.attach(nullptr);  // the window is being destroyed
    worker.join();
    EXPECT_EQ(dropped, std::nullopt);

    std::optional<std::string> unposted = "unanswered";
    std::thread late([&] { unposted = port.chooseFile({}); });
    late.join();
    EXPECT_EQ(unposted, std::nullopt);
    EXPECT_TRUE(target.choosers.empty());
}

}  // namespace
}  // namespace ib::win32
