#include "modalrun.h"

#include <QDialog>

namespace tallyra::gui {

namespace {

TModalHandler& Handler() {
    static TModalHandler handler;
    return handler;
}

}  // namespace

int RunModal(QDialog* dialog) {
    if (Handler()) {
        dialog->setResult(QDialog::Rejected);
        dialog->show();
        Handler()(dialog);
        const int result = dialog->result();
        dialog->hide();
        return result;
    }
    return dialog->exec();
}

void SetModalHandler(TModalHandler handler) {
    Handler() = std::move(handler);
}

}  // namespace tallyra::gui
