// SPDX-License-Identifier: GPL-3.0-or-later
#include "langui.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QVariant>

#include "shell/langtext.h"

namespace tallyra::gui {

namespace {

constexpr const char* PropText = "tallyraTagText";
constexpr const char* PropHint = "tallyraTagHint";
constexpr const char* PropTip = "tallyraTagTip";
constexpr const char* PropTitle = "tallyraTagTitle";
constexpr const char* PropTab = "tallyraTagTab";

QString Sel(const QString& tagged) {
    return Q(core::LangText(S(tagged)));
}

void ApplyWidget(QWidget* w) {
    const QVariant text = w->property(PropText);
    if (text.isValid()) {
        const QString t = Sel(text.toString());
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            b->setText(t);
        else if (auto* l = qobject_cast<QLabel*>(w))
            l->setText(t);
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            g->setTitle(t);
    }
    const QVariant title = w->property(PropTitle);
    if (title.isValid()) w->setWindowTitle(Sel(title.toString()));
    const QVariant tab = w->property(PropTab);
    if (tab.isValid()) {
        // The page sits in the tab widget's stack; walk up to the tab widget.
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
                const int i = tabs->indexOf(w);
                if (i >= 0) tabs->setTabText(i, Sel(tab.toString()));
                break;
            }
    }
}

}  // namespace

QString LT(const char* tagged) {
    return Q(core::LangText(tagged));
}
QString LT(const std::string& tagged) {
    return Q(core::LangText(tagged));
}

void Tag(QAction* action, const std::string& caption, const std::string& hint,
         const std::string& tip) {
    action->setProperty(PropText, Q(caption));
    if (!hint.empty()) action->setProperty(PropHint, Q(hint));
    if (!tip.empty()) action->setProperty(PropTip, Q(tip));
    ApplyLanguageToAction(action);
}

void Tag(QMenu* menu, const std::string& caption, const std::string& hint) {
    Tag(menu->menuAction(), caption, hint);
}

void TagText(QWidget* widget, const std::string& caption) {
    widget->setProperty(PropText, Q(caption));
    ApplyWidget(widget);
}

void TagTitle(QWidget* widget, const std::string& title) {
    widget->setProperty(PropTitle, Q(title));
    ApplyWidget(widget);
}

void TagTab(QWidget* page, const std::string& caption) {
    page->setProperty(PropTab, Q(caption));
    ApplyWidget(page);
}

void ApplyLanguageToAction(QAction* a) {
    const QVariant text = a->property(PropText);
    if (text.isValid()) a->setText(Sel(text.toString()));
    const QVariant hint = a->property(PropHint);
    if (hint.isValid()) a->setStatusTip(Sel(hint.toString()));
    const QVariant tip = a->property(PropTip);
    if (tip.isValid())
        a->setToolTip(Sel(tip.toString()));
    else if (text.isValid())
        a->setToolTip(Sel(text.toString()).remove('&').trimmed());
}

void ApplyLanguageTo(QObject* root) {
    if (auto* w = qobject_cast<QWidget*>(root)) ApplyWidget(w);
    if (auto* a = qobject_cast<QAction*>(root)) ApplyLanguageToAction(a);
    for (QAction* a : root->findChildren<QAction*>())
        ApplyLanguageToAction(a);
    for (QWidget* w : root->findChildren<QWidget*>()) {
        ApplyWidget(w);
        // A menu's own action is not its child; its title lives there.
        if (auto* m = qobject_cast<QMenu*>(w)) ApplyLanguageToAction(m->menuAction());
    }
}

void PadMenuCaptions(QMenu* menu) {
    if (!menu) return;
    QAction* longest = nullptr;
    qsizetype longestLen = -1;
    for (QAction* a : menu->actions()) {
        if (!a->isVisible() || a->isSeparator()) continue;
        const qsizetype len = QString(a->text()).remove(QRegularExpression("\\s+$")).size();
        if (len > longestLen) {
            longestLen = len;
            longest = a;
        }
        if (a->menu()) PadMenuCaptions(a->menu());
    }
    if (longest) {
        QString t = longest->text();
        t.remove(QRegularExpression("\\s+$"));
        longest->setText(t + QString(10, ' '));
    }
}

}  // namespace tallyra::gui
