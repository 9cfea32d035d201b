// A process runner that first tells the user which helper tool it runs, as a
// step message (the window's service log, a line on the command line): the
// program may run with administrator rights, so a tool taken from the working
// folder instead of the installation must not go unnoticed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/user_interface_port.h"
#include "seams/process_runner.h"
#include "seams/utf8_path.h"

namespace ib::app {

// "Running <tool>", with a note when the tool is the working folder's own copy.
inline std::string toolRunMessage(const std::filesystem::path& program, const std::filesystem::path& workingDirectory) {
    const bool fromWorkingFolder =
        program.lexically_normal().parent_path().lexically_relative(workingDirectory.lexically_normal()) == ".";
    return "Running " + utf8FromPath(program) +
           (fromWorkingFolder ? " (from the working folder: no installed copy found)" : "");
}

class ReportedToolRuns final : public ProcessRunner {
public:
    ReportedToolRuns(ProcessRunner& runner, UserInterfacePort& port) : m_runner(runner), m_port(port) {}

    int run(const std::filesystem::path& program, const std::vector<std::string>& arguments,
            const std::filesystem::path& workingDirectory) override {
        m_port.showStepMessage(toolRunMessage(program, workingDirectory));
        return m_runner.run(program, arguments, workingDirectory);
    }

private:
    ProcessRunner& m_runner;
    UserInterfacePort& m_port;
};

}  // namespace ib::app
