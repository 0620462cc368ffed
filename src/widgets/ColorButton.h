#pragma once
// Plain coloured push button in the desk's look, for the transport and list buttons.
// An optional transport symbol is drawn before the caption.
#include <QColor>
#include <QPushButton>

class ColorButton : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QColor faceColor READ faceColor WRITE setFaceColor)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(Glyph glyph READ glyph WRITE setGlyph)

public:
    enum Glyph { NoGlyph, Play, Pause, Stop };
    Q_ENUM(Glyph)

    explicit ColorButton(QWidget *parent = nullptr);
    explicit ColorButton(const QString &caption, QWidget *parent = nullptr);

    QColor faceColor() const { return m_face; }
    void setFaceColor(const QColor &c);
    QColor textColor() const { return m_text; }
    void setTextColor(const QColor &c);
    Glyph glyph() const { return m_glyph; }
    void setGlyph(Glyph g);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void drawGlyph(QPainter &p, const QRectF &box, const QColor &c) const;

    QColor m_face;
    QColor m_text;
    Glyph m_glyph = NoGlyph;
    bool m_hover = false;
};
