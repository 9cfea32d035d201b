// Entry point of imageburner-cli.
#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) { return ib::cli::run(argc, argv, std::cout, std::cerr); }
