// SPDX-License-Identifier: GPL-3.0-or-later
// Exception classes of the engine. Failures are exceptions; problems found in
// scripts and data are messages (see script/tehlist.h), never exceptions.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace tallyra::core {

// Common base of every exception the engine raises on purpose. The text is
// already selected for the current language (UTF-8).
class ETallyraError : public std::exception {
public:
    explicit ETallyraError(std::string message) : Message(std::move(message)) {}
    const char* what() const noexcept override { return Message.c_str(); }
    const std::string& Text() const noexcept { return Message; }

private:
    std::string Message;
};

// A user-facing failure whose text is shown as it stands.
class EGeneric : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// A data file that does not fit its script.
class EPXData : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// Syntax errors of the SPSS syntax reader.
class EParserError : public ETallyraError {
public:
    using ETallyraError::ETallyraError;
};

// A script error raised inside reading; the reader turns it into a message
// with this code at the tokenizer's position. Empty text.
class ECompilerError : public ETallyraError {
public:
    explicit ECompilerError(int32_t code) : ETallyraError(std::string()), Code(code) {}
    int32_t Code;
};

// Raised by a message list when an error finds it full of errors; it ends the
// producer's work (the list already holds its overflow marker). Empty text.
class EMessagesLimit : public ETallyraError {
public:
    EMessagesLimit() : ETallyraError(std::string()) {}
};

}  // namespace tallyra::core
