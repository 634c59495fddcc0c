// tallyra-station [SCRIPT [DATA]]: the operator's data station. With both
// arguments it opens the script and the data file at once; with only the
// script the open-data dialog follows; with none the open-script dialog.
#include "shell/desktopmain.h"
#include "station/tappstation.h"

int main(int argc, char** argv) {
    using namespace tallyra::gui;
    return RunDesktopProgram(argc, argv, "Tallyra Station",
                             [] { return std::make_unique<TAppTYStation_Form>(); });
}
