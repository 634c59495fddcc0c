// SPDX-License-Identifier: GPL-3.0-or-later
// Qt's own texts (the standard buttons of message boxes, the file dialog)
// follow the language chosen in Studio and in the station, at start-up and
// on every change.
#include <memory>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "shell/langtext.h"
#include "shell/langui.h"
#include "station/tappstation.h"

namespace tallyra::gui::test {
namespace {

// Captions Qt gives its standard buttons and its file dialog on its own.
struct TQtCaptions {
    QString Yes, Cancel, FileCancel, FileOpen;
    QLocale::Language Locale;
};

TQtCaptions QtCaptionsNow(QWidget* parent) {
    TQtCaptions c;
    c.Locale = QLocale().language();
    QMessageBox box(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::Cancel,
                    parent);
    c.Yes = box.button(QMessageBox::Yes)->text();
    c.Cancel = box.button(QMessageBox::Cancel)->text();
    QFileDialog files(parent);
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.setAcceptMode(QFileDialog::AcceptOpen);
    auto* buttons = files.findChild<QDialogButtonBox*>();
    if (buttons) {
        c.FileCancel = buttons->button(QDialogButtonBox::Cancel)->text();
        c.FileOpen = buttons->button(QDialogButtonBox::Open)->text();
    }
    return c;
}

void ExpectEnglish(QWidget* parent, const char* when) {
    const TQtCaptions c = QtCaptionsNow(parent);
    EXPECT_EQ(c.Yes, "&Yes") << when;
    EXPECT_EQ(c.Cancel, "Cancel") << when;
    EXPECT_EQ(c.FileCancel, "Cancel") << when;
    EXPECT_EQ(c.FileOpen, "&Open") << when;
    EXPECT_NE(c.Locale, QLocale::Polish) << when;
}

void ExpectPolish(QWidget* parent, const char* when) {
    const TQtCaptions c = QtCaptionsNow(parent);
    EXPECT_EQ(c.Yes, "&Tak") << when;
    EXPECT_EQ(c.Cancel, "Anuluj") << when;
    EXPECT_EQ(c.FileCancel, "Anuluj") << when;
    EXPECT_EQ(c.FileOpen, QString::fromUtf8("&Otwórz")) << when;
    // Dates and sizes in the file dialog's columns are written the Polish way.
    EXPECT_EQ(c.Locale, QLocale::Polish) << when;
}

TEST_F(StudioTest, QtOwnTextsFollowTheLanguageChangesOfStudio) {
    MakeMain();
    ExpectEnglish(Main.get(), "at start");
    Main->ChangeLanguage(core::LangPolish);
    ExpectPolish(Main.get(), "after the change to Polish");
    Main->ChangeLanguage(core::LangEnglish);
    ExpectEnglish(Main.get(), "after the change back");
    Main->ChangeLanguage(core::LangPolish);
    // The stored choice gives Polish from the start of the next run.
    DestroyMain();
    ResetEnvironment();
    Store().WriteInt("\\Software\\Tallyra Systems\\Tallyra Studio\\Languages", "Current", 2);
    ExpectEnglish(nullptr, "before the window exists");
    MakeMain();
    ExpectPolish(Main.get(), "at a start in Polish");
}

TEST_F(StudioTest, AnOpenFileDialogTakesTheNewLanguage) {
    MakeMain();
    QFileDialog files(Main.get());
    files.setOption(QFileDialog::DontUseNativeDialog);
    files.show();
    QApplication::processEvents();
    auto* buttons = files.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "Cancel");
    Main->ChangeLanguage(core::LangPolish);
    QApplication::processEvents();
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "Anuluj");
}

TEST(QtTextsInTheStation, FollowTheStationsLanguage) {
    ResetEnvironment();
    {
        TAppTYStation_Form station;
        station.SetStartupFiles({});
        station.show();
        QApplication::processEvents();
        ExpectEnglish(&station, "station at start");
        station.ChangeLanguage(core::LangPolish);
        ExpectPolish(&station, "station in Polish");
        EXPECT_EQ(core::CurrentLanguage(), core::LangPolish);
    }
    QApplication::processEvents();
    ResetEnvironment();
    ExpectEnglish(nullptr, "after the environment is reset");
}

}  // namespace
}  // namespace tallyra::gui::test
