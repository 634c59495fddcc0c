// SPDX-License-Identifier: GPL-3.0-or-later
// tallyra-studio: creates the script editor main window, opens the files
// named on the command line and runs the event loop until it closes.
#include "shell/desktopmain.h"
#include "studio/tappmain.h"

int main(int argc, char** argv) {
    using namespace tallyra::gui;
    return RunDesktopProgram(argc, argv, "Tallyra Studio",
                             "Usage: tallyra-studio [OPTIONS] [FILE...]\n"
                             "\n"
                             "Tallyra Studio, the workbench for data-entry scripts: opens every\n"
                             "script or other file named.\n",
                             [] { return std::make_unique<TAppMain_Form>(); });
}
