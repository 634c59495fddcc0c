// SPDX-License-Identifier: GPL-3.0-or-later
#include "langprefs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <Qsci/qsciscintilla.h>

#include "editor/editoroptions.h"
#include "editor/scriptprefs.h"
#include "script/keywords.h"
#include "script/tpxmessage.h"
#include "shell/cp1250.h"
#include "shell/format.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/msgbox.h"
#include "tappmain.h"
#include "tpxlexer.h"

namespace tallyra::gui {

namespace {

using core::KeywordsLower;
using core::KeywordsUpper;

// The sixteen colours of the colour grid (0x00BBGGRR).
constexpr uint32_t GridColors[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                     0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                     0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

QComboBox* ColorCombo(QWidget* parent, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    for (uint32_t bgr : GridColors) {
        QPixmap swatch(16, 16);
        swatch.fill(ColorOf(bgr));
        c->addItem(QIcon(swatch), QString("#%1").arg(ColorOf(bgr).name().mid(1).toUpper()),
                   QVariant::fromValue(bgr));
    }
    return c;
}

// Selects the grid entry of a colour, adding it when it is not one of the
// sixteen (a stored colour is kept as it is).
void SelectColor(QComboBox* c, uint32_t bgr) {
    int i = c->findData(QVariant::fromValue(bgr));
    if (i < 0) {
        QPixmap swatch(16, 16);
        swatch.fill(ColorOf(bgr));
        c->addItem(QIcon(swatch), ColorOf(bgr).name(), QVariant::fromValue(bgr));
        i = c->count() - 1;
    }
    c->setCurrentIndex(i);
}

QRadioButton* Radio(QWidget* parent, const char* name, const char* caption) {
    auto* r = new QRadioButton(parent);
    r->setObjectName(name);
    TagText(r, caption);
    return r;
}

QStringList PreviewLines() {
    auto k = [](core::TKeyword w) { return KeywordsLower[w]; };
    using namespace core;
    const std::vector<std::string> lines = {
        "{  podświetlanie składni  }",
        Format("%s='Kuchnie'*", k(kwComment)),
        Format("%s=''*", k(kwComment)),
        Format("%s='N1 Numerator' %s=4 %s=[1:1000] %s=9998 %s*", k(kwLeft), k(kwWidth), k(kwRange),
               k(kwAuto), k(kwRecId)),
        Format("%s=''*", k(kwComment)),
        Format("%s='Symbol' %s=6 %s %s='D27/00' %s*", k(kwLeft), k(kwWidth), k(kwText), k(kwAuto),
               k(kwConst)),
        Format("%s=''*", k(kwComment)),
        Format("%s='R1 Respondent' %s=5 %s=[1:99998] %s=99998*", k(kwLeft), k(kwWidth), k(kwRange),
               k(kwAuto)),
        Format("%s=''*", k(kwComment)),
        Format("%s*", k(kwPage)),
        Format("%s='A5_7 nie wiem' %s=1 %s=[0,1] %s=0 %s=[1][a5x1:a5x6t]*", k(kwLeft), k(kwWidth),
               k(kwRange), k(kwAuto), k(kwWhen)),
        Format("%s=''*", k(kwComment)),
        Format("%s='A5_1 gladkie' %s=[0,1] %s=a5x1*", k(kwLeft), k(kwRange), k(kwLabel)),
        Format("%s='A5_2 o zaokraglonych krawedziach' %s=[0,2]*", k(kwLeft), k(kwRange)),
        Format("%s='A5_3 w ramie' %s=[0,3]*", k(kwLeft), k(kwRange)),
        Format("%s='A5_4 z rowkami' %s=[0,4]*", k(kwLeft), k(kwRange)),
        Format("%s='A5_5 rzezbione' %s=[0,5]*", k(kwLeft), k(kwRange)),
        Format("%s='A5_6 inna' %s=[0,6] %s=[0][a5x6t]*", k(kwLeft), k(kwRange), k(kwWhen)),
        Format("%s='A5_6t jakie' %s %s=40 %s='\\ ' %s=a5x6t*", k(kwLeft), k(kwText), k(kwWidth),
               k(kwAuto), k(kwLabel)),
        Format("%s=''*", k(kwComment)),
    };
    QStringList out;
    for (const std::string& l : lines)
        out << Q(l);
    return out;
}

void FillChecks(QListWidget* list, const core::TScriptOptions& options, core::TSwitchList which) {
    const std::vector<bool> on = core::ListSwitches(options, which);
    for (int i = 0; i < list->count() && size_t(i) < on.size(); ++i)
        list->item(i)->setCheckState(on[size_t(i)] ? Qt::Checked : Qt::Unchecked);
}

std::vector<bool> Checks(const QListWidget* list) {
    std::vector<bool> on;
    for (int i = 0; i < list->count(); ++i)
        on.push_back(list->item(i)->checkState() == Qt::Checked);
    return on;
}

void SetAll(QListWidget* list, bool on) {
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

std::string Typed(const QLineEdit* e) {
    return S(e->text());
}

}  // namespace

TLangPrefsDialog_Form::TLangPrefsDialog_Form(TAppMain_Form* mainForm)
    : TPrefEdit_Form(mainForm), AppMain(mainForm) {
    setObjectName("LangPrefsDialog_Form");
    OkButton()->setObjectName("Done_Button");
    Colors = AppMain->Lang.Colors;
    Memo = AppMain->EditorOptions;
    Strings = AppMain->TextOptions;
    Pages()->addTab(ScriptPage(), QString());
    TagTab(Pages()->widget(Pages()->count() - 1), "<EN>Script<PL>Skrypt");
    Pages()->addTab(ErrorsPage(), QString());
    TagTab(Pages()->widget(Pages()->count() - 1), "<EN>Errors<PL>Błędy");
    const QStringList warnings = {
        LT("<EN>some ranges in the range definition overlap<PL>niektóre przedziały w definicji "
           "zakresu zachodzą na siebie"),
        LT("<EN>left boundry of a range is greater than the right boundry<PL>lewa granica "
           "przedziału jest większa od prawej"),
        Q(core::FormatText(core::LangText("<EN>range value wider than %s<PL>wartość zakresu "
                                          "szersza niż %s"),
                           KeywordsUpper[core::kwWidth])),
        Q(core::FormatText(core::LangText("<EN>maximum range value narrower than %s<PL>"
                                          "największa wartość zakresu węższa niż %s"),
                           KeywordsUpper[core::kwWidth])),
        LT("<EN>auto value outside of the allowed range<PL>wartość automatyczna poza "
           "dozwolonym zakresem"),
        LT("<EN>active filter values outside of the allowed range<PL>aktywne wartości filtra "
           "poza dozwolonym zakresem"),
        LT("<EN>active filter values match the allowed range<PL>aktywne wartości filtra "
           "pokrywają dozwolony zakres"),
        LT("<EN>label defined but not used<PL>etykieta zdefiniowana, ale nieużywana"),
        LT("<EN>no left label<PL>brak tekstu left"),
        LT("<EN>cannot create a variable name from the left label<PL>nie można utworzyć nazwy "
           "zmiennej z tekstu left"),
        LT("<EN>repeated variable name created from the left label<PL>powtórzona nazwa "
           "zmiennej utworzona z tekstu left"),
    };
    QRadioButton* radios[3];
    Pages()->addTab(ListPage("Warnings",
                             "<EN>report a&ll warnings (recommended)<PL>zgłaszaj &wszystkie "
                             "ostrzeżenia (zalecane)",
                             "<EN>report only &checked warnings:<PL>zgłaszaj tylko &zaznaczone "
                             "ostrzeżenia:",
                             "<EN>&do not report any warnings<PL>&nie zgłaszaj ostrzeżeń", warnings,
                             core::TSwitchList::Warnings, radios, &SelWarnings_ListBox),
                    QString());
    AllWarnings_Button = radios[0];
    SelWarnings_Button = radios[1];
    NoWarnings_Button = radios[2];
    TagTab(Pages()->widget(Pages()->count() - 1), "<EN>Warnings<PL>Ostrzeżenia");
    const QStringList hints = {
        Q(core::FormatText(core::LangText("<EN>the %s parameter is set to 1 in a simultaneous "
                                          "definition<PL>parametr %s ma wartość 1 w definicji "
                                          "równoczesnej"),
                           KeywordsUpper[core::kwItem])),
        Q(core::FormatText(core::LangText("<EN>the %s parameter is set to 1 in a simultaneous "
                                          "definition<PL>parametr %s ma wartość 1 w definicji "
                                          "równoczesnej"),
                           KeywordsUpper[core::kwRepeat])),
        LT("<EN>left label of simultaneous definition has no $ character<PL>tekst left "
           "definicji równoczesnej nie zawiera znaku $"),
        LT("<EN>definition unnecessary - inherited<PL>definicja zbędna - dziedziczona"),
    };
    Pages()->addTab(ListPage("Hints",
                             "<EN>report a&ll hints (recommended)<PL>zgłaszaj &wszystkie "
                             "podpowiedzi (zalecane)",
                             "<EN>report only &checked hints:<PL>zgłaszaj tylko &zaznaczone "
                             "podpowiedzi:",
                             "<EN>&do not report any hints<PL>&nie zgłaszaj podpowiedzi", hints,
                             core::TSwitchList::Hints, radios, &SelHints_ListBox),
                    QString());
    AllHints_Button = radios[0];
    SelHints_Button = radios[1];
    NoHints_Button = radios[2];
    TagTab(Pages()->widget(Pages()->count() - 1), "<EN>Hints<PL>Podpowiedzi");
    Pages()->addTab(ColorPage(), QString());
    TagTab(Pages()->widget(Pages()->count() - 1), "<EN>Colors<PL>Kolory");
    Pages()->addTab(EditorPage(), QString());
    TagTab(Pages()->widget(Pages()->count() - 1), "<EN>Editor<PL>Edytor");
    resize(620, 520);
}

QWidget* TLangPrefsDialog_Form::ScriptPage() {
    auto* page = new QWidget;
    page->setObjectName("Script_TabSheet");
    auto* box = new QVBoxLayout(page);
    AllExtensions_Button = Radio(page, "AllExtensions_Button",
                                 "<EN>use &all Tallyra script extensions<PL>używaj &wszystkich "
                                 "rozszerzeń skryptów Tallyra");
    SelExtensions_Button = Radio(page, "SelExtensions_Button",
                                 "<EN>use only &marked script extensions:<PL>używaj tylko "
                                 "&zaznaczonych rozszerzeń skryptów:");
    NoExtensions_Button = Radio(page, "NoExtensions_Button",
                                "<EN>do &not use any script extensions (ensure full "
                                "compatibility with PX)<PL>&nie używaj rozszerzeń skryptów "
                                "(pełna zgodność z PX)");
    SelExtensions_ListBox = new QListWidget(page);
    SelExtensions_ListBox->setObjectName("SelExtensions_ListBox");
    const QStringList items = {
        Q(core::FormatText(core::LangText("<EN>maximum text field length of %d characters<PL>"
                                          "maksymalna długość pola tekstowego %d znaków"),
                           32767)),
        LT("<EN>underscore can be used in label identifiers<PL>podkreślenie może występować w "
           "identyfikatorach etykiet"),
        LT("<EN>extended numeric field range limits<PL>rozszerzone granice zakresów pól "
           "liczbowych"),
        Q(core::FormatText(core::LangText("<EN>text field heights (%s instruction)<PL>wysokość "
                                          "pól tekstowych (instrukcja %s)"),
                           KeywordsUpper[core::kwHeight])),
    };
    for (const QString& t : items) {
        auto* item = new QListWidgetItem(t, SelExtensions_ListBox);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    }
    FillChecks(SelExtensions_ListBox, AppMain->Lang.Options, core::TSwitchList::Extensions);
    SelExtensions_Button->setChecked(true);
    box->addWidget(AllExtensions_Button);
    box->addWidget(SelExtensions_Button);
    box->addWidget(SelExtensions_ListBox);
    box->addWidget(NoExtensions_Button);
    const QRadioButton* group[3] = {AllExtensions_Button, SelExtensions_Button,
                                    NoExtensions_Button};
    // The same page-group rules as the warnings and hints pages.
    connect(group[0], &QRadioButton::clicked, this,
            [this] { SetAll(SelExtensions_ListBox, true); });
    connect(group[2], &QRadioButton::clicked, this,
            [this] { SetAll(SelExtensions_ListBox, false); });
    connect(group[1], &QRadioButton::clicked, this, [this] {
        FillChecks(SelExtensions_ListBox, AppMain->Lang.Options, core::TSwitchList::Extensions);
    });
    connect(SelExtensions_ListBox, &QListWidget::itemChanged, this, [this] {
        if (SelExtensions_ListBox->signalsBlocked()) return;
        SelExtensions_Button->setChecked(true);
    });

    auto* form = new QFormLayout;
    DefTextWidth_Edit = new QLineEdit(page);
    DefTextWidth_Edit->setObjectName("DefTextWidth_Edit");
    DefTextWidth_Edit->setMaxLength(3);
    DefTextWidth_Edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), DefTextWidth_Edit));
    DefTextWidth_Edit->setText(QString::number(AppMain->Lang.DefTextWidth));
    auto* widthLabel = new QLabel(page);
    widthLabel->setObjectName("DefTextWidth_Label");
    TagText(widthLabel, "<EN>&Default width of text fields<PL>&Domyślna szerokość pól tekstowych");
    widthLabel->setBuddy(DefTextWidth_Edit);
    form->addRow(widthLabel, DefTextWidth_Edit);
    SPSSVarSizeEdit = new QLineEdit(page);
    SPSSVarSizeEdit->setObjectName("SPSSVarSizeEdit");
    SPSSVarSizeEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression("[0-9]*"), SPSSVarSizeEdit));
    SPSSVarSizeEdit->setText(QString::number(AppMain->Lang.SPSSVarSize));
    auto* sizeLabel = new QLabel(page);
    sizeLabel->setObjectName("SPSSVarSizeLabel");
    TagText(sizeLabel,
            "<EN>SPSS maximum &var name length<PL>Maksymalna długość nazwy &zmiennej "
            "SPSS");
    sizeLabel->setBuddy(SPSSVarSizeEdit);
    form->addRow(sizeLabel, SPSSVarSizeEdit);
    box->addLayout(form);
    auto* multi = new QGroupBox(page);
    multi->setObjectName("Multi_RadioG");
    TagText(multi,
            "<EN>Multi-choice - filter active values<PL>Wielokrotny wybór - aktywne "
            "wartości filtra");
    auto* ml = new QVBoxLayout(multi);
    Multi1_Button = Radio(multi, "Multi1_Button", "<*>\" &1 \"");
    MultiNumber_Button = Radio(multi, "MultiNumber_Button",
                               "<EN>variable &number<PL>&numer "
                               "zmiennej");
    ml->addWidget(Multi1_Button);
    ml->addWidget(MultiNumber_Button);
    (AppMain->Lang.Multi1 ? Multi1_Button : MultiNumber_Button)->setChecked(true);
    box->addWidget(multi);
    return page;
}

QWidget* TLangPrefsDialog_Form::ErrorsPage() {
    auto* page = new QWidget;
    page->setObjectName("Errors_TabSheet");
    auto* box = new QVBoxLayout(page);
    AllMessages_Button = Radio(page, "AllMessages_Button",
                               "<EN>stop checking at the &first error<PL>zakończ sprawdzanie "
                               "po &pierwszym błędzie");
    SomeMessages_Button = Radio(page, "SomeMessages_Button",
                                "<EN>stop &checking when the number of errors reaches...<PL>"
                                "zakończ &sprawdzanie, gdy liczba błędów osiągnie...");
    NoMessages_Button = Radio(page, "NoMessages_Button",
                              "<EN>report a&ll errors<PL>zgłaszaj "
                              "&wszystkie błędy");
    // The edit with its spinner: the arrows step by five.
    SomeMessages_Edit = new QSpinBox(page);
    SomeMessages_Edit->setObjectName("SomeMessages_Edit");
    SomeMessages_Edit->setRange(0, 65535);
    SomeMessages_Edit->setSingleStep(5);
    SomeMessages_Edit->setValue(AppMain->Lang.Options.ErrorCount);
    auto* row = new QHBoxLayout;
    row->addWidget(SomeMessages_Button);
    row->addWidget(SomeMessages_Edit);
    row->addStretch();
    box->addWidget(AllMessages_Button);
    box->addLayout(row);
    box->addWidget(NoMessages_Button);
    box->addStretch();
    switch (AppMain->Lang.Options.ErrorMode) {
        case 0:
            AllMessages_Button->setChecked(true);
            break;
        case 1:
            SomeMessages_Button->setChecked(true);
            break;
        default:
            NoMessages_Button->setChecked(true);
    }
    connect(SomeMessages_Edit, &QSpinBox::valueChanged, this,
            [this] { SomeMessages_Button->setChecked(true); });
    return page;
}

QWidget* TLangPrefsDialog_Form::ListPage(const char* prefix, const char* all, const char* sel,
                                         const char* none, const QStringList& items,
                                         core::TSwitchList which, QRadioButton** radios,
                                         QListWidget** listOut) {
    auto* page = new QWidget;
    page->setObjectName(QString("%1_TabSheet").arg(prefix));
    auto* box = new QVBoxLayout(page);
    radios[0] = Radio(page, QString("All%1_Button").arg(prefix).toLatin1().constData(), all);
    radios[1] = Radio(page, QString("Sel%1_Button").arg(prefix).toLatin1().constData(), sel);
    radios[2] = Radio(page, QString("No%1_Button").arg(prefix).toLatin1().constData(), none);
    auto* list = new QListWidget(page);
    list->setObjectName(QString("Sel%1_ListBox").arg(prefix));
    for (const QString& t : items) {
        auto* item = new QListWidgetItem(t, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    }
    FillChecks(list, AppMain->Lang.Options, which);
    radios[1]->setChecked(true);
    box->addWidget(radios[0]);
    box->addWidget(radios[1]);
    box->addWidget(list);
    box->addWidget(radios[2]);
    QRadioButton* selButton = radios[1];
    connect(radios[0], &QRadioButton::clicked, this, [list] { SetAll(list, true); });
    connect(radios[2], &QRadioButton::clicked, this, [list] { SetAll(list, false); });
    connect(radios[1], &QRadioButton::clicked, this,
            [this, list, which] { FillChecks(list, AppMain->Lang.Options, which); });
    // Checking an item by hand selects the "selected" button without running
    // its handler, so the list keeps the change.
    connect(list, &QListWidget::itemChanged, this, [selButton, list] {
        if (!list->signalsBlocked()) selButton->setChecked(true);
    });
    *listOut = list;
    return page;
}

QWidget* TLangPrefsDialog_Form::ColorPage() {
    auto* page = new QWidget;
    page->setObjectName("Color_TabSheet");
    auto* grid = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    auto* elementLabel = new QLabel(page);
    elementLabel->setObjectName("Element_Label");
    TagText(elementLabel, "<EN>&Elements<PL>&Elementy");
    Element_ListBox = new QListWidget(page);
    Element_ListBox->setObjectName("Element_ListBox");
    for (const char* n : core::TokenClassNames)
        Element_ListBox->addItem(QString::fromLatin1(n));
    elementLabel->setBuddy(Element_ListBox);
    left->addWidget(elementLabel);
    left->addWidget(Element_ListBox);
    auto* colorLabel = new QLabel(page);
    colorLabel->setObjectName("Color_Label");
    TagText(colorLabel, "<EN>&Colors<PL>&Kolory");
    auto* colorGrid = new QWidget(page);
    colorGrid->setObjectName("ColorGrid");
    auto* cg = new QFormLayout(colorGrid);
    Foreground_Grid = ColorCombo(colorGrid, "Foreground_Grid");
    Background_Grid = ColorCombo(colorGrid, "Background_Grid");
    cg->addRow(LT("<EN>Text<PL>Tekst"), Foreground_Grid);
    cg->addRow(LT("<EN>Background<PL>Tło"), Background_Grid);
    colorLabel->setBuddy(Foreground_Grid);
    left->addWidget(colorLabel);
    left->addWidget(colorGrid);
    auto* attrib = new QGroupBox(page);
    attrib->setObjectName("Attrib_GroupBox");
    TagText(attrib, "<EN>Text attributes<PL>Atrybuty tekstu");
    auto* al = new QVBoxLayout(attrib);
    auto check = [attrib, al](const char* name, const char* caption) {
        auto* c = new QCheckBox(attrib);
        c->setObjectName(name);
        TagText(c, caption);
        al->addWidget(c);
        return c;
    };
    Bold_CheckBox = check("Bold_CheckBox", "<EN>&Bold<PL>&Pogrubienie");
    Italic_CheckBox = check("Italic_CheckBox", "<EN>&Italic<PL>Pochyle&nie");
    Underline_CheckBox = check("Underline_CheckBox", "<EN>&Underline<PL>Po&dkreślenie");
    left->addWidget(attrib);
    grid->addLayout(left);
    Example_DCMemo = new QsciScintilla(page);
    Example_DCMemo->setObjectName("Example_DCMemo");
    Example_DCMemo->setUtf8(true);
    Example_DCMemo->setEolMode(QsciScintilla::EolWindows);
    Example_DCMemo->setText(PreviewLines().join("\r\n"));
    Example_DCMemo->setReadOnly(true);
    PreviewLexer = new TPXLexer(&AppMain->Parser(), Example_DCMemo);
    Example_DCMemo->setLexer(PreviewLexer);
    grid->addWidget(Example_DCMemo, 1);
    ApplyPreview();
    connect(Element_ListBox, &QListWidget::currentRowChanged, this, [this] { ShowElement(); });
    for (QComboBox* c : {Foreground_Grid, Background_Grid})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { ElementChanged(); });
    for (QCheckBox* c : {Bold_CheckBox, Italic_CheckBox, Underline_CheckBox})
        connect(c, &QCheckBox::toggled, this, [this] { ElementChanged(); });
    Element_ListBox->setCurrentRow(0);
    return page;
}

void TLangPrefsDialog_Form::ShowElement() {
    const int i = Element_ListBox->currentRow();
    if (i < 0 || i >= core::ColorElementCount) return;
    // Showing an element must not change it.
    ShowingElement = true;
    const core::TColorElement& e = Colors[size_t(i)];
    SelectColor(Foreground_Grid, e.Foreground);
    SelectColor(Background_Grid, e.Background);
    Bold_CheckBox->setChecked(e.Bold != 0);
    Italic_CheckBox->setChecked(e.Italic != 0);
    Underline_CheckBox->setChecked(e.Underline != 0);
    ShowingElement = false;
}

void TLangPrefsDialog_Form::ElementChanged() {
    const int i = Element_ListBox->currentRow();
    if (ShowingElement || i < 0 || i >= core::ColorElementCount) return;
    core::TColorElement& e = Colors[size_t(i)];
    e.Foreground = Foreground_Grid->currentData().value<uint32_t>();
    e.Background = Background_Grid->currentData().value<uint32_t>();
    e.Bold = Bold_CheckBox->isChecked();
    e.Italic = Italic_CheckBox->isChecked();
    e.Underline = Underline_CheckBox->isChecked();
    ApplyPreview();
}

void TLangPrefsDialog_Form::ApplyPreview() {
    PreviewLexer->ApplyColors(Colors, ToQFont(AppMain->EditFont, true));
    Example_DCMemo->recolor();
}

QWidget* TLangPrefsDialog_Form::EditorPage() {
    auto* page = new QWidget;
    page->setObjectName("Edit_TabSheet");
    auto* outer = new QVBoxLayout(page);
    auto* group = new QGroupBox(page);
    group->setObjectName("EditOptions_GroupBox");
    TagText(group, "<EN>Editor options<PL>Opcje edytora");
    auto* box = new QVBoxLayout(group);
    const struct {
        const char* Name;
        const char* Caption;
        int Bit;
        bool Strings;
    } boxes[] = {
        {"DrawMargin_CB", "<EN>Visible right &margin<PL>Widoczny prawy &margines",
         core::moDrawMargin, false},
        {"DrawGutter_CB", "<EN>Visible &left margin<PL>Widoczny &lewy margines", core::moDrawGutter,
         false},
        {"DblClickLine_CB", "<EN>&Double click line<PL>Podwójne kliknięcie zaznacza &wiersz",
         core::moDblClickLine, false},
        {"ColorSyntax_CB", "<EN>Use &syntax highlighting<PL>Podświetlanie &składni",
         core::moColorSyntax, false},
        {"LineNumbers_CB", "<EN>Line &numbers<PL>&Numery wierszy", core::moLineNumbers, false},
        {"OverwriteCaret_CB", "<EN>&Overwrite cursor<PL>Kursor &nadpisywania",
         core::moOverwriteCaret, false},
        {"OverwriteBlocks_CB", "<EN>Overwrite &blocks<PL>Nadpisywanie &bloków",
         core::soOverwriteBlocks, true},
    };
    for (const auto& b : boxes) {
        auto* c = new QCheckBox(group);
        c->setObjectName(b.Name);
        TagText(c, b.Caption);
        c->setProperty("Tag", b.Bit);
        c->setChecked(core::HasOption(b.Strings ? Strings : Memo, b.Bit));
        const bool strings = b.Strings;
        const int bit = b.Bit;
        connect(c, &QCheckBox::toggled, this, [this, bit, strings](bool on) {
            uint32_t& set = strings ? Strings : Memo;
            set = core::WithOption(set, bit, on);
        });
        box->addWidget(c);
        EditorBoxes << c;
    }
    outer->addWidget(group);
    outer->addStretch();
    return page;
}

void TLangPrefsDialog_Form::accept() {
    // Both numbers are checked before anything is stored, so a refused OK
    // followed by Cancel leaves the settings as they were. The long-text
    // extension as checked now, not as stored, sets the widest width.
    const bool longText = SelExtensions_ListBox->count() > 0 &&
                          SelExtensions_ListBox->item(0)->checkState() == Qt::Checked;
    const auto refusal =
        core::CheckPrefsNumbers(Typed(DefTextWidth_Edit), Typed(SPSSVarSizeEdit), longText);
    if (refusal) {
        MsgInformation(refusal->Text);
        QLineEdit* field =
            refusal->Field == core::TPrefsField::DefTextWidth ? DefTextWidth_Edit : SPSSVarSizeEdit;
        Pages()->setCurrentWidget(field->parentWidget());
        field->setFocus();
        return;
    }
    TPrefEdit_Form::accept();
}

void TLangPrefsDialog_Form::AcceptPrefs() {
    TPrefEdit_Form::AcceptPrefs();
    core::TLangSettings& lang = AppMain->Lang;
    core::SetListSwitches(lang.Options, core::TSwitchList::Extensions,
                          Checks(SelExtensions_ListBox));
    core::SetListSwitches(lang.Options, core::TSwitchList::Hints, Checks(SelHints_ListBox));
    core::SetListSwitches(lang.Options, core::TSwitchList::Warnings, Checks(SelWarnings_ListBox));
    const uint8_t mode = AllMessages_Button->isChecked()    ? 0
                         : SomeMessages_Button->isChecked() ? 1
                                                            : 2;
    core::SetErrorLimit(lang.Options, mode, static_cast<uint16_t>(SomeMessages_Edit->value()));
    lang.DefTextWidth = static_cast<uint8_t>(core::ParsePrefNumber(Typed(DefTextWidth_Edit)));
    lang.SPSSVarSize = core::ParsePrefNumber(Typed(SPSSVarSizeEdit));
    lang.Multi1 = Multi1_Button->isChecked();
    lang.Colors = Colors;
    AppMain->EditorOptions = Memo;
    AppMain->TextOptions = Strings;
    AppMain->ApplyLangSettings();
}

}  // namespace tallyra::gui
