// Entry point of imageburner, the window.
#include "ui/image_burner_app.h"

int main(int argc, char** argv) { return ib::ui::CImageBurnerApp().run(argc, argv); }
