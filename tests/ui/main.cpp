// Runs the window's QTest classes; with a class name as the first argument,
// that class only (further arguments go to QTest).
#include <QApplication>
#include <QTest>
#include <cstring>

#include "ui_tests.h"

namespace ib::test {

std::vector<UiTestFactory>& uiTestFactories() {
    static std::vector<UiTestFactory> factories;
    return factories;
}

}  // namespace ib::test

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    std::vector<char*> qtestArguments{argv[0]};
    for (int i = only ? 2 : 1; i < argc; ++i) qtestArguments.push_back(argv[i]);
    int failures = 0;
    bool ran = false;
    for (const auto& make : ib::test::uiTestFactories()) {
        const std::unique_ptr<QObject> tests = make();
        if (only && std::strcmp(tests->metaObject()->className(), only) != 0) continue;
        ran = true;
        failures += QTest::qExec(tests.get(), static_cast<int>(qtestArguments.size()), qtestArguments.data());
    }
    return ran ? failures : 1;
}
