// SPDX-License-Identifier: GPL-3.0-or-later
#include "prefedit.h"

#include <QFontDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/langui.h"
#include "tappedit.h"

namespace tallyra::gui {

TPrefEdit_Form::TPrefEdit_Form(TAppEdit_Form* mainForm)
    : TPrefGen_Form(mainForm), EditMain(mainForm) {
    auto* page = new QWidget;
    page->setObjectName("Fonts_Page");
    auto* layout = new QVBoxLayout(page);
    auto group = [&](const char* title, const TFontSpec& spec, bool mono, const char* name) {
        auto* box = new QGroupBox(page);
        TagText(box, title);
        auto* row = new QHBoxLayout(box);
        auto* sample = new QLabel(box);
        sample->setObjectName(name);
        TagText(sample, "<EN>Example<PL>Przykład");
        sample->setFont(ToQFont(spec, mono));
        sample->setFrameShape(QFrame::StyledPanel);
        sample->setMinimumHeight(48);
        sample->setAlignment(Qt::AlignCenter);
        row->addWidget(sample, 1);
        auto* change = new QPushButton(box);
        TagText(change, "<EN>Cha&nge...<PL>&Zmień...");
        row->addWidget(change);
        connect(change, &QPushButton::clicked, this, [this, sample] {
            bool ok = false;
            const QFont f = QFontDialog::getFont(&ok, sample->font(), this);
            if (ok) sample->setFont(f);
        });
        layout->addWidget(box);
        return sample;
    };
    EditSample =
        group("<EN>Edit font<PL>Czcionka edytora", mainForm->EditFont, true, "EditFont_Example");
    InfoSample = group("<EN>Info font<PL>Czcionka informacji", mainForm->InfoFont, false,
                       "InfoFont_Example");
    layout->addStretch(1);
    Pages()->addTab(page, QString());
    TagTab(page, "<EN>Fonts<PL>Czcionki");
}

void TPrefEdit_Form::AcceptPrefs() {
    // The stored character set stays; Qt fonts carry no character set.
    const TFontSpec info = FromQFont(InfoSample->font(), EditMain->InfoFont.CharSet);
    if (!(info.Name == S(ToQFont(EditMain->InfoFont, false).families().front()) &&
          info.Size == EditMain->InfoFont.Size))
        EditMain->InfoFont = info;
    TPrefGen_Form::AcceptPrefs();
    const TFontSpec edit = FromQFont(EditSample->font(), EditMain->EditFont.CharSet);
    if (!(edit.Name == S(ToQFont(EditMain->EditFont, true).families().front()) &&
          edit.Size == EditMain->EditFont.Size))
        EditMain->EditFont = edit;
    EditMain->BroadcastFontsChanged();
}

}  // namespace tallyra::gui
