#include "cartridge/Shortcuts.h"

#include "settings/TextFile.h"

#include <QFile>
#include <QFileInfo>

QString Atalhos::nomeArquivo()
{
    return QStringLiteral("ATALHOS.INI");
}

Atalhos::Leitura Atalhos::le(const QString &caminho, QString *erro)
{
    QStringList linhas;
    switch (TextFile::readLines(caminho, &linhas, erro)) {
    case TextFile::ReadStatus::Missing:
        m_ilegivel = false;
        return Leitura::Ausente;
    case TextFile::ReadStatus::Unreadable:
        m_ilegivel = true;
        return Leitura::Ilegivel;
    case TextFile::ReadStatus::Ok:
        break;
    }
    m_ilegivel = false;
    for (int k = 0; k < kQuantidade && k < linhas.size(); ++k)
        m_entradas[size_t(k)] = linhas.at(k);
    return Leitura::Lido;
}

bool Atalhos::grava(const QString &caminho, QString *erro) const
{
    if (m_ilegivel) {
        if (erro)
            *erro = QStringLiteral("%1 could not be read and is left as it is").arg(caminho);
        return false;
    }
    if (todasVazias()) {
        QFile arquivo(caminho);
        if (!QFileInfo::exists(caminho) || arquivo.remove())
            return true;
        if (erro)
            *erro = arquivo.errorString();
        return false;
    }
    QStringList linhas;
    for (const QString &e : m_entradas)
        linhas << e;
    return TextFile::writeLines(caminho, linhas, erro);
}

QString Atalhos::entrada(int numero) const
{
    return numero >= 1 && numero <= kQuantidade ? m_entradas[size_t(numero - 1)] : QString();
}

void Atalhos::setEntrada(int numero, const QString &caminho)
{
    if (numero >= 1 && numero <= kQuantidade)
        m_entradas[size_t(numero - 1)] = caminho;
}

bool Atalhos::todasVazias() const
{
    for (const QString &e : m_entradas)
        if (!e.trimmed().isEmpty())
            return false;
    return true;
}
