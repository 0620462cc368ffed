#pragma once
// The LED colon between a clock's minute and second panels.
#include <QColor>
#include <QWidget>

class LedColon : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool lit READ isLit WRITE setLit)
    Q_PROPERTY(QColor litColor READ litColor WRITE setLitColor)
    Q_PROPERTY(QColor unlitColor READ unlitColor WRITE setUnlitColor RESET resetUnlitColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit LedColon(QWidget *parent = nullptr);

    bool isLit() const { return m_lit; }
    void setLit(bool lit);
    QColor litColor() const { return m_litColor; }
    void setLitColor(const QColor &c);
    QColor unlitColor() const;
    void setUnlitColor(const QColor &c);
    void resetUnlitColor();
    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor &c);

    // Centre and radius of dot 0 (upper) or 1 (lower), in widget coordinates.
    QPointF dotCenter(int dot) const;
    qreal dotRadius() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_lit = true;
    QColor m_litColor;
    QColor m_unlit;
    QColor m_background;
};
