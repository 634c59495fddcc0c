// SPDX-License-Identifier: GPL-3.0-or-later
#include "tappmdi.h"

#include <algorithm>

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

#include "langui.h"
#include "tchildmdi.h"
#include "windowlist.h"

namespace tallyra::gui {

TAppMDI_Form::TAppMDI_Form(QWidget* parent) : TAppGen_Form(parent) {
    Mdi = new QMdiArea(this);
    Mdi->setObjectName("MDI_Area");
    Mdi->setActivationOrder(QMdiArea::CreationOrder);
    setCentralWidget(Mdi);
    connect(Mdi, &QMdiArea::subWindowActivated, this, &TAppMDI_Form::SubWindowActivated);
}

TAppMDI_Form::~TAppMDI_Form() {
    // Children outlive this layer during Qt's teardown; they must not send
    // their farewell messages to a half-destroyed window.
    for (TChildMDI_Form* c : ChildWindows())
        c->DetachMainForm();
}

QList<TChildMDI_Form*> TAppMDI_Form::ChildWindows() const {
    QList<TChildMDI_Form*> list;
    // A closed window waits for its deferred deletion; it no longer counts.
    for (QMdiSubWindow* w : Mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto* c = qobject_cast<TChildMDI_Form*>(w->widget()); c && !w->isHidden()) list << c;
    return list;
}

TChildMDI_Form* TAppMDI_Form::ActiveChild() const {
    QMdiSubWindow* w = Mdi->currentSubWindow();
    return w ? qobject_cast<TChildMDI_Form*>(w->widget()) : nullptr;
}

void TAppMDI_Form::ActivateChild(TChildMDI_Form* child) {
    if (child && child->SubWindow()) {
        if (child->SubWindow()->isMinimized()) child->SubWindow()->showNormal();
        Mdi->setActiveSubWindow(child->SubWindow());
    }
}

void TAppMDI_Form::AddPlaceholder(QAction* placeholder) {
    Placeholders << placeholder;
    placeholder->setEnabled(false);
    connect(placeholder, &QAction::triggered, this, [this, placeholder] {
        QPointer<QAction> target = Bound.value(placeholder);
        if (target) target->trigger();
    });
}

QAction* TAppMDI_Form::BoundCommand(QAction* placeholder) const {
    return Bound.value(placeholder).data();
}

void TAppMDI_Form::BindChildCommands(const QList<QAction*>& commands) {
    auto byName = [](const QAction* a, const QAction* b) {
        return a->objectName().toUtf8() < b->objectName().toUtf8();
    };
    QList<QAction*> ph = Placeholders;
    QList<QAction*> cmd = commands;
    std::stable_sort(ph.begin(), ph.end(), byName);
    std::stable_sort(cmd.begin(), cmd.end(), byName);
    qsizetype i = 0, j = 0;
    while (i < ph.size() && j < cmd.size()) {
        const QByteArray a = ph[i]->objectName().toUtf8(), b = cmd[j]->objectName().toUtf8();
        if (a == b) {
            Bound[ph[i]] = cmd[j];
            ph[i]->setEnabled(cmd[j]->isEnabled());
            ++i;
            ++j;
        } else if (a < b) {
            Bound.remove(ph[i]);
            ph[i]->setEnabled(false);
            ++i;
        } else {
            ++j;
        }
    }
    for (; i < ph.size(); ++i) {
        Bound.remove(ph[i]);
        ph[i]->setEnabled(false);
    }
    if (HelpContents) HelpContents->setShortcut(QKeySequence());
}

void TAppMDI_Form::UnbindChildCommands() {
    for (QAction* p : Placeholders)
        p->setEnabled(false);
    Bound.clear();
    if (HelpContents) HelpContents->setShortcut(QKeySequence(Qt::Key_F1));
}

void TAppMDI_Form::HandleObjectMessage(TWMVRKObject* object) {
    if (auto* a = dynamic_cast<TWMVRKChildMDI_Activate*>(object)) {
        BindChildCommands(a->Commands);
        ActiveChildChanged();
        return;
    }
    if (dynamic_cast<TWMVRKChildMDI_Deactivate*>(object)) {
        UnbindChildCommands();
        ActiveChildChanged();
        return;
    }
    if (auto* d = dynamic_cast<TWMVRKChildMDI_Destroyed*>(object)) {
        if (BoundChild.isNull() || BoundChild.data() == d->Child) BoundChild = nullptr;
        ChildDestroyed(d->Child);
        return;
    }
    TAppGen_Form::HandleObjectMessage(object);
}

void TAppMDI_Form::SubWindowActivated(QMdiSubWindow* window) {
    TChildMDI_Form* child = window ? qobject_cast<TChildMDI_Form*>(window->widget()) : nullptr;
    // A null window while children remain only means the application lost
    // focus; the binding stays.
    if (!child && !ChildWindows().isEmpty()) return;
    if (child == BoundChild.data()) return;
    if (BoundChild) BoundChild->SendDeactivated();
    BoundChild = child;
    if (child) child->SendActivated();
}

QAction* TAppMDI_Form::WindowAction(const char* name) const {
    return Window_Menu ? Window_Menu->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

void TAppMDI_Form::CreateWindowMenu() {
    Window_Menu = menuBar()->addMenu(QString());
    Window_Menu->setObjectName("Window_Menu");
    Tag(Window_Menu, "<EN>&Window<PL>&Okno", "<EN>Window arrangement<PL>Układ okien");
    auto add = [this](const char* name, const char* caption, const char* hint, auto fn) {
        auto* a = new QAction(Window_Menu);
        a->setObjectName(name);
        Tag(a, caption, hint);
        Window_Menu->addAction(a);
        connect(a, &QAction::triggered, this, fn);
        return a;
    };
    add("Cascade_WindowMenu", "<EN>&Cascade<PL>&Kaskada",
        "<EN>Arrange the windows so that they overlap<PL>Układa okna kaskadowo",
        [this] { CascadeChildren(); });
    add("TileH_WindowMenu", "<EN>Tile &horizontally<PL>Ułóż p&oziomo",
        "<EN>Arrange the windows one above the other<PL>Układa okna jedno pod drugim",
        [this] { TileChildren(true); });
    add("TileV_WindowMenu", "<EN>Tile &vertically<PL>Ułóż p&ionowo",
        "<EN>Arrange the windows side by side<PL>Układa okna obok siebie",
        [this] { TileChildren(false); });
    add("Arrange_WindowMenu", "<EN>&Arrange icons<PL>&Rozmieść ikonki",
        "<EN>Arrange the minimised windows<PL>Porządkuje zminimalizowane okna",
        [this] { ArrangeIcons(); });
    add("Previous_WindowMenu", "<EN>&Previous<PL>&Poprzednie",
        "<EN>Activate the previous window<PL>Uaktywnia poprzednie okno",
        [this] { Mdi->activatePreviousSubWindow(); });
    add("Next_WindowMenu", "<EN>&Next<PL>Nas&tępne",
        "<EN>Activate the next window<PL>Uaktywnia następne okno",
        [this] { Mdi->activateNextSubWindow(); });
    add("List_WindowMenu", "<EN>&List<PL>&Lista<*>...",
        "<EN>List of open windows<PL>Lista otwartych okien", [this] { ShowWindowList(); });
    connect(Window_Menu, &QMenu::aboutToShow, this, &TAppMDI_Form::UpdateWindowMenu);
}

void TAppMDI_Form::UpdateWindowMenu() {
    if (!Window_Menu) return;
    int n = 0, m = 0;
    for (QMdiSubWindow* w : Mdi->subWindowList()) {
        if (w->isHidden()) continue;
        ++n;
        if (w->isMinimized()) ++m;
    }
    auto set = [this](const char* name, bool on) {
        if (QAction* a = WindowAction(name)) a->setEnabled(on);
    };
    set("Cascade_WindowMenu", n - m > 0);
    set("TileH_WindowMenu", n - m > 0);
    set("TileV_WindowMenu", n - m > 0);
    set("Arrange_WindowMenu", m > 0);
    set("Previous_WindowMenu", n - m > 1);
    set("Next_WindowMenu", n - m > 1);
    set("List_WindowMenu", n > 0);
}

void TAppMDI_Form::CascadeChildren() {
    Mdi->cascadeSubWindows();
}

void TAppMDI_Form::TileChildren(bool horizontally) {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : Mdi->subWindowList(QMdiArea::CreationOrder))
        if (!w->isMinimized()) shown << w;
    if (shown.isEmpty()) return;
    const QRect area = Mdi->viewport()->rect();
    const int count = int(shown.size());
    for (int i = 0; i < count; ++i) {
        QMdiSubWindow* w = shown[i];
        if (w->isMaximized()) w->showNormal();
        if (horizontally) {
            const int h = area.height() / count;
            w->setGeometry(0, i * h, area.width(), h);
        } else {
            const int wd = area.width() / count;
            w->setGeometry(i * wd, 0, wd, area.height());
        }
    }
}

void TAppMDI_Form::ArrangeIcons() {
    int x = 0;
    const QRect area = Mdi->viewport()->rect();
    for (QMdiSubWindow* w : Mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (!w->isMinimized()) continue;
        const QSize s = w->size();
        w->move(x, area.height() - s.height());
        x += s.width();
    }
}

void TAppMDI_Form::ShowWindowList() {
    TWindowList_Form dialog(this);
    dialog.exec();
}

}  // namespace tallyra::gui
