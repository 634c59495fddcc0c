// SPDX-License-Identifier: GPL-3.0-or-later
// Stored settings, language switching, message boxes, menu padding, the
// status bar gauge, the logo and the help viewer.
#include <functional>
#include <new>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "shell/desktopmain.h"
#include "shell/errors.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "shell/qsettingsstore.h"
#include "shell/statusbar.h"
#include "studio/prefedit.h"

using namespace tallyra;
using namespace tallyra::gui;
using namespace tallyra::gui::test;

namespace {

const std::string Root = "\\Software\\Tallyra Systems\\Tallyra Studio\\";

std::string K(const char* sub) {
    return Root + sub;
}

// Every value of the store as text, for comparing two write passes.
std::map<std::string, std::string> Dump(core::TMemorySettingsStore& s,
                                        std::initializer_list<const char*> keys) {
    std::map<std::string, std::string> out;
    for (const char* k : keys)
        for (const auto& n : s.ValueNames(K(k))) {
            core::TSettingsValue v;
            s.ReadValue(K(k), n, v);
            out[std::string(k) + "/" + n] =
                std::to_string(int(v.ValueKind)) + ":" + std::to_string(v.Int) + ":" + v.Bytes;
        }
    return out;
}

}  // namespace

TEST_F(StudioTest, FreshStoreGivesEveryDefault) {
    Main = std::make_unique<TAppMain_Form>();
    QApplication::processEvents();
    EXPECT_EQ(Main->EditFont, (TFontSpec{"Courier New", 10, 238}));
    EXPECT_EQ(Main->InfoFont, (TFontSpec{"MS Sans Serif", 10, 238}));
    EXPECT_EQ(Main->EditorOptions, 0x00000456u);
    EXPECT_EQ(Main->TextOptions, 0x0000027Bu);
    EXPECT_EQ(Main->OpenDir, "");
    EXPECT_TRUE(Main->Recents().List().Items.empty());
    EXPECT_EQ(Main->PageSetup.HdrLeft, "&[VRK]");
    EXPECT_TRUE(Main->isMaximized() || (Main->windowState() & Qt::WindowMaximized));
    DestroyMain();

    core::TMemorySettingsStore& s = Store();
    EXPECT_EQ(s.ReadInt(K("Languages"), "Current", 0), 1);
    EXPECT_EQ(s.ReadStr(Root, "Version", ""), "2.40");
    EXPECT_TRUE(s.ReadBool(K("Views"), "StatusBar", false));
    EXPECT_TRUE(s.ReadBool(K("Views"), "ToolBar", false));
    EXPECT_TRUE(s.ReadBool(K("Main Window"), "Maximized", false));
    EXPECT_EQ(s.ReadStr(K("Fonts"), "EditFont.Name", ""), "Courier New");
    EXPECT_EQ(s.ReadInt(K("Fonts"), "EditFont.Size", 0), 10);
    EXPECT_EQ(s.ReadInt(K("Fonts"), "EditFont.CharSet", 0), 238);
    EXPECT_EQ(s.ReadStr(K("Fonts"), "InfoFont.Name", ""), "MS Sans Serif");
    EXPECT_EQ(s.ReadSet32(K("Preferences"), "Memo", 0), 0x456u);
    EXPECT_EQ(s.ReadSet32(K("Preferences"), "Strings", 0), 0x27Bu);
    EXPECT_EQ(s.ReadInt(K("Recents"), "Count", -1), 0);
    EXPECT_EQ(s.ReadStr(K("Page Setup"), "hrdLeft", ""), "&[VRK]");
    EXPECT_EQ(s.ReadStr(K("Page Setup"), "hdrRight", ""), "&[DATE]");
    EXPECT_EQ(s.ReadStr(K("Page Setup"), "ftrMiddle", ""), "&[PAGEINFO]");
    EXPECT_EQ(s.ReadInt(K("Page Setup"), "mrgLeft", 0), 10);
    EXPECT_EQ(s.ReadInt(K("Page Setup"), "pgFirstNr", 0), 1);
    // A new version: the changes prompt was offered once.
    EXPECT_EQ(Boxes().Count(TMsgKind::Confirm), 1);
    EXPECT_NE(Boxes().Log[0].Text.find("You have opened this version of the application for the "
                                       "first time."),
              std::string::npos);
}

TEST_F(StudioTest, EveryStoredValueRoundTrips) {
    MakeMain();
    Main->EditFont = {"DejaVu Sans Mono", 13, 0};
    Main->InfoFont = {"DejaVu Sans", 9, 1};
    Main->EditorOptions = 0x7FF;
    Main->TextOptions = 0x001;
    Main->OpenDir = "/o";
    Main->SaveAsDir = "/s";
    Main->ExportDir = "/e";
    Main->Recents().AddClosed("/r/one.slo");
    Main->Recents().AddClosed("/r/two.slo");
    Main->PageSetup.MrgHeader = 1;
    Main->PageSetup.MrgFooter = 2;
    Main->PageSetup.MrgLeft = 3;
    Main->PageSetup.MrgRight = 4;
    Main->PageSetup.MrgTop = 5;
    Main->PageSetup.MrgBottom = 6;
    Main->PageSetup.HdrLeft = "L &[VRK]";
    Main->PageSetup.HdrMiddle = "M";
    Main->PageSetup.HdrRight = "R";
    Main->PageSetup.FtrLeft = "fl";
    Main->PageSetup.FtrMiddle = "fm";
    Main->PageSetup.FtrRight = "fr";
    Main->PageSetup.PgFirstNr = 7;
    Main->WindowAction("StatusBar_WindowMenu")->setChecked(false);
    Main->WindowAction("ToolBar_WindowMenu")->setChecked(false);
    Main->showNormal();
    Main->setGeometry(50, 60, 700, 500);
    QApplication::processEvents();
    Main->ChangeLanguage(2);
    DestroyMain();
    const auto first = Dump(Store(), {"", "Languages", "Main Window", "Views", "Files", "Recents",
                                      "Page Setup", "Fonts", "Preferences"});
    EXPECT_EQ(Store().ReadStr(K("Page Setup"), "hrdLeft", ""), "L &[VRK]");
    EXPECT_FALSE(Store().ReadBool(K("Main Window"), "Maximized", true));

    MakeMain();
    EXPECT_EQ(core::CurrentLanguage(), 2);
    EXPECT_EQ(Main->EditFont, (TFontSpec{"DejaVu Sans Mono", 13, 0}));
    EXPECT_EQ(Main->InfoFont, (TFontSpec{"DejaVu Sans", 9, 1}));
    EXPECT_EQ(Main->EditorOptions, 0x7FFu);
    EXPECT_EQ(Main->TextOptions, 0x001u);
    EXPECT_EQ(Main->OpenDir, "/o");
    EXPECT_EQ(Main->SaveAsDir, "/s");
    EXPECT_EQ(Main->ExportDir, "/e");
    ASSERT_EQ(Main->Recents().List().Items.size(), 2u);
    EXPECT_EQ(Main->Recents().List().Items[0].Path, "/r/two.slo");
    EXPECT_EQ(Main->PageSetup.PgFirstNr, 7);
    EXPECT_EQ(Main->PageSetup.FtrRight, "fr");
    EXPECT_FALSE(Main->statusBar()->isVisibleTo(Main.get()));
    EXPECT_FALSE(Main->ToolBar()->isVisibleTo(Main.get()));
    EXPECT_EQ(Main->width(), 700);
    DestroyMain();
    const auto second = Dump(Store(), {"", "Languages", "Main Window", "Views", "Files", "Recents",
                                       "Page Setup", "Fonts", "Preferences"});
    EXPECT_EQ(first, second);
    EXPECT_EQ(first.size(), 44u);  // every value of these keys
}

TEST_F(StudioTest, LanguageSwitchFromPreferencesChangesEveryVisibleCaption) {
    MakeMain();
    TChldEdit_Form* e = OpenNew("lang.slo", "x");
    QApplication::processEvents();
    ASSERT_EQ(Main->PositionPanel()->text(), "Pos 1: 1");
    ASSERT_EQ(Main->InsertPanel()->text(), "INS");

    // Every tagged action and widget of the main window and the child.
    auto tagged = [this, e] {
        std::vector<std::pair<QObject*, QString>> list;
        for (QObject* root : {static_cast<QObject*>(Main.get()), static_cast<QObject*>(e)})
            for (QAction* a : root->findChildren<QAction*>())
                if (a->property("tallyraTagText").isValid()) list.push_back({a, a->text()});
        return list;
    };
    const auto before = tagged();
    ASSERT_GT(before.size(), 40u);

    TPrefEdit_Form prefs(Main.get());
    prefs.show();
    QListWidget* list = prefs.LanguageList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "English");
    EXPECT_EQ(list->item(1)->text(), "Polish");
    list->setCurrentRow(1);
    QTest::mouseClick(prefs.OkButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(core::CurrentLanguage(), 2);

    int changed = 0;
    for (const auto& [object, oldText] : before) {
        auto* a = static_cast<QAction*>(object);
        const std::string tag = a->property("tallyraTagText").toString().toStdString();
        const QString pl = Q(core::LangTextFor(tag, 2));
        EXPECT_EQ(a->text().trimmed(), pl.trimmed()) << tag;
        if (core::LangTextFor(tag, 1) != core::LangTextFor(tag, 2)) {
            EXPECT_NE(a->text().trimmed(), oldText.trimmed()) << tag;
            ++changed;
        }
    }
    EXPECT_GT(changed, 40);
    EXPECT_EQ(Main->FileMenu()->title(), "&Plik");
    EXPECT_EQ(Main->FileAction("Open_FileMenu")->statusTip(), "Otwiera istniejący plik");
    EXPECT_EQ(Main->PositionPanel()->text(), "Poz 1: 1");
    EXPECT_EQ(Main->InsertPanel()->text(), "WST");
    EXPECT_EQ(Main->HintPanel()->ShownText(), "Gotów");
    EXPECT_TRUE(Main->windowTitle().startsWith("Tallyra Studio"));
    // The child's popup menu, re-applied after message 1129.
    QAction* popupSave = e->PopupMenu()->findChild<QAction*>("Save_FileMenu");
    ASSERT_NE(popupSave, nullptr);
    EXPECT_EQ(popupSave->text().trimmed(), "&Zapisz");
    // Captions of the dialog itself follow on the next opening.
    TPrefEdit_Form again(Main.get());
    EXPECT_EQ(again.windowTitle(), "Ustawienia");
    EXPECT_EQ(again.Pages()->tabText(0), "Język");
    EXPECT_EQ(again.Pages()->tabText(1), "Czcionki");
    EXPECT_EQ(again.CancelButton()->text(), "Anuluj");
    // New untitled windows take the Polish name (the opened file used number 1).
    EXPECT_EQ(Main->NewFile()->GetFileName(), "BezNazwy2");
}

TEST_F(StudioTest, MenusArePaddedAfterTheWidestEntry) {
    MakeMain();
    for (QMenu* menu : {Main->FileMenu(), Main->EditMenu()}) {
        int longest = -1, padded = 0;
        for (QAction* a : menu->actions()) {
            if (!a->isVisible() || a->isSeparator()) continue;
            const QString trimmed = QString(a->text()).remove(QRegularExpression("\\s+$"));
            if (a->text().endsWith(QString(10, ' '))) {
                ++padded;
                EXPECT_EQ(a->text(), trimmed + QString(10, ' '));
            }
            longest = std::max<int>(longest, int(trimmed.size()));
        }
        EXPECT_EQ(padded, 1) << menu->objectName().toStdString();
    }
}

TEST(PadMenuCaptions, PadsTheLongestVisibleEntryOfEveryLevel) {
    QMenu menu;
    QAction* shortOne = menu.addAction("&Open");
    QAction* trailing = menu.addAction("Save &as...   ");
    QAction* hidden = menu.addAction("A much longer hidden entry");
    hidden->setVisible(false);
    menu.addSeparator();
    QMenu* sub = menu.addMenu("&Go");
    QAction* inner = sub->addAction("&Line number");
    sub->addAction("&Marker");
    PadMenuCaptions(&menu);
    EXPECT_EQ(trailing->text(), "Save &as..." + QString(10, ' '));
    EXPECT_EQ(shortOne->text(), "&Open");
    EXPECT_EQ(hidden->text(), "A much longer hidden entry");
    EXPECT_EQ(inner->text(), "&Line number" + QString(10, ' '));
    // Running again keeps exactly ten blanks.
    PadMenuCaptions(&menu);
    EXPECT_EQ(trailing->text(), "Save &as..." + QString(10, ' '));
}

TEST(MessageBoxes, RealConfirmBoxReturnsSixSevenTwoWithTaggedCaptions) {
    SetMsgHandler({});
    struct Case {
        int language;
        const char* button;
        int result;
        const char* title;
    };
    const Case cases[] = {{1, "&Yes", 6, "Confirm"},
                          {1, "&No", 7, "Confirm"},
                          {1, "Cancel", 2, "Confirm"},
                          {2, "&Tak", 6, "Potwierdź"},
                          {2, "Anuluj", 2, "Potwierdź"}};
    for (const Case& c : cases) {
        core::SetCurrentLanguage(c.language);
        QString seenTitle;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seenTitle = box->windowTitle();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == QString::fromUtf8(c.button)) b->click();
        });
        EXPECT_EQ(MsgConfirm("Question?"), c.result) << c.button;
        EXPECT_EQ(seenTitle, QString::fromUtf8(c.title));
    }
    core::SetCurrentLanguage(1);
    EXPECT_EQ(MsgTitle(TMsgKind::Information), "Information");
    EXPECT_EQ(MsgTitle(TMsgKind::Warning), "Warning");
    EXPECT_EQ(MsgTitle(TMsgKind::Error), "Error");
    core::SetCurrentLanguage(2);
    EXPECT_EQ(MsgTitle(TMsgKind::Error), "Błąd");
    EXPECT_EQ(MsgTitle(TMsgKind::Warning), "Ostrzeżenie");
    core::SetCurrentLanguage(1);
    ResetEnvironment();
}

TEST_F(StudioTest, ProgressGaugeDrawsTwiceThePercentage) {
    MakeMain();
    THintPanel* hint = Main->HintPanel();
    hint->resize(700, 22);
    Main->SetProgress("Script checking", 50);
    EXPECT_EQ(hint->Progress(), 50);
    EXPECT_EQ(hint->GaugeBar().width(), 100);
    EXPECT_EQ(hint->GaugeFrame().width(), 204);
    // Count the blue pixels of the bar's middle row in the painted panel.
    QImage image(hint->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    hint->render(&image);
    const int y = hint->GaugeBar().center().y();
    int blue = 0;
    for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) == QColor(0, 0, 255)) ++blue;
    EXPECT_EQ(blue, 100);
    EXPECT_EQ(hint->GaugeStart(),
              2 + hint->fontMetrics().horizontalAdvance("Script checking") + 40);

    Main->SetProgress("*", 30);
    EXPECT_EQ(hint->Hint(), "Script checking");
    EXPECT_EQ(hint->GaugeBar().width(), 60);
    Main->SetProgress("", -1);
    EXPECT_TRUE(hint->GaugeBar().isEmpty());
    EXPECT_EQ(hint->ShownText(), "Ready");
}

TEST_F(StudioTest, StatusPanelWidthsComeFromTheLanguageTexts) {
    MakeMain();
    const QFontMetrics fm(Main->statusBar()->font());
    const int frame = 2 * Main->PositionPanel()->frameWidth();
    EXPECT_EQ(Main->ModifiedPanel()->width(), fm.horizontalAdvance("MOD") + 6 + frame);
    int widest = 0;
    for (int d = 1; d <= 9; ++d)
        widest = std::max(
            widest, fm.horizontalAdvance(QString("Pos %1 : %2").arg(11111 * d).arg(1111 * d)));
    EXPECT_EQ(Main->PositionPanel()->width(), widest + 6 + frame);
}

// A logo clock the test moves forward: the calls that fall due are made
// as it passes their time.
class TSteppedLogoClock : public TLogoClock {
public:
    TSteppedLogoClock() { TAppGen_Form::SetLogoClock(this); }
    ~TSteppedLogoClock() override { TAppGen_Form::SetLogoClock(nullptr); }
    qint64 Now() const override { return Time; }
    void CallAfter(qint64 ms, QObject* context, std::function<void()> due) override {
        Pending.push_back({Time + ms, context, std::move(due)});
    }
    void Advance(qint64 ms) {
        Time += ms;
        for (size_t i = 0; i < Pending.size();) {
            if (Pending[i].At > Time) {
                ++i;
                continue;
            }
            TCall call = std::move(Pending[i]);
            Pending.erase(Pending.begin() + std::ptrdiff_t(i));
            if (call.Context) call.Due();
            i = 0;  // the call may have added others
        }
    }

private:
    struct TCall {
        qint64 At;
        QPointer<QObject> Context;
        std::function<void()> Due;
    };
    qint64 Time = 1000;
    std::vector<TCall> Pending;
};

TEST_F(StudioTest, LogoStaysAtLeastFourSeconds) {
    TSteppedLogoClock clock;
    TAppGen_Form::SetShowLogo(true);
    MakeMain();
    TAppGen_Form::SetShowLogo(false);
    ASSERT_NE(Main->Logo(), nullptr);
    // The close message has been handled; the logo is still there.
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_NE(Main->Logo(), nullptr);
    EXPECT_LT(Main->LogoAge(), LogoMinimumMs);
    // It does close, and not before the minimum time.
    const qint64 ageAtStart = Main->LogoAge();
    qint64 advanced = 0;
    while (Main->Logo() != nullptr && advanced < LogoMinimumMs + 3000) {
        clock.Advance(10);
        advanced += 10;
        QApplication::processEvents();
    }
    EXPECT_EQ(Main->Logo(), nullptr);
    EXPECT_GE(ageAtStart + advanced, LogoMinimumMs);
}

TEST_F(StudioTest, HelpOpensTopicsByContextInTheCurrentLanguage) {
    MakeMain();
    Main->ShowHelpContext(HelpGlossary);
    ASSERT_NE(Main->HelpViewer(), nullptr);
    EXPECT_EQ(Main->HelpViewer()->CurrentPage(), "102.html");
    EXPECT_TRUE(Main->HelpViewer()->Browser()->toPlainText().contains("Glossary"));
    EXPECT_EQ(S(Main->HelpViewer()->windowTitle()), "Tallyra Studio help");
    Main->ChangeLanguage(2);
    EXPECT_TRUE(Main->HelpViewer()->Browser()->toPlainText().contains("Słowniczek"));
    EXPECT_EQ(S(Main->HelpViewer()->windowTitle()), "Pomoc Tallyra Studio");
    Main->ShowChangesTopic();
    EXPECT_EQ(Main->HelpViewer()->CurrentPage(), "103.html");
    Main->HelpViewer()->ShowSearch("zakładk");
    EXPECT_TRUE(Main->HelpViewer()->Browser()->toHtml().contains("102.html"));
    Main->HelpMenu()->findChild<QAction*>("HelpOnHelp_HelpMenu")->trigger();
    EXPECT_EQ(Main->HelpViewer()->CurrentPage(), "using.html");
    EXPECT_TRUE(Main->HelpViewer()->Browser()->toPlainText().contains("Jak korzystać z pomocy"));
    Main->ShowHelpContext(9999);
    EXPECT_TRUE(Main->HelpViewer()->Browser()->toPlainText().contains("niedostępny"));
    EXPECT_TRUE(QString::fromStdString(Main->HelpFile()).endsWith("_PL.hlp"));
}

TEST(TQSettingsStore, EveryKindRoundTripsThroughTheIniFile) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("settings.ini");
    {
        TQSettingsStore s(ini);
        s.WriteInt("\\Software\\Co\\App\\Page Setup", "mrgLeft", -12);
        s.WriteBool("\\Software\\Co\\App\\Views", "ToolBar", false);
        s.WriteStr("\\Software\\Co\\App\\Files", "OpenDir", "/home/ą b");
        s.WriteSet32("\\Software\\Co\\App\\Preferences", "Memo", 0x456);
        s.WriteStr("\\Software\\Co\\App\\Recents", "File0", "/x");
        s.WriteStr("\\Software\\Co\\App\\Recents\\Files0", "File0", "/nested");
    }
    TQSettingsStore s(ini);
    EXPECT_EQ(s.ReadInt("\\Software\\Co\\App\\Page Setup", "mrgLeft", 0), -12);
    EXPECT_FALSE(s.ReadBool("\\Software\\Co\\App\\Views", "ToolBar", true));
    EXPECT_EQ(s.ReadStr("\\Software\\Co\\App\\Files", "OpenDir", ""), "/home/ą b");
    EXPECT_EQ(s.ReadSet32("\\Software\\Co\\App\\Preferences", "Memo", 0), 0x456u);
    EXPECT_EQ(s.ReadInt("\\Software\\Co\\App\\Files", "OpenDir", 5), 5);  // not a number
    EXPECT_EQ(s.ReadInt("\\Software\\Co\\App\\Files", "Missing", 7), 7);
    s.DeleteKeyTree("\\Software\\Co\\App\\Recents");
    EXPECT_EQ(s.ReadStr("\\Software\\Co\\App\\Recents", "File0", "gone"), "gone");
    EXPECT_EQ(s.ReadStr("\\Software\\Co\\App\\Recents\\Files0", "File0", "gone"), "gone");
    EXPECT_EQ(s.ReadStr("\\Software\\Co\\App\\Files", "OpenDir", ""), "/home/ą b");
}

TEST_F(StudioTest, RecentsRemoveCommandsAskFirst) {
    MakeMain();
    TChldEdit_Form* a = OpenNew("keep.slo", "a");
    TChldEdit_Form* b = OpenNew("gone.slo", "b");
    a->SubWindow()->close();
    b->SubWindow()->close();
    QApplication::processEvents();
    QFile::remove(QString::fromStdString(PathOf("gone.slo")));
    auto trigger = [this](const char* name) {
        Main->BuildRecentsMenu();
        Main->RecentsMenu()->findChild<QAction*>(name)->trigger();
    };
    Boxes().Answers = {MsgResultNo};
    trigger("RemoveObsolete_RecentsMenu");
    EXPECT_EQ(Main->Recents().List().Items.size(), 2u);
    EXPECT_EQ(Boxes().Log.back().Text, "Remove obsolete recent files entries?");
    Boxes().Answers = {MsgResultYes};
    trigger("RemoveObsolete_RecentsMenu");
    ASSERT_EQ(Main->Recents().List().Items.size(), 1u);
    EXPECT_EQ(Main->Recents().List().Items[0].Path, PathOf("keep.slo"));
    Boxes().Answers = {MsgResultYes};
    trigger("RemoveAll_RecentsMenu");
    EXPECT_EQ(Boxes().Log.back().Text, "Remove all recent files entries?");
    EXPECT_TRUE(Main->Recents().List().Items.empty());
}

namespace {

// An object whose event handler fails the way the given function does.
class TFailingObject : public QObject {
public:
    explicit TFailingObject(std::function<void()> fail) : Fail(std::move(fail)) {}
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) Fail();
        return QObject::event(e);
    }
    std::function<void()> Fail;
};

}  // namespace

// An exception out of an event handler never reaches Qt's loop: the
// application shows its text in an error box once the event is over, and
// goes on delivering events.
TEST(DesktopApplication, ExceptionsOutOfEventHandlersBecomeErrorBoxes) {
    ResetEnvironment();
    const struct {
        std::function<void()> Fail;
        std::string Text;
    } cases[] = {
        {[] { throw std::bad_alloc(); },
         "Not enough memory.\r\nThe last action was not completed."},
        {[] { throw core::EGeneric("d.dat: This is a folder, not a file."); },
         "d.dat: This is a folder, not a file."},
        {[] { throw 42; }, "An unexpected error stopped the last action."},
    };
    for (const auto& c : cases) {
        Boxes().Log.clear();
        TFailingObject object(c.Fail);
        QEvent event(QEvent::User);
        EXPECT_FALSE(QApplication::sendEvent(&object, &event));
        EXPECT_TRUE(Boxes().Log.empty());  // not inside the failed event
        QApplication::processEvents();
        ASSERT_EQ(Boxes().Log.size(), 1u) << c.Text;
        EXPECT_EQ(Boxes().Log[0].Kind, TMsgKind::Error);
        EXPECT_EQ(Boxes().Log[0].Text, c.Text);
    }
    core::SetCurrentLanguage(core::LangPolish);
    EXPECT_EQ(TDesktopApplication::NotEnoughMemoryText(),
              "Za mało pamięci.\r\nOstatnia czynność nie została dokończona.");
    core::SetCurrentLanguage(core::LangEnglish);
}
