// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowlist.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "langui.h"
#include "tappmdi.h"
#include "tchildmdi.h"

namespace tallyra::gui {

TWindowList_Form::TWindowList_Form(TAppMDI_Form* mainForm)
    : TDlgGen_Form(mainForm), Main(mainForm) {
    setObjectName("WindowList_Form");
    TagTitle(this, "<EN>List of open windows<PL>Lista otwartych okien");
    Rows = new QTreeWidget(this);
    Rows->setColumnCount(2);
    Rows->setRootIsDecorated(false);
    Rows->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Rows->header()->setStretchLastSection(false);
    Rows->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto* row = new QHBoxLayout;
    row->addWidget(Rows, 1);
    auto* buttons = new QVBoxLayout;
    auto add = [&](const char* name, const char* caption, auto fn) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        TagText(b, caption);
        buttons->addWidget(b);
        connect(b, &QPushButton::clicked, this, fn);
    };
    add("Activate_Button", "<EN>&Activate<PL>&Uaktywnij", [this] {
        const auto c = Chosen();
        if (!c.isEmpty()) Main->ActivateChild(c.front());
        accept();
    });
    add("Save_Button", "<EN>&Save<PL>&Zapisz", [this] {
        for (TChildMDI_Form* c : Chosen())
            c->Save();
        Fill();
    });
    add("SaveAs_Button", "<EN>Save a&s...<PL>Zapisz &jako...", [this] {
        for (TChildMDI_Form* c : Chosen())
            c->SaveAs();
        Fill();
    });
    add("SaveAll_Button", "<EN>Save a&ll<PL>Zapisz &wszystkie", [this] {
        for (TChildMDI_Form* c : Main->ChildWindows()) {
            c->Save();
            if (c->IsModified()) break;
        }
        Fill();
    });
    add("Close_Button", "<EN>&Close<PL>Za&mknij", [this] {
        for (TChildMDI_Form* c : Chosen()) {
            QMdiSubWindow* frame = c->SubWindow();
            if (frame && !frame->close()) break;
        }
        Fill();
    });
    buttons->addStretch(1);
    row->addLayout(buttons);
    ContentLayout()->addLayout(row);
    CancelButton()->hide();
    HelpButton()->hide();
    resize(520, 300);
    Fill();
}

void TWindowList_Form::Fill() {
    Rows->clear();
    Rows->setHeaderLabels({LT("<EN>window<PL>okno"), LT("<EN>status<PL>stan")});
    const auto children = Main->ChildWindows();
    if (children.isEmpty()) {
        auto* item = new QTreeWidgetItem(
            Rows, {LT("<EN>[no windows open]<PL>[nie ma otwartych okien]"), QString()});
        item->setFlags(Qt::NoItemFlags);
        return;
    }
    for (TChildMDI_Form* c : children) {
        auto* item = new QTreeWidgetItem(
            Rows, {c->windowTitle(), c->IsModified() ? LT("<EN>modified<PL>zmienione")
                                                     : LT("<EN>saved<PL>zapisane")});
        item->setData(0, Qt::UserRole, QVariant::fromValue<QObject*>(c));
        if (c == Main->ActiveChild()) Rows->setCurrentItem(item);
    }
}

QList<TChildMDI_Form*> TWindowList_Form::Chosen() const {
    QList<TChildMDI_Form*> list;
    for (QTreeWidgetItem* item : Rows->selectedItems())
        if (auto* c = qobject_cast<TChildMDI_Form*>(item->data(0, Qt::UserRole).value<QObject*>()))
            list << c;
    return list;
}

}  // namespace tallyra::gui
