#pragma once
// The ten shortcuts: paths of audio files that the shortcut player plays on demand, kept
// in "ATALHOS.INI", one path a line. No widget here.
#include <QString>
#include <QStringList>
#include <array>

class Atalhos
{
public:
    static constexpr int kQuantidade = 10;
    static QString nomeArquivo(); // "ATALHOS.INI"

    enum class Leitura { Lido, Ausente, Ilegivel };

    // Line k of the file becomes entry k as it stands; entries without a line keep their
    // value and lines after the tenth are ignored. A file that exists but cannot be read
    // changes nothing and is remembered, so that grava() does not replace it unseen.
    Leitura le(const QString &caminho, QString *erro = nullptr);

    // Ten lines, or the file deleted when every entry is blank. False (with the reason) when
    // the file could not be replaced or deleted; the old file is then left whole.
    bool grava(const QString &caminho, QString *erro = nullptr) const;

    // Entry 1..10; empty outside.
    QString entrada(int numero) const;
    void setEntrada(int numero, const QString &caminho);
    bool todasVazias() const;
    bool arquivoIlegivel() const { return m_ilegivel; }

private:
    std::array<QString, kQuantidade> m_entradas{};
    bool m_ilegivel = false;
};
