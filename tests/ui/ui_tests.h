// The window's QTest classes, run by one program; each test file registers
// its class with a static RegisterUiTest<Class>.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace ib::test {

using UiTestFactory = std::function<std::unique_ptr<QObject>()>;

std::vector<UiTestFactory>& uiTestFactories();

template <typename TestClass>
struct RegisterUiTest {
    RegisterUiTest() { uiTestFactories().push_back([] { return std::make_unique<TestClass>(); }); }
};

}  // namespace ib::test
