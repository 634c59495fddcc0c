// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a large data file in the data station and moving to its end
// (Ctrl+End), offscreen. Each figure is the best of three runs, printed next
// to a plain sequential read of the same file measured in the same run, and
// for a 10-record file, so the ratios show what grows with the file. The
// goal for 1 000 000 records is under 0.5 s for each step. Nothing is
// asserted.
//
//   station_open [RECORDS]   default 1 000 000
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include "data/tpxdatahandler.h"
#include "script/tpxdictionary.h"
#include "shell/msgbox.h"
#include "shell/settingsstore.h"
#include "shell/tappgen.h"
#include "station/tappstation.h"

using namespace tallyra;
namespace fs = std::filesystem;

namespace {

// A household questionnaire of the usual size: an identifier, 40 one- and
// two-digit answers and two texts on three pages; 120 characters a record.
std::string MakeScript() {
    std::string s = "left='id' width=6 range=[1:999999] recid*";
    for (int i = 0; i < 20; ++i)
        s += "left='a" + std::to_string(i) + "' width=2 range=[0:99]*";
    s += "left='name' text width=30*page*";
    for (int i = 0; i < 20; ++i)
        s += "left='b" + std::to_string(i) + "' width=1 range=[0:9]*";
    s += "page*left='note' text width=24*";
    return s;
}

void WriteData(const std::string& path, long records) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    std::string block;
    long written = 0;
    while (written < records) {
        block.clear();
        for (int i = 0; i < 4096 && written < records; ++i, ++written) {
            char id[8];
            std::snprintf(id, sizeof id, "%06ld", written % 999999 + 1);
            block += id;
            block += std::string(40, '1') + std::string(30, 'x') + std::string(20, '2') +
                     std::string(24, 'y') + "\r\n";
        }
        f.write(block.data(), std::streamsize(block.size()));
    }
}

double Seconds(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e9;
}

// Reads the file once from start to end in 1 MiB blocks.
double SequentialRead(const std::string& path) {
    QElapsedTimer t;
    t.start();
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return -1;
    std::vector<char> buf(1 << 20);
    while (::read(fd, buf.data(), buf.size()) > 0) {
    }
    ::close(fd);
    return Seconds(t);
}

struct TRun {
    double Open = 0, End = 0;
    int Record = 0;
};

TRun Measure(const std::string& script, const std::string& data) {
    TRun run;
    gui::TAppTYStation_Form w;
    w.SetStartupFiles({});
    w.resize(1000, 700);
    w.show();
    QApplication::processEvents();
    if (!w.OpenScript(script)) {
        std::fprintf(stderr, "error: script not opened\n");
        return run;
    }
    QElapsedTimer t;
    t.start();
    w.OpenData(data);
    QApplication::processEvents();
    w.repaint();
    run.Open = Seconds(t);
    if (!w.Store()) {
        std::fprintf(stderr, "error: data not opened\n");
        return run;
    }
    t.restart();
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_End, QString(),
                        Qt::ControlModifier);
    QApplication::processEvents();
    w.repaint();
    run.End = Seconds(t);
    run.Record = w.Store()->Context().Rec;
    w.CloseData();
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const long records = argc > 1 ? std::max(10L, std::atol(argv[1])) : 1000000L;
    gui::TAppGen_Form::SetShowLogo(false);
    gui::SetSettingsStoreFactory([] { return std::make_unique<core::TMemorySettingsStore>(); });
    gui::SetMsgHandler([](gui::TMsgKind, const std::string& text) {
        if (text.find("first time") == std::string::npos)
            std::fprintf(stderr, "box: %s\n", text.c_str());
        return gui::MsgResultNo;
    });
    // No file dialog: the files are opened by name below.
    gui::SetFileDialogHandler(
        [](const gui::TFileDialogRequest&) { return std::vector<std::string>(); });
    const fs::path dir =
        fs::temp_directory_path() / ("tallyra-station-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string script = (dir / "survey.slo").string();
    std::ofstream(script, std::ios::binary) << MakeScript();
    const long sizes[2] = {10, records};
    std::string files[2];
    for (int k = 0; k < 2; ++k) {
        files[k] = (dir / ("d" + std::to_string(sizes[k]) + ".dat")).string();
        WriteData(files[k], sizes[k]);
    }
    TRun best[2];
    double read = 1e9;
    for (int round = 0; round < 3; ++round) {
        read = std::min(read, SequentialRead(files[1]));
        for (int k = 0; k < 2; ++k) {
            // Moving past the end starts a new record on disk: each round
            // opens the file as written.
            if (round > 0) WriteData(files[k], sizes[k]);
            const TRun r = Measure(script, files[k]);
            if (round == 0 || r.Open < best[k].Open) best[k].Open = r.Open;
            if (round == 0 || r.End < best[k].End) best[k].End = r.End;
            best[k].Record = r.Record;
        }
    }
    std::printf("data station, offscreen, best of 3, seconds\n");
    std::printf("%-36s %12s %14ld\n", "", "10 records", records);
    std::printf("%-36s %12.4f %14.4f\n", "open the data file", best[0].Open, best[1].Open);
    std::printf("%-36s %12.4f %14.4f\n", "Ctrl+End to the last record", best[0].End, best[1].End);
    std::printf("%-36s %12s %14.4f\n", "sequential read of the file (1 MiB)", "", read);
    std::printf("records after Ctrl+End: %d and %d (file size %lld bytes)\n", best[0].Record,
                best[1].Record, static_cast<long long>(fs::file_size(files[1])));
    std::printf("goal: open and Ctrl+End under 0.5 s each for 1000000 records\n");
    fs::remove_all(dir);
    return 0;
}
