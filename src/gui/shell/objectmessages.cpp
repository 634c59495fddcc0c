// SPDX-License-Identifier: GPL-3.0-or-later
#include "objectmessages.h"

#include <QCoreApplication>

namespace tallyra::gui {

QEvent::Type WindowMessageType(int message) {
    return static_cast<QEvent::Type>(QEvent::User + message);
}

void PostObject(QObject* window, std::unique_ptr<TWMVRKObject> object) {
    if (!window) return;
    QCoreApplication::postEvent(window, object.release());
}

void SendObject(QObject* window, std::unique_ptr<TWMVRKObject> object) {
    if (!window) return;
    QCoreApplication::sendEvent(window, object.get());
}

void PostWindowMessage(QObject* window, int message, qintptr wParam, qintptr lParam) {
    if (!window) return;
    QCoreApplication::postEvent(window, new TWindowMessage(message, wParam, lParam));
}

void SendWindowMessage(QObject* window, int message, qintptr wParam, qintptr lParam) {
    if (!window) return;
    TWindowMessage m(message, wParam, lParam);
    QCoreApplication::sendEvent(window, &m);
}

}  // namespace tallyra::gui
