// SPDX-License-Identifier: GPL-3.0-or-later
#include "tformgen.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "langui.h"

namespace tallyra::gui {

void TFormGen_Form::PostFirstActivation() {
    PostObject(Widget(), std::make_unique<TWMVRKFirstActivation>());
}

void TFormGen_Form::HandleObjectMessage(TWMVRKObject* object) {
    if (dynamic_cast<TWMVRKFirstActivation*>(object)) FirstActivation();
}

void TFormGen_Form::CenterOnMainWindow(QWidget* main) {
    if (!main) return;
    QWidget* w = Widget();
    const QRect m = main->frameGeometry();
    w->move(m.left() + (m.width() - w->width()) / 2, m.top() + (m.height() - w->height()) / 3);
}

bool TFormGen_Form::DispatchWindowEvent(QEvent* event) {
    if (event->type() == WindowMessageType(WM_VRKObject)) {
        auto* object = dynamic_cast<TWMVRKObject*>(event);
        if (object && object->WParam == -1) HandleObjectMessage(object);
        return true;
    }
    if (event->type() > QEvent::User && event->type() < QEvent::User + WM_VRKObject) {
        if (auto* m = dynamic_cast<TWindowMessage*>(event)) return HandleWindowMessage(m);
    }
    return false;
}

TDlgGen_Form::TDlgGen_Form(QWidget* parent) : QDialog(parent) {
    auto* outer = new QVBoxLayout(this);
    Content = new QVBoxLayout;
    outer->addLayout(Content, 1);
    auto* buttons = new QDialogButtonBox(this);
    Ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    Cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    Help = buttons->addButton(QString(), QDialogButtonBox::HelpRole);
    Ok->setObjectName("Ok_Button");
    Cancel->setObjectName("Cancel_Button");
    Help->setObjectName("Help_Button");
    Ok->setDefault(true);
    TagText(Ok, "<EN>OK<PL>OK");
    TagText(Cancel, "<EN>Cancel<PL>Anuluj");
    TagText(Help, "<EN>&Help<PL>Pomo&c");
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    PostFirstActivation();
}

void TDlgGen_Form::ApplyLanguage() {
    ApplyLanguageTo(this);
}

bool TDlgGen_Form::event(QEvent* e) {
    if (DispatchWindowEvent(e)) return true;
    return QDialog::event(e);
}

}  // namespace tallyra::gui
