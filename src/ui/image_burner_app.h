// The window application: reads the two options of our own (--sim DIR, the
// simulated recorder's state folder; --workdir DIR, the working folder,
// default as working_folder.h says), assembles the application session on the
// dialog's port, shows the main dialog as its main window and ends when it closes.
#pragma once

namespace ib::ui {

class CImageBurnerApp {
public:
    // Runs the program; the exit status.
    int run(int argc, char** argv);
};

}  // namespace ib::ui
