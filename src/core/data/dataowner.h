// SPDX-License-Identifier: GPL-3.0-or-later
// The window side of a record store: everything the store and the keyboard
// model need from the window that owns them (refresh, sounds, update mode,
// message boxes, the force-value question, the system beep). The Qt window,
// the command-line player and the tests each implement it.
#pragma once

#include <cstdint>
#include <string>

namespace tallyra::core {

// Kinds of message box the store and the keyboard model show.
enum class TOwnerBox { Information, Warning, Error };

class IPXDataOwner {
public:
    virtual ~IPXDataOwner() = default;

    // Asks for a refresh of the page after the current command; the window
    // queues it, so several requests during one command give one refresh.
    virtual void OwnerRefresh() = 0;
    // A refresh performed at once (the store asks for it right before it
    // shows a message box, so the box appears over the current state).
    virtual void OwnerRefreshNow() = 0;
    // Kind 1: the entry signal (page change, new record); kind 2: the
    // question sound (out-of-range value). Silent when the window's sound
    // option is off.
    virtual void OwnerSound(int kind) = 0;
    // Whether the window is in update mode.
    virtual bool OwnerUpdateMode() = 0;
    // The system beep, independent of the sound option (beep fields, refused
    // characters, invalid values).
    virtual void OwnerBeep() = 0;
    // A message box with an OK button; `text` is already selected (UTF-8).
    virtual void OwnerMessage(TOwnerBox kind, const std::string& text) = 0;
    // The force-value question: a Yes/No box titled "Confirm" with the
    // question icon and No as the default. True for Yes.
    virtual bool OwnerAskForce(const std::string& text) = 0;
    // The check options dialog before a data check: `question` ("Check ALL
    // the data?") is already selected; `mask` comes in as the current check
    // mask and goes out as the chosen one. False cancels the check. Owners
    // without such a dialog keep the mask and go on.
    virtual bool OwnerAskCheckOptions(const std::string& question, uint8_t& mask) {
        (void)question;
        (void)mask;
        return true;
    }
};

}  // namespace tallyra::core
