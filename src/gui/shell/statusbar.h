// SPDX-License-Identifier: GPL-3.0-or-later
// The status bar panels of a file main window: the hint panel (current hint
// or "Ready", with the progress gauge while a progress value is set) and the
// logo panel.
#pragma once

#include <QLabel>
#include <QWidget>

namespace tallyra::gui {

class THintPanel : public QWidget {
public:
    explicit THintPanel(QWidget* parent);

    // The hint shown; an empty hint shows the selected "Ready".
    void SetHint(const QString& hint);
    QString Hint() const { return HintText; }
    // The text the panel draws now.
    QString ShownText() const;
    // Sets the hint and the progress (0..100; -1 hides the gauge); a hint of
    // "*" keeps the current hint.
    void SetProgress(const QString& hint, int percent);
    int Progress() const { return Percent; }

    // Gauge geometry for the current hint and progress: the start position,
    // the sunken frame and the solid bar (empty without progress).
    int GaugeStart() const;
    QRect GaugeFrame() const;
    QRect GaugeBar() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QString HintText;
    int Percent = -1;
};

class TLogoPanel : public QLabel {
public:
    explicit TLogoPanel(QWidget* parent);
};

}  // namespace tallyra::gui
