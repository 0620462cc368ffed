#pragma once
// A club-desk push button with an LED in it: "Auto Mix", "Sensibilidade" and the
// capture-mode switch. Checkable by default; the LED shows the checked state.
#include <QAbstractButton>
#include <QColor>

class LedButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(QColor ledOnColor READ ledOnColor WRITE setLedOnColor)
    Q_PROPERTY(QColor ledOffColor READ ledOffColor WRITE setLedOffColor RESET resetLedOffColor)
    Q_PROPERTY(QColor faceColor READ faceColor WRITE setFaceColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)

public:
    explicit LedButton(QWidget *parent = nullptr);
    explicit LedButton(const QString &caption, QWidget *parent = nullptr);

    QColor ledOnColor() const { return m_ledOn; }
    void setLedOnColor(const QColor &c);
    QColor ledOffColor() const;
    void setLedOffColor(const QColor &c);
    void resetLedOffColor();
    QColor faceColor() const { return m_face; }
    void setFaceColor(const QColor &c);
    QColor textColor() const { return m_text; }
    void setTextColor(const QColor &c);

    // Whether the LED is lit: the checked state, or the press of a non-checkable button.
    bool isLedLit() const;
    // The LED window in widget coordinates.
    QRectF ledRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF faceRect() const;

    QColor m_ledOn;
    QColor m_ledOff;
    QColor m_face;
    QColor m_text;
};
