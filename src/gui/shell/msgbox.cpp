// SPDX-License-Identifier: GPL-3.0-or-later
#include "msgbox.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "langui.h"
#include "shell/langtext.h"

namespace tallyra::gui {

namespace {

TMsgHandler& MsgHandler() {
    static TMsgHandler handler;
    return handler;
}

TFileDialogHandler& FileHandler() {
    static TFileDialogHandler handler;
    return handler;
}

int ShowBox(TMsgKind kind, const std::string& text) {
    if (MsgHandler()) return MsgHandler()(kind, text);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(Q(MsgTitle(kind)));
    box.setText(Q(text));
    if (kind == TMsgKind::Confirm) {
        box.setIcon(QMessageBox::Question);
        QPushButton* yes =
            box.addButton(Q(core::LangText("<EN>&Yes<PL>&Tak")), QMessageBox::YesRole);
        QPushButton* no = box.addButton(Q(core::LangText("<EN>&No<PL>&Nie")), QMessageBox::NoRole);
        QPushButton* cancel =
            box.addButton(Q(core::LangText("<EN>Cancel<PL>Anuluj")), QMessageBox::RejectRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == yes) return MsgResultYes;
        if (box.clickedButton() == no) return MsgResultNo;
        return MsgResultCancel;
    }
    if (kind == TMsgKind::YesNo) {
        box.setIcon(QMessageBox::Question);
        QPushButton* yes =
            box.addButton(Q(core::LangText("<EN>&Yes<PL>&Tak")), QMessageBox::YesRole);
        QPushButton* no = box.addButton(Q(core::LangText("<EN>&No<PL>&Nie")), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MsgResultYes : MsgResultNo;
    }
    box.setIcon(kind == TMsgKind::Information ? QMessageBox::Information
                : kind == TMsgKind::Warning   ? QMessageBox::Critical
                                              : QMessageBox::Warning);
    box.addButton(Q(core::LangText("<EN>OK<PL>OK")), QMessageBox::AcceptRole);
    box.exec();
    return MsgResultOk;
}

}  // namespace

std::string MsgTitle(TMsgKind kind) {
    switch (kind) {
        case TMsgKind::Information:
            return core::LangText("<EN>Information<PL>Informacja");
        case TMsgKind::Confirm:
        case TMsgKind::YesNo:
            return core::LangText("<EN>Confirm<PL>Potwierdź");
        case TMsgKind::Warning:
            return core::LangText("<EN>Warning<PL>Ostrzeżenie");
        case TMsgKind::Error:
            return core::LangText("<EN>Error<PL>Błąd");
    }
    return {};
}

int MsgInformation(const std::string& text) {
    return ShowBox(TMsgKind::Information, text);
}
int MsgConfirm(const std::string& text) {
    return ShowBox(TMsgKind::Confirm, text);
}
int MsgWarning(const std::string& text) {
    return ShowBox(TMsgKind::Warning, text);
}
int MsgError(const std::string& text) {
    return ShowBox(TMsgKind::Error, text);
}
int MsgAskYesNo(const std::string& text) {
    return ShowBox(TMsgKind::YesNo, text);
}

void SetMsgHandler(TMsgHandler handler) {
    MsgHandler() = std::move(handler);
}
void SetFileDialogHandler(TFileDialogHandler handler) {
    FileHandler() = std::move(handler);
}

std::string QtFilterOf(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        parts.push_back(
            filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::string out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string name = parts[i];
        // Drop the display name's own "(…)" list: Qt writes the patterns itself.
        const size_t paren = name.rfind(" (");
        if (paren != std::string::npos) name = name.substr(0, paren);
        std::string patterns = parts[i + 1];
        for (char& c : patterns)
            if (c == ';') c = ' ';
        if (!out.empty()) out += ";;";
        out += name + " (" + patterns + ")";
    }
    return out;
}

std::string DataFileFilter() {
    return core::LangText(
        "<EN>Data (*.dat)|*.dat|All files (*.*)|*.*<PL>Dane (*.dat)|*.dat|Wszystkie pliki "
        "(*.*)|*.*");
}

std::vector<std::string> RunFileDialog(QWidget* parent, const TFileDialogRequest& r) {
    if (FileHandler()) return FileHandler()(r);
    QFileDialog dialog(parent, Q(r.Title), Q(r.Folder), Q(QtFilterOf(r.Filter)));
    dialog.setDefaultSuffix(Q(r.DefaultExt));
    // A name typed without extension gets the one of the chosen file type
    // (a type of one plain "*.ext" pattern), so the filter picks the format.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &r](const QString& filter) {
            const qsizetype open = filter.lastIndexOf("(*.");
            const QString ext = open < 0 ? QString() : filter.mid(open + 3).chopped(1);
            const bool plain =
                !ext.isEmpty() && !ext.contains(' ') && !ext.contains('*') && !ext.contains(';');
            dialog.setDefaultSuffix(plain ? ext : Q(r.DefaultExt));
        });
    if (!r.FileName.empty()) dialog.selectFile(Q(r.FileName));
    switch (r.DialogMode) {
        case TFileDialogRequest::Mode::Open:
            dialog.setFileMode(QFileDialog::ExistingFile);
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            break;
        case TFileDialogRequest::Mode::OpenMulti:
            dialog.setFileMode(QFileDialog::ExistingFiles);
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            break;
        case TFileDialogRequest::Mode::Save:
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.ConfirmOverwrite);
            break;
    }
    std::vector<std::string> chosen;
    if (dialog.exec() == QDialog::Accepted)
        for (const QString& f : dialog.selectedFiles())
            chosen.push_back(S(f));
    return chosen;
}

}  // namespace tallyra::gui
