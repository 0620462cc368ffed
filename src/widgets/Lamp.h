#pragma once
// A small round panel lamp: the default-frequency lamps and the Mix A/B lamps.
#include <QColor>
#include <QWidget>

class Lamp : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool on READ isOn WRITE setOn NOTIFY toggled)
    Q_PROPERTY(QColor color READ color WRITE setColor)
    Q_PROPERTY(QColor offColor READ offColor WRITE setOffColor RESET resetOffColor)

public:
    explicit Lamp(QWidget *parent = nullptr);

    bool isOn() const { return m_on; }
    QColor color() const { return m_color; }
    void setColor(const QColor &c);
    // The dark lens; by default a deep shade of the lit colour.
    QColor offColor() const;
    void setOffColor(const QColor &c);
    void resetOffColor();

    // The lens circle in widget coordinates.
    QPointF lensCenter() const;
    qreal lensRadius() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    void setOn(bool on);
    void toggle() { setOn(!m_on); }

signals:
    void toggled(bool on);
    // Mouse signals, so the owner can light the lamp only while it is held down.
    void pressed();
    void released();
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_on = false;
    bool m_down = false;
    QColor m_color;
    QColor m_off;
};
