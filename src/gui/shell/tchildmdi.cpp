// SPDX-License-Identifier: GPL-3.0-or-later
#include "tchildmdi.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "langui.h"
#include "tappmdi.h"

namespace tallyra::gui {

TChildMDI_Form::TChildMDI_Form(TAppMDI_Form* mainForm) : QWidget(nullptr), Main(mainForm) {
    PostFirstActivation();
}

TChildMDI_Form::~TChildMDI_Form() {
    SendDestroyed();
}

QMdiSubWindow* TChildMDI_Form::SubWindow() const {
    return qobject_cast<QMdiSubWindow*>(parentWidget());
}

QAction* TChildMDI_Form::AddCommand(const char* name) {
    auto* a = new QAction(this);
    a->setObjectName(QString::fromLatin1(name));
    Commands << a;
    return a;
}

void TChildMDI_Form::SendActivated() {
    if (!Main) return;
    SendObject(Main, std::make_unique<TWMVRKChildMDI_Activate>(Commands));
    Activated();
}

void TChildMDI_Form::SendDeactivated() {
    if (Main) SendObject(Main, std::make_unique<TWMVRKChildMDI_Deactivate>());
}

void TChildMDI_Form::SendDestroyed() {
    if (DestroyedSent || !Main) return;
    DestroyedSent = true;
    SendDeactivated();
    SendObject(Main, std::make_unique<TWMVRKChildMDI_Destroyed>(this));
}

void TChildMDI_Form::InitWindowState() {
    QMdiSubWindow* sub = SubWindow();
    if (!sub || !Main) return;
    QMdiSubWindow* active = Main->MdiArea()->currentSubWindow();
    if (!active || active == sub || active->isMaximized())
        sub->showMaximized();
    else
        sub->showNormal();
}

void TChildMDI_Form::ApplyLanguage() {
    ApplyLanguageTo(this);
}

bool TChildMDI_Form::event(QEvent* e) {
    if (DispatchWindowEvent(e)) return true;
    return QWidget::event(e);
}

}  // namespace tallyra::gui
