// SPDX-License-Identifier: GPL-3.0-or-later
// Studio's Data menu beyond merging: Export data and Codebook through the
// menu, compared with the command line's output, and their refusals.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <Qsci/qsciscintilla.h>

#include <gtest/gtest.h>

#include "guitestenv.h"
#include "shell/modalrun.h"
#include "shell/statusbar.h"
#include "studio/adjudication.h"
#include "studio/ttydchild.h"

using namespace tallyra;
using namespace tallyra::gui;
using namespace tallyra::gui::test;

namespace {

class DataMenuTest : public StudioTest {
protected:
    TTYDChild_Form* OpenExample() {
        WriteFile(PathOf("household.dat"), ReadFile(TALLYRA_EXAMPLES_DIR "/household.dat"));
        return OpenScript("household.slo", ReadFile(TALLYRA_EXAMPLES_DIR "/household.slo"));
    }
    void Trigger(const char* name) {
        Main->UpdateDataMenu();
        QAction* a = Main->ScriptAction(name);
        ASSERT_NE(a, nullptr) << name;
        ASSERT_TRUE(a->isEnabled()) << name;
        a->trigger();
    }
    bool Exists(const std::string& name) const {
        return QFile::exists(QString::fromStdString(PathOf(name)));
    }
    // Runs the command line; its exit code.
    static int Cli(const QStringList& args) {
        QProcess cli;
        cli.start(TALLYRA_CLI_PATH, args);
        if (!cli.waitForFinished(60000)) return -1;
        return cli.exitCode();
    }
};

// The header of a system file holds the time it was written (bytes 92 to
// 108); everything else must be the same.
std::string WithoutWriteTime(std::string sav) {
    if (sav.size() > 109) sav.replace(92, 17, 17, '-');
    return sav;
}

// OK in the export options dialog, with the given boxes ticked.
void AcceptOptions(bool missing9) {
    SetModalHandler([missing9](QDialog* d) {
        auto* box = d->findChild<QAbstractButton*>("Mis9_CB");
        ASSERT_NE(box, nullptr);
        if (box->isChecked() != missing9) box->click();
        QTest::mouseClick(d->findChild<QPushButton*>("Done_Button"), Qt::LeftButton);
    });
}

}  // namespace

TEST_F(DataMenuTest, ExportThroughTheMenuWritesWhatTheCommandLineWrites) {
    MakeMain();
    OpenExample();
    const struct {
        const char* Gui;
        const char* Cli;
        bool Missing9;
    } cases[] = {{"gui.sav", "cli.sav", true}, {"gui.csv", "cli.csv", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Gui);
        Boxes().Log.clear();
        Boxes().FileRequests.clear();
        Boxes().FileAnswers = {{PathOf("household.dat")}, {PathOf(c.Gui)}};
        AcceptOptions(c.Missing9);
        Trigger("ExportData_DataMenu");
        ASSERT_EQ(Boxes().Count(TMsgKind::Error), 0) << Boxes().Log.back().Text;
        ASSERT_EQ(Boxes().Count(TMsgKind::Information), 1);
        EXPECT_NE(Boxes().Log.back().Text.find("records, 5 variables written to"),
                  std::string::npos)
            << Boxes().Log.back().Text;
        ASSERT_EQ(Boxes().FileRequests.size(), 2u);
        EXPECT_EQ(Boxes().FileRequests[0].Title, "Export data: data file");
        EXPECT_EQ(Boxes().FileRequests[1].Title, "Export data");
        EXPECT_EQ(Boxes().FileRequests[1].FileName, "household");
        EXPECT_NE(Boxes().FileRequests[1].Filter.find("Stata (*.dta)|*.dta"), std::string::npos);
        QStringList args{"export"};
        if (c.Missing9) args << "--missing-9";
        args << QString::fromStdString(PathOf("household.slo"))
             << QString::fromStdString(PathOf("household.dat"))
             << QString::fromStdString(PathOf(c.Cli));
        ASSERT_EQ(Cli(args), 0);
        const std::string gui = ReadFile(PathOf(c.Gui));
        ASSERT_FALSE(gui.empty());
        EXPECT_EQ(WithoutWriteTime(gui), WithoutWriteTime(ReadFile(PathOf(c.Cli))));
        EXPECT_EQ(Main->HintPanel()->Progress(), -1);
    }

    // Exporting again over the CSV keeps the old one as the backup.
    WriteFile(PathOf("gui.csv"), "old\r\n");
    Boxes().FileAnswers = {{PathOf("household.dat")}, {PathOf("gui.csv")}};
    AcceptOptions(false);
    Trigger("ExportData_DataMenu");
    EXPECT_EQ(ReadFile(PathOf("gui.bak")), "old\r\n");
    EXPECT_EQ(ReadFile(PathOf("gui.csv")), ReadFile(PathOf("cli.csv")));
}

TEST_F(DataMenuTest, RefusedExportsLeaveEveryFileAsItWas) {
    MakeMain();
    TTYDChild_Form* w = OpenExample();
    const std::string data = ReadFile(PathOf("household.dat"));
    // The data file itself as the target (a data file that happens to carry
    // an export extension): refused, the data untouched and not moved to a
    // backup.
    WriteFile(PathOf("keyed.csv"), data);
    Boxes().FileAnswers = {{PathOf("keyed.csv")}, {PathOf("keyed.csv")}};
    AcceptOptions(false);
    Trigger("ExportData_DataMenu");
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 1);
    EXPECT_NE(Boxes().Log.back().Text.find("is one of the input files"), std::string::npos)
        << Boxes().Log.back().Text;
    EXPECT_EQ(ReadFile(PathOf("keyed.csv")), data);
    EXPECT_FALSE(Exists("keyed.bak"));

    // A data file that does not fit the script: the station's text, and an
    // existing target stays in place.
    WriteFile(PathOf("short.dat"), "123\r\n");
    WriteFile(PathOf("keep.sav"), "previous");
    Boxes().FileAnswers = {{PathOf("short.dat")}, {PathOf("keep.sav")}};
    Trigger("ExportData_DataMenu");
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 2);
    EXPECT_EQ(ReadFile(PathOf("keep.sav")), "previous");
    EXPECT_FALSE(Exists("keep.bak"));
    EXPECT_EQ(Main->HintPanel()->Progress(), -1);

    // A name without a data-set extension.
    Boxes().FileAnswers = {{PathOf("household.dat")}, {PathOf("out.txt")}};
    Trigger("ExportData_DataMenu");
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 3);
    EXPECT_NE(Boxes().Log.back().Text.find(".sav, .zsav, .por, .dta or .csv"), std::string::npos);
    EXPECT_FALSE(Exists("out.txt"));

    // A script with errors opens no dialog for either command.
    w->Editor()->setText("left='a' widht=1*");
    Boxes().FileRequests.clear();
    SetModalHandler([](QDialog*) { ADD_FAILURE() << "no dialog expected"; });
    Trigger("ExportData_DataMenu");
    Trigger("Codebook_DataMenu");
    EXPECT_TRUE(Boxes().FileRequests.empty());
    EXPECT_EQ(Boxes().Count(TMsgKind::Error), 3);
}

TEST_F(DataMenuTest, CodebookWithAndWithoutDataIsTheCommandLinesPage) {
    MakeMain();
    OpenExample();
    // With the data file: frequencies.
    Boxes().FileAnswers = {{PathOf("household.dat")}, {PathOf("gui.html")}};
    Trigger("Codebook_DataMenu");
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 0) << Boxes().Log.back().Text;
    ASSERT_EQ(Boxes().FileRequests.size(), 2u);
    EXPECT_EQ(Boxes().FileRequests[1].Title, "Codebook");
    ASSERT_EQ(Cli({"codebook", "--lang", "en", QString::fromStdString(PathOf("household.slo")),
                   QString::fromStdString(PathOf("household.dat")),
                   QString::fromStdString(PathOf("cli.html"))}),
              0);
    EXPECT_EQ(ReadFile(PathOf("gui.html")), ReadFile(PathOf("cli.html")));

    // Cancel in the data dialog: the page without frequencies.
    Boxes().FileAnswers = {{}, {PathOf("plain.html")}};
    Trigger("Codebook_DataMenu");
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 0);
    ASSERT_EQ(Cli({"codebook", "--lang", "en", QString::fromStdString(PathOf("household.slo")),
                   QString::fromStdString(PathOf("cli-plain.html"))}),
              0);
    EXPECT_EQ(ReadFile(PathOf("plain.html")), ReadFile(PathOf("cli-plain.html")));
    EXPECT_NE(ReadFile(PathOf("plain.html")), ReadFile(PathOf("gui.html")));

    // Cancel in the page dialog writes nothing.
    Boxes().FileAnswers = {{PathOf("household.dat")}, {}};
    Trigger("Codebook_DataMenu");
    EXPECT_FALSE(Exists("household.html"));
}

TEST_F(DataMenuTest, CodebookLeavesTheDataFileAsItIsAndSaysWhereThePageIs) {
    MakeMain();
    OpenExample();
    // An old end-of-file mark after the records: a store opening the file
    // would cut it; a reader leaves it.
    const std::string bytes = ReadFile(PathOf("household.dat")) + "\x1a";
    WriteFile(PathOf("household.dat"), bytes);
    Boxes().FileAnswers = {{PathOf("household.dat")}, {PathOf("page.html")}};
    Trigger("Codebook_DataMenu");
    ASSERT_EQ(Boxes().Count(TMsgKind::Error), 0) << Boxes().Log.back().Text;
    EXPECT_EQ(ReadFile(PathOf("household.dat")), bytes);
    EXPECT_FALSE(Exists("household.bak"));
    EXPECT_EQ(Boxes().Log.back().Text, "The codebook was written to " + PathOf("page.html") + ".");
    EXPECT_TRUE(Exists("page.html"));
}

TEST_F(DataMenuTest, AdjudicationResolvesThreeDifferencesIntoANewFile) {
    MakeMain();
    OpenExample();
    const std::string first = ReadFile(PathOf("household.dat"));
    // The second keying differs in the car type of questionnaire 1, whether
    // household 2 owns a car and the year of household 4.
    std::string second = first;
    const size_t L = 54;
    second.replace(0 * L + 6, 2, "12");
    second.replace(1 * L + 5, 1, "1");
    second.replace(3 * L + 8, 4, "2011");
    WriteFile(PathOf("second.dat"), second);
    Boxes().FileAnswers = {{PathOf("household.dat")}, {PathOf("second.dat")}, {PathOf("res.dat")}};
    int rows = -1;
    SetModalHandler([&rows](QDialog* d) {
        auto* w = dynamic_cast<TAdjudication_Form*>(d);
        ASSERT_NE(w, nullptr);
        QTableWidget* t = w->Differences_Table;
        rows = t->rowCount();
        ASSERT_EQ(rows, 3);
        EXPECT_EQ(t->item(0, TAdjudication_Form::ColFirst)->text(), "\"07\"");
        EXPECT_EQ(t->item(1, TAdjudication_Form::ColSecond)->text(), "\"1\"");
        // Row 1: the first keying; row 2: the second; row 3: typed.
        t->selectRow(0);
        QTest::mouseClick(w->First_Button, Qt::LeftButton);
        t->selectRow(1);
        QTest::mouseClick(w->Second_Button, Qt::LeftButton);
        t->setCurrentCell(2, TAdjudication_Form::ColChosen);
        t->editItem(t->item(2, TAdjudication_Form::ColChosen));
        auto* editor = t->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        QTest::keyClicks(editor, "2009");
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();  // the delegate commits queued
        EXPECT_EQ(w->UnresolvedCount(), 0);
        EXPECT_EQ(w->Chosen(2).value_or(""), "2009");
        QTest::mouseClick(w->Save_Button, Qt::LeftButton);
    });
    Trigger("CompareData_DataMenu");
    ASSERT_EQ(rows, 3);
    std::string resolved = first;
    resolved.replace(1 * L + 5, 1, "1");
    resolved.replace(3 * L + 8, 4, "2009");
    EXPECT_EQ(ReadFile(PathOf("res.dat")), resolved);
    EXPECT_EQ(ReadFile(PathOf("household.dat")), first);
    EXPECT_EQ(ReadFile(PathOf("second.dat")), second);
}
