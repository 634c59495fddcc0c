// SPDX-License-Identifier: GPL-3.0-or-later
#include "tpxlexer.h"

#include <string>
#include <vector>

#include <QColor>
#include <QFont>
#include <Qsci/qsciscintilla.h>

#include "shell/cp1250.h"

namespace tallyra::gui {

namespace {

using Sci = QsciScintillaBase;

// The line's text as the editor holds it (UTF-8), without its line end.
std::string EditorLine(QsciScintilla* e, long line) {
    const long start = e->SendScintilla(Sci::SCI_POSITIONFROMLINE, line);
    const long end = e->SendScintilla(Sci::SCI_GETLINEENDPOSITION, line);
    std::string s;
    if (end <= start) return s;
    const char* p = reinterpret_cast<const char*>(e->SendScintilla(Sci::SCI_GETCHARACTERPOINTER));
    if (p) s.assign(p + start, static_cast<size_t>(end - start));
    return s;
}

}  // namespace

QColor ColorOf(uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

uint32_t BgrOf(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

TPXLexer::TPXLexer(const core::TPXParser* parser, QObject* parent)
    : QsciLexerCustom(parent), Parser(parser) {}

QString TPXLexer::description(int style) const {
    if (style < 0 || style >= core::TokenClassCount) return {};
    return QString::fromLatin1(core::TokenClassNames[style]);
}

void TPXLexer::ApplyColors(const core::TColorTable& colors, const QFont& font) {
    setDefaultFont(font);
    for (int i = 0; i < core::ColorElementCount; ++i) {
        QFont f = font;
        f.setBold(colors[size_t(i)].Bold != 0);
        f.setItalic(colors[size_t(i)].Italic != 0);
        f.setUnderline(colors[size_t(i)].Underline != 0);
        setFont(f, i);
        setColor(ColorOf(colors[size_t(i)].Foreground), i);
        setPaper(ColorOf(colors[size_t(i)].Background), i);
    }
    setDefaultPaper(ColorOf(colors[0].Background));
    setDefaultColor(ColorOf(colors[0].Foreground));
}

void TPXLexer::styleText(int start, int end) {
    QsciScintilla* e = editor();
    if (!e || !Parser) return;
    const long lineCount = e->SendScintilla(Sci::SCI_GETLINECOUNT);
    long line = e->SendScintilla(Sci::SCI_LINEFROMPOSITION, long(start));
    const long lastLine = e->SendScintilla(Sci::SCI_LINEFROMPOSITION, long(end));
    int state = line > 0 ? int(e->SendScintilla(Sci::SCI_GETLINESTATE, line - 1)) : core::psNormal;
    std::vector<uint8_t> classes;
    startStyling(e->SendScintilla(Sci::SCI_POSITIONFROMLINE, line));
    // Lines after the requested range are restyled while their starting
    // state changed, so an opened or closed comment recolours what follows.
    for (; line < lineCount; ++line) {
        const std::string utf8 = EditorLine(e, line);
        // The tokenizer works on code-page bytes, one per character; the
        // editor's characters are several UTF-8 bytes each.
        std::string bytes;
        std::vector<int> widths;
        for (size_t pos = 0; pos < utf8.size();) {
            const size_t from = pos;
            const char32_t cp = core::DecodeUtf8(utf8, pos);
            if (pos <= from) pos = from + 1;
            const int b = core::UnicodeToCp1250(cp);
            bytes += char(b < 0 ? 0xBF : b);  // unmapped: an inverted question mark
            widths.push_back(int(pos - from));
        }
        classes.clear();
        const int newState = Parser->ParseLine(bytes, state, classes);
        for (size_t i = 0; i < widths.size(); ++i)
            setStyling(widths[i], i < classes.size() ? classes[i] : 0);
        const long lineEnd = e->SendScintilla(Sci::SCI_POSITIONFROMLINE, line + 1);
        const long textEnd = e->SendScintilla(Sci::SCI_GETLINEENDPOSITION, line);
        if (line + 1 < lineCount && lineEnd > textEnd) setStyling(int(lineEnd - textEnd), 0);
        const int oldState = int(e->SendScintilla(Sci::SCI_GETLINESTATE, line));
        e->SendScintilla(Sci::SCI_SETLINESTATE, line, long(newState));
        state = newState;
        if (line >= lastLine && oldState == newState) break;
    }
}

}  // namespace tallyra::gui
