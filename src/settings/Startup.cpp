#include "Startup.h"

#include "settings/funcoes.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTime>

namespace Startup {

namespace {
QString meiaNoite()
{
    return QStringLiteral("00:00:00");
}

QString &formatoAtual()
{
    static QString formato = formatoHoraPadrao();
    return formato;
}
} // namespace

QString tituloAplicacao()
{
    return QStringLiteral("Quorvanti Velarix-Pro V");
}

QString parametros(const QStringList &argumentos)
{
    QString texto;
    for (const QString &p : argumentos)
        texto += QLatin1Char(' ') + p;
    return texto;
}

QString parametros()
{
    return parametros(QCoreApplication::arguments().mid(1));
}

bool telaAceita(const QSize &tela)
{
    return tela.width() >= larguraMinimaTela;
}

QString mensagemTelaMinima()
{
    return QStringLiteral("QUORVANTI VELARIX-PRO IV  - Resolução de tela Mínima 1024x768 - "
                          "Verifique\rQuorvanti Sistemas de Áudio");
}

bool verificaTela(const QSize &tela)
{
    if (telaAceita(tela))
        return true;
    funcoes::mensagem(mensagemTelaMinima());
    return false;
}

QString textoCopiaAberta()
{
    return QStringLiteral("Quorvanti já está aberto. A cópia anterior será ativada.");
}

QString tituloCopiaAberta()
{
    return QStringLiteral("Quorvanti Velarix já está aberto");
}

void avisaCopiaAberta()
{
    funcoes::mensagem(textoCopiaAberta(), tituloCopiaAberta());
}

QString formatoHoraPadrao()
{
    return QStringLiteral("HH:mm:ss");
}

QString formatoHora()
{
    return formatoAtual();
}

void setFormatoHora(const QString &formato)
{
    formatoAtual() = formato;
}

bool verifica_formato_hora()
{
    bool ok = true;

    // A text that does not parse leaves midnight, the zero time, for the next step.
    QTime hora = QTime::fromString(meiaNoite(), formatoHora());
    if (!hora.isValid()) {
        funcoes::mensagem(QStringLiteral("Formato de Hora Inválido:") + formatoHora());
        ok = false;
        hora = QTime(0, 0);
    }

    if (hora.toString(formatoHora()) != meiaNoite()) {
        if (funcoes::confirma(QStringLiteral(
                "O Formato de HORA Padrão do Windows está em modo incompatível com o VELARIX"
                "\r\rDESEJA QUE O SOFTWARE ACERTE O FORMATO PADRÃO PARA HH:mm:ss ??"))) {
            setFormatoHora(formatoHoraPadrao());
            if (QTime(0, 0).toString(formatoHora()) != meiaNoite())
                funcoes::mensagem(QStringLiteral("Não foi possível efetuar a correção - Verifique"));
        }
        ok = false;
    }
    return ok;
}

QString arquivoBiblioteca()
{
    return QStringLiteral("lista.upd");
}

bool precisaVerificarFormatoHora(const QString &pastaDados)
{
    return !QFileInfo::exists(QDir(pastaDados).filePath(arquivoBiblioteca()));
}

bool verificaFormatoHoraSePrimeiraVez(const QString &pastaDados)
{
    if (!precisaVerificarFormatoHora(pastaDados))
        return false;
    verifica_formato_hora();
    return true;
}

} // namespace Startup
