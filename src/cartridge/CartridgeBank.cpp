#include "cartridge/CartridgeBank.h"

#include "library/NativeName.h"
#include "settings/TextFile.h"
#include "settings/funcoes.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace CartridgeBank {

namespace {

// A piece of a line from a 1-based start; nothing for a count of zero or less.
QString copia(const QString &s, int inicio, int quantos)
{
    if (quantos <= 0)
        return QString();
    return s.mid(qMax(inicio, 1) - 1, quantos);
}

// 1-based position of the first occurrence, 0 when absent.
int posicao(const QString &s, const QString &procura)
{
    return int(s.indexOf(procura)) + 1;
}

} // namespace

QString fileName()
{
    return QStringLiteral("CARTUCHEIRA.PFL");
}

bool nomeInvalido(const QString &nome)
{
    return nome.size() == 4;
}

QString linha(int n, const CartridgeSlot &slot)
{
    return funcoes::zeros_esquerda(QString::number(n), 3) + QLatin1Char('#') + slot.titulo
        + QStringLiteral("$$") + slot.arquivo + QStringLiteral("%%%") + slot.cor;
}

QStringList linhas(const Slots &banco)
{
    QStringList out;
    for (int n = 1; n <= kSlots; ++n)
        out << linha(n, banco[size_t(n - 1)]);
    return out;
}

CartridgeSlot cortaLinha(const QString &l)
{
    const int cerquilha = posicao(l, QStringLiteral("#"));
    // File names may hold "$$" and "%%%" themselves. The path starts at the first "$$" that
    // is followed by the start of a whole path, which no file name holds; the colour, all
    // digits, follows the last "%%%". A line without them in its text reads as it always did.
    int cifrao = posicao(l, QStringLiteral("$$"));
    static const QRegularExpression inicioDeCaminho(QStringLiteral("\\$\\$(/|\\\\|[A-Za-z]:[\\\\/])"));
    const QRegularExpressionMatch caminho = inicioDeCaminho.match(l);
    if (caminho.hasMatch())
        cifrao = int(caminho.capturedStart()) + 1;
    const int porcento = int(l.lastIndexOf(QStringLiteral("%%%"))) + 1;
    CartridgeSlot s;
    s.titulo = copia(l, 5, cifrao - cerquilha - 1);
    s.arquivo = copia(l, cifrao + 2, porcento - cifrao - 2);
    s.cor = copia(l, porcento + 3, 255);
    return s;
}

Slots cortaLinhas(const QStringList &ls)
{
    Slots banco{};
    for (int k = 0; k < kSlots && k < ls.size(); ++k)
        banco[size_t(k)] = cortaLinha(ls.at(k));
    return banco;
}

QColor corBotao(const QString &cor)
{
    bool ok = false;
    int v = cor.toInt(&ok);
    if (!ok)
        v = kCinza;
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

QString legenda(const QString &titulo)
{
    return titulo.left(13);
}

LoadResult load(const QString &path, Slots *banco, QString *erro)
{
    *banco = Slots{};
    QStringList ls;
    switch (TextFile::readLines(path, &ls, erro)) {
    case TextFile::ReadStatus::Missing:
        return LoadResult::Missing;
    case TextFile::ReadStatus::Unreadable:
        return LoadResult::Unreadable;
    case TextFile::ReadStatus::Ok:
        break;
    }
    *banco = cortaLinhas(ls);
    return LoadResult::Loaded;
}

bool save(const QString &path, const Slots &banco, QString *erro)
{
    return TextFile::writeLines(path, linhas(banco), erro);
}

bool arquivoDeAudio(const QString &path)
{
    static const QStringList tipos = {QStringLiteral("mp3"), QStringLiteral("wav"), QStringLiteral("ogg"),
                                      QStringLiteral("wma"), QStringLiteral("flac"), QStringLiteral("m4a")};
    const QFileInfo info(path);
    return info.isFile() && tipos.contains(info.suffix(), Qt::CaseInsensitive);
}

CartridgeSlot doArquivo(const QString &path)
{
    CartridgeSlot s;
    s.titulo = NativeName::displayed(QFileInfo(path).fileName()).toUpper();
    s.arquivo = QDir::toNativeSeparators(path);
    s.cor = QString::number(kAmarelo);
    return s;
}

} // namespace CartridgeBank
