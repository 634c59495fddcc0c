// SPDX-License-Identifier: GPL-3.0-or-later
#include "modalrun.h"

#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace tallyra::gui {

namespace {

TModalHandler& Handler() {
    static TModalHandler handler;
    return handler;
}

TModalWindowHandler& WindowHandler() {
    static TModalWindowHandler handler;
    return handler;
}

// Ends the local event loop once the watched window is hidden or gone.
class THideWatcher : public QObject {
public:
    explicit THideWatcher(QEventLoop& loop) : Loop(loop) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide) Loop.quit();
        return QObject::eventFilter(watched, event);
    }

private:
    QEventLoop& Loop;
};

}  // namespace

void RunModalWindow(QWidget* window) {
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    QPointer<QWidget> guard(window);
    if (WindowHandler()) {
        WindowHandler()(window);
        if (guard && guard->isVisible()) guard->close();
        return;
    }
    QEventLoop loop;
    THideWatcher watcher(loop);
    window->installEventFilter(&watcher);
    QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
    if (guard) guard->removeEventFilter(&watcher);
}

void SetModalWindowHandler(TModalWindowHandler handler) {
    WindowHandler() = std::move(handler);
}

int RunModal(QDialog* dialog) {
    if (Handler()) {
        dialog->setResult(QDialog::Rejected);
        dialog->show();
        Handler()(dialog);
        const int result = dialog->result();
        dialog->hide();
        return result;
    }
    return dialog->exec();
}

void SetModalHandler(TModalHandler handler) {
    Handler() = std::move(handler);
}

}  // namespace tallyra::gui
