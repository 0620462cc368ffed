#include "settings/Extras.h"

#include "settings/DataFolder.h"
#include "settings/SettingsFile.h"
#include "settings/TextFile.h"

#include <algorithm>

namespace Extras {

namespace {

QString caminhoOuPadrao(const QString &caminho)
{
    return caminho.isEmpty() ? DataFolder::filePath(nomeArquivo()) : caminho;
}

// Only 0 and 1 switch; anything else keeps the default.
bool chave(const QStringList &linhas, const char *nome, bool padrao)
{
    int n = 0;
    if (!SettingsFile::inteiro(SettingsFile::le_chave(linhas, QString::fromLatin1(nome), QString()), &n)
        || (n != 0 && n != 1))
        return padrao;
    return n == 1;
}

} // namespace

QString nomeArquivo()
{
    return QStringLiteral("EXTRAS.INI");
}

Valores le_linhas(const QStringList &linhas)
{
    Valores v;
    v.normalizar = chave(linhas, "NORMALIZAR", v.normalizar);
    v.cortar_silencio = chave(linhas, "CORTAR_SILENCIO", v.cortar_silencio);
    v.analisar_acervo = chave(linhas, "ANALISAR_ACERVO", v.analisar_acervo);
    int alvo = 0;
    if (SettingsFile::inteiro(SettingsFile::le_chave(linhas, QStringLiteral("ALVO_LUFS"), QString()), &alvo))
        v.alvo_lufs = std::clamp(alvo, kAlvoMinimo, kAlvoMaximo);
    return v;
}

QStringList monta_linhas(const Valores &v)
{
    return {QStringLiteral("NORMALIZAR=%1").arg(int(v.normalizar)),
            QStringLiteral("ALVO_LUFS=%1").arg(std::clamp(v.alvo_lufs, kAlvoMinimo, kAlvoMaximo)),
            QStringLiteral("CORTAR_SILENCIO=%1").arg(int(v.cortar_silencio)),
            QStringLiteral("ANALISAR_ACERVO=%1").arg(int(v.analisar_acervo))};
}

Valores carrega(const QString &caminho)
{
    QStringList linhas;
    TextFile::readLines(caminhoOuPadrao(caminho), &linhas);
    return le_linhas(linhas);
}

bool grava(const Valores &v, const QString &caminho, QString *erro)
{
    return TextFile::writeLines(caminhoOuPadrao(caminho), monta_linhas(v), erro);
}

} // namespace Extras
