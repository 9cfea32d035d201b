// main() of a helper tool on POSIX systems: the arguments are taken as they come. See tool_entry.h.
#include <string>
#include <vector>

#include "tools/tool_entry.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return ib::tools::runTool(arguments);
}
