#include "Search.h"

#include <QCollator>
#include <QDir>
#include <QLocale>

#include <algorithm>

namespace Search {

QString maiusculas(const QString &texto)
{
    QString s(texto.size(), Qt::Uninitialized);
    char16_t *out = reinterpret_cast<char16_t *>(s.data());
    const char16_t *in = reinterpret_cast<const char16_t *>(texto.constData());
    for (qsizetype i = 0; i < texto.size(); ++i)
        out[i] = char16_t(maiuscula(in[i]));
    return s;
}

static bool contemEm(QStringView titulo, QStringView agulha, char16_t *buffer)
{
    const qsizetype n = std::min<qsizetype>(titulo.size(), TitleSpan);
    if (agulha.size() > n)
        return false;
    const char16_t *in = titulo.utf16();
    for (qsizetype i = 0; i < n; ++i)
        buffer[i] = char16_t(maiuscula(in[i]));
    return QStringView(buffer, n).indexOf(agulha) >= 0;
}

QVector<int> procura(int linhas, const std::function<QString(int)> &titulo, const QString &texto)
{
    QVector<int> achadas;
    if (texto.trimmed().isEmpty())
        return achadas;
    const QString agulha = maiusculas(texto);
    char16_t buffer[TitleSpan];
    for (int r = 0; r < linhas; ++r)
        if (contemEm(titulo(r), agulha, buffer))
            achadas.append(r);
    return achadas;
}

QVector<ArquivoAudio> lista_arquivos_audio(const QString &pasta)
{
    QVector<ArquivoAudio> lista;
    const QDir dir(pasta.isEmpty() ? QStringLiteral(".") : pasta);
    // Folders and hidden files stay out; a folder that cannot be read lists nothing.
    const QStringList nomes = dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString &nome : nomes) {
        const QString titulo = maiusculas(nome);
        if (titulo.endsWith(QLatin1String(".MP3")) || titulo.endsWith(QLatin1String(".WAV")))
            lista.append({titulo, nome});
    }
    QCollator ordem{QLocale()};
    ordem.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lista.begin(), lista.end(), [&ordem](const ArquivoAudio &a, const ArquivoAudio &b) {
        return ordem.compare(a.titulo, b.titulo) < 0;
    });
    return lista;
}

PartesInicio separa_parametro(const QString &parametros)
{
    qsizetype corte = parametros.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    corte = std::max(corte, parametros.lastIndexOf(QLatin1Char('\\')));
#endif
    if (corte < 0)
        return {QString(), parametros.left(255)};
    return {parametros.left(corte + 1), parametros.mid(corte + 1).left(255)};
}

} // namespace Search
