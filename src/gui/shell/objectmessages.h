// SPDX-License-Identifier: GPL-3.0-or-later
// Messages between windows. Object messages are owned custom events: posting
// one passes it to Qt's queue (the receiver's loop destroys it after
// handling), sending one delivers it at once and destroys it afterwards;
// the sender never touches it again. Plain numbered window messages (1128
// child closed, 1129 language changed, 1130 fonts changed, 1464 reading
// progress) are events carrying two parameters.
#pragma once

#include <memory>

#include <QEvent>
#include <QList>
#include <QPointer>

class QAction;
class QObject;
class QWidget;

namespace tallyra::gui {

class TChildMDI_Form;

// Identifier of the object-message channel and of the numbered messages.
constexpr int WM_VRKObject = 32766;
constexpr int WM_ChildClosed = 1128;
constexpr int WM_LanguageChanged = 1129;
constexpr int WM_FontsChanged = 1130;
constexpr int WM_ReadingProgress = 1464;

// The Qt event type of a numbered window message.
QEvent::Type WindowMessageType(int message);

// Base of every object message.
class TWMVRKObject : public QEvent {
public:
    TWMVRKObject() : QEvent(WindowMessageType(WM_VRKObject)) {}
    ~TWMVRKObject() override = default;
    // First parameter of the carrying message: -1 for genuine object messages.
    int WParam = -1;
};

class TWMVRKFirstActivation : public TWMVRKObject {};
class TWMVRKStatusBar : public TWMVRKObject {};
class TWMVRKLogo_Handler : public TWMVRKObject {};
class TWMVRKHelpChanges_Handler : public TWMVRKObject {};

// Sent by a child on activation with its command list (borrowed actions
// owned by the child).
class TWMVRKChildMDI_Activate : public TWMVRKObject {
public:
    explicit TWMVRKChildMDI_Activate(QList<QAction*> commands) : Commands(std::move(commands)) {}
    QList<QAction*> Commands;
};

class TWMVRKChildMDI_Deactivate : public TWMVRKObject {};

// Sent by a child on destruction; the child pointer is for identification
// only (the child is being destroyed).
class TWMVRKChildMDI_Destroyed : public TWMVRKObject {
public:
    explicit TWMVRKChildMDI_Destroyed(const TChildMDI_Form* child) : Child(child) {}
    const TChildMDI_Form* Child;
};

// Queues the object for `window`; ownership passes with it.
void PostObject(QObject* window, std::unique_ptr<TWMVRKObject> object);
// Delivers the object to `window` now and destroys it.
void SendObject(QObject* window, std::unique_ptr<TWMVRKObject> object);

// A numbered window message with its two parameters.
class TWindowMessage : public QEvent {
public:
    TWindowMessage(int message, qintptr wParam, qintptr lParam)
        : QEvent(WindowMessageType(message)), Message(message), WParam(wParam), LParam(lParam) {}
    int Message;
    qintptr WParam;
    qintptr LParam;
};

// Queues / delivers a numbered window message.
void PostWindowMessage(QObject* window, int message, qintptr wParam, qintptr lParam);
void SendWindowMessage(QObject* window, int message, qintptr wParam, qintptr lParam);

}  // namespace tallyra::gui
