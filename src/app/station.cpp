// SPDX-License-Identifier: GPL-3.0-or-later
// tallyra-station [SCRIPT [DATA]]: the operator's data station. With both
// arguments it opens the script and the data file at once; with only the
// script the open-data dialog follows; with none the open-script dialog.
// tallyra-station --verify FIRST SCRIPT SECOND keys SECOND in verify mode
// against the first keying FIRST.
#include "shell/desktopmain.h"
#include "station/tappstation.h"

int main(int argc, char** argv) {
    using namespace tallyra::gui;
    return RunDesktopProgram(argc, argv, "Tallyra Station",
                             "Usage: tallyra-station [OPTIONS] [SCRIPT [DATA]]\n"
                             "       tallyra-station --verify FIRST.dat SCRIPT SECOND.dat\n"
                             "\n"
                             "Tallyra Station, the operator's data station: keys questionnaires\n"
                             "into DATA under SCRIPT. With only SCRIPT the open-data dialog\n"
                             "follows, with neither the open-script dialog. --verify keys\n"
                             "SECOND.dat again against the first keying FIRST.dat: every value\n"
                             "that differs from it is asked for again.\n",
                             [] { return std::make_unique<TAppTYStation_Form>(); });
}
