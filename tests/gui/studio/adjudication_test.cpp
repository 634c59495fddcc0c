// SPDX-License-Identifier: GPL-3.0-or-later
// The Compare data files window: chosen values pass the field's rules, and
// the two keyings stay locked and unchanged while they are adjudicated.
#include "studio/adjudication.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "data/datafile.h"
#include "guitestenv.h"
#include "shell/errors.h"
#include "shell/modalrun.h"
#include "studio/ttydchild.h"

using namespace tallyra;
using namespace tallyra::gui;
using namespace tallyra::gui::test;

namespace {

constexpr size_t L = 54;  // the example's record length

class AdjudicationTest : public StudioTest {
protected:
    // The example opened and a second keying that differs in the car type
    // of household 1 (row 0) and the year of household 4 (row 1).
    void Prepare() {
        MakeMain();
        First = ReadFile(TALLYRA_EXAMPLES_DIR "/household.dat");
        WriteFile(PathOf("household.dat"), First);
        OpenScript("household.slo", ReadFile(TALLYRA_EXAMPLES_DIR "/household.slo"));
        Second = First;
        Second.replace(0 * L + 6, 2, "12");
        Second.replace(3 * L + 8, 4, "2011");
        WriteFile(PathOf("second.dat"), Second);
        Boxes().FileAnswers = {
            {PathOf("household.dat")}, {PathOf("second.dat")}, {PathOf("res.dat")}};
    }
    void Run(std::function<void(TAdjudication_Form*)> body) {
        bool shown = false;
        SetModalHandler([&](QDialog* d) {
            auto* w = dynamic_cast<TAdjudication_Form*>(d);
            ASSERT_NE(w, nullptr);
            shown = true;
            ASSERT_EQ(w->Differences_Table->rowCount(), 2);
            body(w);
        });
        Main->UpdateDataMenu();
        Main->ScriptAction("CompareData_DataMenu")->trigger();
        EXPECT_TRUE(shown);
    }
    // Types into the chosen-value cell of a row as a user does.
    static void Type(TAdjudication_Form* w, int row, const char* text) {
        QTableWidget* t = w->Differences_Table;
        t->setCurrentCell(row, TAdjudication_Form::ColChosen);
        t->editItem(t->item(row, TAdjudication_Form::ColChosen));
        auto* editor = t->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();  // the delegate commits queued
        // The closed editor goes now, so that the next edit finds its own.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool Exists(const std::string& name) const {
        return QFile::exists(QString::fromStdString(PathOf(name)));
    }
    std::string First, Second;
};

}  // namespace

TEST_F(AdjudicationTest, ChosenValuesAreRefusedInTheirCellOrForcedAsInEntry) {
    Prepare();
    Run([&](TAdjudication_Form* w) {
        QTableWidget* t = w->Differences_Table;
        // Car type (range 0:20): no number.
        Type(w, 0, "ab");
        EXPECT_FALSE(w->Chosen(0).has_value());
        EXPECT_EQ(w->Refusal(0), "Invalid value.");
        EXPECT_EQ(t->item(0, TAdjudication_Form::ColChosen)->text().toStdString(), "ab");
        EXPECT_EQ(t->item(0, TAdjudication_Form::ColChosen)->toolTip().toStdString(),
                  "Invalid value.");
        EXPECT_TRUE(w->Problem_Label->isVisibleTo(w));
        EXPECT_EQ(w->Problem_Label->text().toStdString(),
                  "Record 00001, field CAR: \"ab\" is refused. Invalid value.");
        // Out of range, not forced: refused with the range.
        const size_t asked = Boxes().Log.size();
        Boxes().Answers = {MsgResultNo};
        Type(w, 0, "99");
        ASSERT_EQ(Boxes().Log.size(), asked + 1);
        EXPECT_EQ(Boxes().Log.back().Kind, TMsgKind::YesNo);
        EXPECT_EQ(Boxes().Log.back().Text, "Value out of range\r\n[0:20].\r\n\r\nForce value?");
        EXPECT_FALSE(w->Chosen(0).has_value());
        EXPECT_EQ(w->Refusal(0), "Value out of range [0:20], not forced.");
        // Forced: taken and counted.
        Boxes().Answers = {MsgResultYes};
        Type(w, 0, "99");
        EXPECT_EQ(w->Chosen(0).value_or(""), "99");
        EXPECT_EQ(w->Refusal(0), "");
        EXPECT_EQ(w->ForcedCount(), 1);
        EXPECT_FALSE(w->Problem_Label->isVisibleTo(w));
        // A typed number is padded as entry pads it; a too long one refused.
        Type(w, 1, "12345");
        EXPECT_EQ(w->Refusal(1), "The value is longer than the field (4 characters).");
        Type(w, 1, "0");
        EXPECT_EQ(w->Chosen(1).value_or(""), "0000");
        QTest::mouseClick(w->Save_Button, Qt::LeftButton);
    });
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 0) << Boxes().Log.back().Text;
    EXPECT_EQ(Boxes().Log.back().Text, "The resolved file was written:\r\n\"" + PathOf("res.dat") +
                                           "\".\r\nValues forced out of range: 1.");
    std::string resolved = First;
    resolved.replace(0 * L + 6, 2, "99");
    resolved.replace(3 * L + 8, 4, "0000");
    EXPECT_EQ(ReadFile(PathOf("res.dat")), resolved);
}

TEST_F(AdjudicationTest, TheKeyingsStayLockedAndAChangedOneIsNotWrittenOver) {
    Prepare();
    Run([&](TAdjudication_Form* w) {
        // No store opens a keying while it is adjudicated.
        for (const char* name : {"household.dat", "second.dat"}) {
            core::TDataFile store;
            std::string text = "opened";
            try {
                store.Open(PathOf(name));
            } catch (const core::EGeneric& e) {
                text = e.Text();
            }
            EXPECT_EQ(text, "File access denied - possibly in use by another application.") << name;
        }
        w->ChooseSecond(0);
        w->ChooseFirst(1);
        // Another program (outside the locks) swaps households 1 and 2.
        std::string moved = First;
        moved.replace(0, L, First.substr(L, L));
        moved.replace(L, L, First.substr(0, L));
        WriteFile(PathOf("household.dat"), moved);
        QTest::mouseClick(w->Save_Button, Qt::LeftButton);
    });
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
    // The file as a whole, or else its record 1, is found changed.
    const std::string& text = Boxes().Log.back().Text;
    const std::string head = "Error saving file:\r\n\"" + PathOf("res.dat") + "\".\r\n\r\n";
    const std::string file = "The file \"" + PathOf("household.dat") + "\" has changed";
    const std::string record = "Record 1 of the file \"" + PathOf("household.dat") +
                               "\" is not the record that was compared: the file has changed";
    EXPECT_TRUE(text.starts_with(head + file) || text.starts_with(head + record)) << text;
    EXPECT_TRUE(
        text.ends_with(" since the comparison. Nothing was written; compare the files again."))
        << text;
    EXPECT_FALSE(Exists("res.dat"));
    // The window is gone, and with it the locks.
    core::TDataFile store;
    store.Open(PathOf("household.dat"));
}
