#pragma once
// Owner-drawn colour push button of the cartridge bank: a coloured face, an optional
// 3-D frame, an outline of chosen colour and width, and a number box at the right edge.
#include <QColor>
#include <QPushButton>
#include <QString>

class TColorBtn : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QColor ButtonColor READ buttonColor WRITE setButtonColor)
    Q_PROPERTY(bool Bordas READ bordas WRITE setBordas)
    Q_PROPERTY(bool UsarFocus READ usarFocus WRITE setUsarFocus)
    Q_PROPERTY(QColor BordaCor READ bordaCor WRITE setBordaCor)
    Q_PROPERTY(int BordaWidth READ bordaWidth WRITE setBordaWidth)
    Q_PROPERTY(QString Numero READ numero WRITE setNumero)
    Q_PROPERTY(bool Loop READ loop WRITE setLoop)
    Q_PROPERTY(bool Checado READ checado WRITE setChecado)
    Q_PROPERTY(bool Frame3D READ frame3D WRITE setFrame3D)

public:
    // Only the face colour, the 3-D frame and the flat look are set here; a button made in
    // code therefore has no focus rectangle, a black outline colour and no outline.
    explicit TColorBtn(QWidget *parent = nullptr);

    QColor buttonColor() const { return m_buttonColor; }
    void setButtonColor(const QColor &c);
    bool bordas() const { return m_bordas; }
    void setBordas(bool on);
    bool usarFocus() const { return m_usarFocus; }
    void setUsarFocus(bool on);
    QColor bordaCor() const { return m_bordaCor; }
    void setBordaCor(const QColor &c);
    int bordaWidth() const { return m_bordaWidth; }
    void setBordaWidth(int width);
    QString numero() const { return m_numero; }
    void setNumero(const QString &text);
    // Kept for the owner; it does not change the look.
    bool loop() const { return m_loop; }
    void setLoop(bool on);
    bool checado() const { return m_checado; }
    void setChecado(bool on);
    bool frame3D() const { return m_frame3D; }
    void setFrame3D(bool on);

    // The number box at the right edge, in widget coordinates (empty without a number).
    QRect numeroRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    // Two quick clicks are two presses, not one press and a double click.
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QFont numeroFont() const;
    QRect faceRect() const;

    QColor m_buttonColor;
    bool m_bordas = true;
    bool m_usarFocus = false;
    QColor m_bordaCor = Qt::black;
    int m_bordaWidth = 0;
    QString m_numero;
    bool m_loop = false;
    bool m_checado = false;
    bool m_frame3D = false;
};
