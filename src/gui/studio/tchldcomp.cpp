// SPDX-License-Identifier: GPL-3.0-or-later
#include "tchldcomp.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QVBoxLayout>
#include <Qsci/qsciscintilla.h>

#include "editor/messageshift.h"
#include "script/tpxdictionary.h"
#include "shell/errors.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"
#include "shell/objectmessages.h"
#include "tappedit.h"

namespace tallyra::gui {

namespace {

constexpr const char* PopupNames[] = {"Check_ScriptMenu", "PrevError_ScriptMenu",
                                      "NextError_ScriptMenu"};

}  // namespace

TChldComp_Form::TChldComp_Form(TAppEdit_Form* mainForm) : TChldEdit_Form(mainForm) {
    // The editor moves from the window's layout into the upper pane.
    auto* box = static_cast<QVBoxLayout*>(layout());
    box->removeWidget(Editor());
    Split = new QSplitter(Qt::Vertical, this);
    Split->setObjectName("Splitter");
    Split->addWidget(Editor());
    Info = new QListWidget(Split);
    Info->setObjectName("InfoBox");
    Info->setSelectionMode(QAbstractItemView::SingleSelection);
    Split->addWidget(Info);
    Split->setStretchFactor(0, 4);
    Split->setStretchFactor(1, 1);
    Split->setChildrenCollapsible(false);
    box->addWidget(Split);
    connect(Info, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { SelectMessage(Info->row(item) - 1); });
    connect(Info, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { GotoMessage(Info->row(item) - 1); });

    // Check, Previous error and Next error head the popup menu.
    QAction* first = Popup_Menu->actions().value(0);
    for (const char* n : PopupNames) {
        auto* a = new QAction(Popup_Menu);
        a->setObjectName(QString::fromLatin1(n).replace("_ScriptMenu", "_Popup"));
        a->setProperty("tallyraTwin", QString::fromLatin1(n));
        Popup_Menu->insertAction(first, a);
        connect(a, &QAction::triggered, this, [this, n] {
            if (QAction* twin = ScriptTwin(n)) twin->trigger();
        });
    }
    Popup_Menu->insertSeparator(first);

    Checked = false;
    ApplyInfoFont();
    Info->addItem(LT(core::TextNotChecked));
}

TChldComp_Form::~TChldComp_Form() = default;

void TChldComp_Form::ApplyInfoFont() {
    if (TAppEdit_Form* m = EditMain()) Info->setFont(ToQFont(m->InfoFont, false));
}

void TChldComp_Form::ShiftMessages(int32_t position, int32_t delta) {
    if (Messages) core::ShiftMessagePositions(*Messages, position, delta);
}

void TChldComp_Form::CheckScript() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Checked = true;
    Info->clear();
    Info->addItem(LT(core::TextChecking));
    Info->repaint();
    Messages->Clear();
    try {
        CompileScript();
    } catch (const core::EGeneric& e) {
        // The text cannot be read as a script (characters outside the code
        // page): nothing was checked.
        QApplication::restoreOverrideCursor();
        Checked = false;
        ShowMessages();
        MsgError(e.what());
        UpdateMain();
        return;
    }
    Messages->Sort();
    ShowMessages();
    Current = 0;
    UpdateMain();
    QApplication::restoreOverrideCursor();
}

void TChldComp_Form::ShowMessages() {
    Info->clear();
    if (!Checked) {
        Info->addItem(LT(core::TextNotChecked));
        return;
    }
    const int32_t count = Messages->Count();
    int32_t firstError = -1;
    for (int32_t i = 0; i < count; ++i)
        if (firstError < 0 && Messages->Get(i)->Kind == core::mkError) firstError = i;
    Info->addItem(Q(core::CheckSummary(*Messages)));
    for (int32_t i = 0; i < count; ++i)
        Info->addItem(Q("  " + Messages->FormatItem(i)));
    if (firstError >= 0) {
        std::string text;
        try {
            text = TextBytes();
        } catch (const core::EGeneric&) {
            return;
        }
        const core::TCaret c = core::OffsetToCaret(text, Messages->Get(firstError)->Position - 1);
        SetCaret({c.Column, c.Line});
        SelectInfoLine(firstError + 1);
    }
}

void TChldComp_Form::SelectInfoLine(int line) {
    if (line >= 0 && line < Info->count()) Info->setCurrentRow(line);
}

void TChldComp_Form::SelectMessage(int32_t k) {
    const int32_t count = Messages->Count();
    if (count == 0) return;
    k = std::clamp(k, 0, count - 1);
    Current = k;
    UpdateMain();
    std::string text;
    try {
        text = TextBytes();
    } catch (const core::EGeneric& e) {
        MsgError(e.what());
        return;
    }
    const core::TCaret c = core::OffsetToCaret(text, Messages->Get(k)->Position - 1);
    SetCaret({c.Column, c.Line});
    Editor()->ensureCursorVisible();
    SelectInfoLine(k + 1);
}

void TChldComp_Form::GotoMessage(int32_t k) {
    SelectMessage(k);
    Editor()->setFocus();
}

bool TChldComp_Form::MessageListVisible() const {
    return !Info->isHidden();
}

void TChldComp_Form::SetMessageListVisible(bool visible) {
    Info->setVisible(visible);
}

void TChldComp_Form::CopyPopupEntries() {
    for (QAction* a : Popup_Menu->actions()) {
        const QString twinName = a->property("tallyraTwin").toString();
        if (twinName.isEmpty()) continue;
        if (QAction* twin = ScriptTwin(twinName.toLatin1().constData())) {
            a->setText(twin->text());
            a->setStatusTip(twin->statusTip());
            a->setShortcut(twin->shortcut());
            a->setVisible(twin->isVisible());
            a->setEnabled(twin->isEnabled());
        }
    }
}

void TChldComp_Form::ApplyLanguage() {
    TChldEdit_Form::ApplyLanguage();
    CopyPopupEntries();
}

void TChldComp_Form::RefreshPopup() {
    TChldEdit_Form::RefreshPopup();
    UpdateMain();
    CopyPopupEntries();
}

bool TChldComp_Form::HandleWindowMessage(TWindowMessage* m) {
    if (m->Message == WM_LanguageChanged) {
        const int row = Info->currentRow();
        const TCaret caret = Caret();
        TChldEdit_Form::HandleWindowMessage(m);
        ShowMessages();
        // The new language changes only the texts: the caret and the chosen
        // line stay where the user left them.
        SetCaret(caret);
        SelectInfoLine(row);
        return true;
    }
    if (m->Message == WM_FontsChanged) {
        TChldEdit_Form::HandleWindowMessage(m);
        ApplyInfoFont();
        return true;
    }
    return TChldEdit_Form::HandleWindowMessage(m);
}

}  // namespace tallyra::gui
