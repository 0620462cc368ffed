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

QWidget *janela_dona()
{
    if (QWidget *w = QApplication::activeModalWidget())
        return w;
    if (QWidget *w = QApplication::activeWindow())
        return w;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            return w;
    return nullptr;
}

namespace {
// Shows the box above whatever the operator looks at, the console included.
int mostra(QMessageBox &box)
{
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return box.exec();
}
} // namespace

void mensagem(const QString &texto, const QString &titulo)
{
    if (hook()) {
        hook()(texto);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, titulo.isEmpty() ? QApplication::applicationName() : titulo,
                    texto, QMessageBox::Ok, janela_dona());
    mostra(box);
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
                    QMessageBox::Ok | QMessageBox::Cancel, janela_dona());
    return mostra(box) == QMessageBox::Ok;
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
