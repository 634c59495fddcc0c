#include "guitestenv.h"

#include <QApplication>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "shell/langtext.h"
#include "shell/tappcmplx.h"
#include "shell/tappgen.h"

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
    SetMsgHandler([](TMsgKind kind, const std::string& text) {
        Boxes().Log.push_back({kind, text});
        if (kind != TMsgKind::Confirm) return MsgResultOk;
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

}  // namespace tallyra::gui::test

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    tallyra::gui::TAppGen_Form::SetShowLogo(false);
    tallyra::gui::TAppCmplx_Form::UseProcessArguments() = false;
    tallyra::gui::test::ResetEnvironment();
    return RUN_ALL_TESTS();
}
