// SPDX-License-Identifier: GPL-3.0-or-later
#include "statusbar.h"

#include <QPainter>

#include "langui.h"
#include "tappgen.h"

namespace tallyra::gui {

namespace {
constexpr int HintLeft = 2;
constexpr int HintClip = 150;
}  // namespace

THintPanel::THintPanel(QWidget* parent) : QWidget(parent) {
    setObjectName("Hint_Panel");
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void THintPanel::SetHint(const QString& hint) {
    HintText = hint;
    update();
}

QString THintPanel::ShownText() const {
    return HintText.isEmpty() ? LT("<EN>Ready<PL>Gotów") : HintText;
}

void THintPanel::SetProgress(const QString& hint, int percent) {
    if (hint != "*") HintText = hint;
    Percent = percent < -1 ? -1 : percent > 100 ? 100 : percent;
    update();
    repaint();
}

int THintPanel::GaugeStart() const {
    const int textWidth = qMin(HintClip, fontMetrics().horizontalAdvance(ShownText()));
    return HintLeft + textWidth + 40;
}

QRect THintPanel::GaugeFrame() const {
    if (Percent < 0) return {};
    const int start = GaugeStart();
    return QRect(QPoint(start - 1, 2), QPoint(start + 202, height() - 3));
}

QRect THintPanel::GaugeBar() const {
    if (Percent < 0 || Percent == 0) return {};
    const QRect f = GaugeFrame();
    return QRect(GaugeStart(), f.top() + 1, Percent * 2, f.height() - 2);
}

QSize THintPanel::sizeHint() const {
    return QSize(300, fontMetrics().height() + 6);
}

void THintPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int baseline = (height() + fontMetrics().ascent() - fontMetrics().descent()) / 2;
    if (Percent < 0) {
        p.drawText(HintLeft, baseline, ShownText());
        return;
    }
    p.save();
    p.setClipRect(QRect(0, 0, HintLeft + HintClip, height()));
    p.drawText(HintLeft, baseline, ShownText());
    p.restore();
    const QRect f = GaugeFrame();
    // Sunken frame: grey top and left, white bottom and right.
    p.setPen(QColor(128, 128, 128));
    p.drawLine(f.topLeft(), f.topRight());
    p.drawLine(f.topLeft(), f.bottomLeft());
    p.setPen(Qt::white);
    p.drawLine(f.bottomLeft(), f.bottomRight());
    p.drawLine(f.topRight(), f.bottomRight());
    const QRect bar = GaugeBar();
    if (!bar.isEmpty()) p.fillRect(bar, QColor(0, 0, 255));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(GaugeStart() + 220, baseline, QString::number(Percent) + "%");
}

TLogoPanel::TLogoPanel(QWidget* parent) : QLabel(parent) {
    setObjectName("Logo_Panel");
    setPixmap(AppLogoPixmap(16));
    setAlignment(Qt::AlignVCenter | Qt::AlignHCenter);
    setFixedWidth(24);
}

}  // namespace tallyra::gui
