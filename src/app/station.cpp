// tallyra-station [SCRIPT [DATA]]: the operator's data station. With both
// arguments it opens the script and the data file at once; with only the
// script the open-data dialog follows; with none the open-script dialog.
#include "shell/desktopmain.h"
#include "station/tappstation.h"

int main(int argc, char** argv) {
    using namespace tallyra::gui;
    return RunDesktopProgram(argc, argv, "Tallyra Station",
                             "Usage: tallyra-station [OPTIONS] [SCRIPT [DATA]]\n"
                             "\n"
                             "Tallyra Station, the operator's data station: keys questionnaires\n"
                             "into DATA under SCRIPT. With only SCRIPT the open-data dialog\n"
                             "follows, with neither the open-script dialog.\n",
                             [] { return std::make_unique<TAppTYStation_Form>(); });
}
