// SPDX-License-Identifier: GPL-3.0-or-later
#include "guitestenv.h"

#include <fstream>
#include <sstream>

#include <QApplication>

#include <gtest/gtest.h>

#include "shell/desktopmain.h"
#include "shell/langtext.h"
#include "shell/modalrun.h"
#include "shell/qttranslations.h"
#include "shell/tappcmplx.h"
#include "shell/tappgen.h"
#include "studio/tappmain.h"
#include "studio/tchldedit.h"
#include "studio/ttydchild.h"

namespace tallyra::gui::test {

namespace {
TScriptedBoxes* boxes = nullptr;
core::TMemorySettingsStore* store = nullptr;

// A store that forwards to the shared in-memory store (the windows own
// their store object only for one pass).
class TForwardStore : public core::TSettingsStore {
public:
    bool ReadValue(const std::string& k, const std::string& n, core::TSettingsValue& o) override {
        return Store().ReadValue(k, n, o);
    }
    void WriteValue(const std::string& k, const std::string& n,
                    const core::TSettingsValue& v) override {
        Store().WriteValue(k, n, v);
    }
    void DeleteKeyTree(const std::string& k) override { Store().DeleteKeyTree(k); }
};
}  // namespace

int TScriptedBoxes::Count(TMsgKind kind) const {
    int n = 0;
    for (const auto& s : Log)
        if (s.Kind == kind) ++n;
    return n;
}

TScriptedBoxes& Boxes() {
    return *boxes;
}
core::TMemorySettingsStore& Store() {
    return *store;
}

void ResetEnvironment() {
    delete boxes;
    delete store;
    boxes = new TScriptedBoxes;
    store = new core::TMemorySettingsStore;
    core::SetCurrentLanguage(core::LangEnglish);
    FollowLanguageInQt(core::LangEnglish);
    SetMsgHandler([](TMsgKind kind, const std::string& text) {
        Boxes().Log.push_back({kind, text});
        if (kind != TMsgKind::Confirm && kind != TMsgKind::YesNo) return MsgResultOk;
        if (Boxes().Answers.empty()) return MsgResultNo;
        const int a = Boxes().Answers.front();
        Boxes().Answers.pop_front();
        return a;
    });
    SetFileDialogHandler([](const TFileDialogRequest& r) {
        Boxes().FileRequests.push_back(r);
        if (Boxes().FileAnswers.empty()) return std::vector<std::string>{};
        auto a = Boxes().FileAnswers.front();
        Boxes().FileAnswers.pop_front();
        return a;
    });
    SetSettingsStoreFactory([] { return std::make_unique<TForwardStore>(); });
    TAppCmplx_Form::SetPrinterCheck([] { return false; });
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void StudioTest::SetUp() {
    ResetEnvironment();
    ASSERT_TRUE(Dir.isValid());
}

void StudioTest::TearDown() {
    // A handler a test left behind must not answer the dialogs of the next.
    SetModalHandler({});
    DestroyMain();
    SetMsgHandler({});
    ResetEnvironment();
}

TAppMain_Form* StudioTest::MakeMain() {
    // This version has run before: no changes prompt in these tests.
    Store().WriteStr("\\Software\\Tallyra Systems\\Tallyra Studio\\", "Version", "2.40");
    Main = std::make_unique<TAppMain_Form>();
    Main->show();
    QApplication::processEvents();
    return Main.get();
}

void StudioTest::DestroyMain() {
    if (!Main) return;
    // Unsaved test windows close without questions.
    for (TChildMDI_Form* c : Main->ChildWindows())
        if (auto* e = qobject_cast<TChldEdit_Form*>(c)) e->SetModified(false);
    Main.reset();
    QApplication::processEvents();
}

std::string StudioTest::PathOf(const std::string& name) const {
    return Dir.filePath(QString::fromStdString(name)).toStdString();
}

TChldEdit_Form* StudioTest::Editor(int i) const {
    return qobject_cast<TChldEdit_Form*>(Main->ChildWindows().at(i));
}

TChldEdit_Form* StudioTest::OpenNew(const std::string& name, const std::string& bytes) {
    WriteFile(PathOf(name), bytes);
    Main->OpenFile(PathOf(name));
    QApplication::processEvents();
    return qobject_cast<TChldEdit_Form*>(Main->ActiveChild());
}

TTYDChild_Form* StudioTest::OpenScript(const std::string& name, const std::string& bytes) {
    auto* w = qobject_cast<TTYDChild_Form*>(OpenNew(name, bytes));
    EXPECT_NE(w, nullptr);
    return w;
}

}  // namespace tallyra::gui::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tallyra::gui::TDesktopApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    tallyra::gui::TAppGen_Form::SetShowLogo(false);
    tallyra::gui::TAppCmplx_Form::UseProcessArguments() = false;
    tallyra::gui::test::ResetEnvironment();
    return RUN_ALL_TESTS();
}
