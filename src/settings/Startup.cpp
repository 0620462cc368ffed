#include "Startup.h"

#include "settings/funcoes.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QFileInfo>
#include <QTime>

#include <cstdio>

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

bool traduzQt()
{
    static QTranslator tradutor;
    if (!tradutor.isEmpty())
        return true;
    if (!tradutor.load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QCoreApplication::installTranslator(&tradutor);
}

QString tituloAplicacao()
{
    return QStringLiteral("Quorvanti Velarix-Pro V");
}

QString versao()
{
    return QStringLiteral("5.1.5");
}

QString textoVersao()
{
    return QStringLiteral("Quorvanti Velarix-Pro ") + versao() + QLatin1Char('\n');
}

QString textoAjuda()
{
    return QStringLiteral("Uso: velarix [ARQUIVO]\n"
                          "       velarix --play ARQUIVO   toca ARQUIVO no primeiro dispositivo de som e sai\n"
                          "       velarix --version        mostra a versão e sai\n"
                          "       velarix --help           mostra esta ajuda e sai\n"
                          "Sem opção, abre a mesa de mixagem; ARQUIVO é tocado ao abrir.\n");
}

int respondeOpcao(const QString &argumento)
{
    QString texto;
    if (argumento == QLatin1String("--version"))
        texto = textoVersao();
    else if (argumento == QLatin1String("--help") || argumento == QLatin1String("-h"))
        texto = textoAjuda();
    else
        return -1;
    const QByteArray bytes = texto.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
    return 0;
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
