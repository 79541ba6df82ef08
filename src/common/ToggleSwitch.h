#pragma once

#include <QAbstractButton>

namespace hb {

// A labelled on/off switch: the text on the left, a knob in a rounded track on the right. It is
// a checkable button, so a click anywhere on it or the space bar turns it over.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit ToggleSwitch(const QString &text, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF trackRect() const;
};

} // namespace hb
