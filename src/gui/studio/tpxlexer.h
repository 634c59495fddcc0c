// SPDX-License-Identifier: GPL-3.0-or-later
// Syntax colouring of script windows: a QScintilla lexer that runs the
// shared colouring tokenizer over each line, keeping the tokenizer's state
// (inside a comment or not) per line, and paints the eight text styles with
// the colour elements of the settings.
#pragma once

#include <Qsci/qscilexercustom.h>

#include "script/tpxparser.h"
#include "script/tscriptoptions.h"

namespace tallyra::gui {

class TPXLexer : public QsciLexerCustom {
    Q_OBJECT
public:
    // `parser` is borrowed (the main window's one tokenizer) and outlives
    // the lexer.
    TPXLexer(const core::TPXParser* parser, QObject* parent);

    const char* language() const override { return "Tallyra script"; }
    QString description(int style) const override;
    void styleText(int start, int end) override;

    // Style i takes colour element i (font and background colour, bold,
    // italic, underline) on top of `font`.
    void ApplyColors(const core::TColorTable& colors, const QFont& font);

private:
    const core::TPXParser* Parser;
};

// 0x00BBGGRR as a Qt colour.
QColor ColorOf(uint32_t bgr);
uint32_t BgrOf(const QColor& color);

}  // namespace tallyra::gui
