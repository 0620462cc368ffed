#include "funcoes.h"

#include <QApplication>
#include <QMessageBox>

namespace funcoes {

static MessageHook &hook()
{
    static MessageHook h;
    return h;
}

void setMessageHook(MessageHook h)
{
    hook() = std::move(h);
}

MessageHook messageHook()
{
    return hook();
}

void mensagem(const QString &texto, const QString &titulo)
{
    if (hook()) {
        hook()(texto);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, titulo.isEmpty() ? QApplication::applicationName() : titulo,
                    texto, QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void bip_mensagem(const QString &texto)
{
    QApplication::beep();
    mensagem(texto);
}

bool confirma(const QString &texto)
{
    QApplication::beep();
    if (hook()) {
        hook()(texto);
        return false;
    }
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Zyrtan Sistemas"), texto,
                    QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
    return box.exec() == QMessageBox::Ok;
}

QString zeros_esquerda(const QString &texto, int largura)
{
    int i = 0;
    while (i < texto.size() && texto.at(i) == QLatin1Char(' '))
        ++i;
    const QString limpo = texto.mid(i);
    if (limpo.size() < largura)
        return QString(largura - limpo.size(), QLatin1Char('0')) + limpo;
    return texto;
}

} // namespace funcoes
