#pragma once
// The splash window shown while the console is being built: a borderless black window on
// top of everything, with the product's opening picture, that closes itself after 3 s.
#include <QDialog>
#include <QImage>

class TThreadedTimer;

class Tform_abertura : public QDialog
{
    Q_OBJECT
public:
    static constexpr int larguraCliente = 457;
    static constexpr int alturaCliente = 269;

    explicit Tform_abertura(QWidget *parent = nullptr);

    // Closes the window at its first tick; enabled from creation, 3000 ms.
    TThreadedTimer *tempo = nullptr;

    // The opening picture, drawn once; public so it can be looked at on its own.
    static QImage desenhaAbertura(const QSize &tamanho);
    const QImage &quadro() const { return m_quadro; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void tempoTimer();
    void centraNaTela();

    QImage m_quadro;
};
