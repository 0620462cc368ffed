#include "settings/ShowFile.h"

#include "settings/DataFolder.h"
#include "settings/TextFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <condition_variable>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>

namespace ShowFile {

namespace {

const QByteArray kCabecalho = QByteArrayLiteral("VELARIX-SHOW ");
constexpr int kVersao = 1;
const QByteArray kFim = QByteArrayLiteral("FIM=");

QString caminhoOuPadrao(const QString &caminho)
{
    return caminho.isEmpty() ? DataFolder::filePath(nomeArquivo()) : caminho;
}

bool precisaEscape(unsigned char c)
{
    return c == '%' || c < 0x20 || c == 0x7F;
}

void acrescentaCaminho(QByteArray &out, const QString &caminho)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = caminho.toUtf8();
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if (precisaEscape(c)) {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        } else {
            out += ch;
        }
    }
}

int valorHex(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Only what acrescentaCaminho writes is accepted back.
bool leCaminho(const char *p, qsizetype n, QString *caminho)
{
    QByteArray bytes;
    bytes.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '%') {
            if (i + 2 >= n)
                return false;
            const int alto = valorHex(p[i + 1]);
            const int baixo = valorHex(p[i + 2]);
            if (alto < 0 || baixo < 0 || !precisaEscape(static_cast<unsigned char>(alto * 16 + baixo)))
                return false;
            bytes += char(alto * 16 + baixo);
            i += 2;
        } else if (precisaEscape(c)) {
            return false;
        } else {
            bytes += char(c);
        }
    }
    if (!TextFile::isValidUtf8(bytes.constData(), bytes.size()))
        return false;
    *caminho = QString::fromUtf8(bytes);
    return true;
}

// Walks the lines of a file whose checksum already matched; any line out of place means it
// was not written by monta().
class Leitor
{
public:
    explicit Leitor(const QByteArray &corpo) : m_corpo(corpo) {}

    bool linha(const char **p, qsizetype *n)
    {
        if (m_pos >= m_corpo.size())
            return false;
        const qsizetype fim = m_corpo.indexOf("\r\n", m_pos);
        if (fim < 0)
            return false;
        *p = m_corpo.constData() + m_pos;
        *n = fim - m_pos;
        m_pos = fim + 2;
        return true;
    }

    // The value of the next line, which must be `chave` followed by "=".
    bool valor(const QByteArray &chave, QByteArray *v)
    {
        const char *p;
        qsizetype n;
        if (!linha(&p, &n) || n <= chave.size() || !QByteArrayView(p, n).startsWith(chave)
            || p[chave.size()] != '=')
            return false;
        *v = QByteArray(p + chave.size() + 1, n - chave.size() - 1);
        return true;
    }

    bool inteiro(const QByteArray &chave, qint64 minimo, qint64 maximo, qint64 *v)
    {
        QByteArray texto;
        if (!valor(chave, &texto) || texto.isEmpty() || texto.trimmed() != texto)
            return false;
        bool ok = false;
        *v = texto.toLongLong(&ok);
        return ok && *v >= minimo && *v <= maximo;
    }

    bool chave01(const QByteArray &chave, bool *v)
    {
        qint64 n = 0;
        if (!inteiro(chave, 0, 1, &n))
            return false;
        *v = n == 1;
        return true;
    }

    bool deck(char letra, Deck *d)
    {
        const QByteArray l(1, letra);
        qint64 selecionada = 0;
        qint64 quantas = 0;
        if (!inteiro(l + "_SELECIONADA", -1, std::numeric_limits<int>::max(), &selecionada)
            || !inteiro(l + "_ENTRADAS", 0, std::numeric_limits<int>::max(), &quantas))
            return false;
        d->selecionada = int(selecionada);
        d->entradas.clear();
        d->entradas.reserve(quantas);
        const QByteArray prefixo = l + "=";
        for (qint64 i = 0; i < quantas; ++i) {
            const char *p;
            qsizetype n;
            QString caminho;
            if (!linha(&p, &n) || !QByteArrayView(p, n).startsWith(prefixo)
                || !leCaminho(p + prefixo.size(), n - prefixo.size(), &caminho))
                return false;
            d->entradas.append(caminho);
        }
        return true;
    }

    bool noFim() const { return m_pos == m_corpo.size(); }

private:
    const QByteArray &m_corpo;
    qsizetype m_pos = 0;
};

Leitura inutilizavel(const QString &motivo)
{
    Leitura l;
    l.situacao = Situacao::inutilizavel;
    l.motivo = motivo;
    return l;
}

} // namespace

QString nomeArquivo()
{
    return QStringLiteral("SHOW.INI");
}

bool EstadoDoShow::operator==(const EstadoDoShow &o) const
{
    return a.entradas == o.a.entradas && a.selecionada == o.a.selecionada && b.entradas == o.b.entradas
        && b.selecionada == o.b.selecionada && no_ar == o.no_ar && entrada_no_ar == o.entrada_no_ar
        && posicao_no_ar == o.posicao_no_ar && auto_mix == o.auto_mix && por_nivel == o.por_nivel
        && terminou == o.terminou;
}

QByteArray monta(const EstadoDoShow &e)
{
    qsizetype estimativa = 256;
    for (const QString &c : e.a.entradas)
        estimativa += c.size() + 4;
    for (const QString &c : e.b.entradas)
        estimativa += c.size() + 4;
    QByteArray out;
    out.reserve(estimativa + estimativa / 4);
    qsizetype linhas = 0;
    const auto linha = [&](const QByteArray &texto) {
        out += texto;
        out += "\r\n";
        ++linhas;
    };
    const char noAr = e.no_ar == NoAr::A ? 'A' : e.no_ar == NoAr::B ? 'B' : '-';
    linha(kCabecalho + QByteArray::number(kVersao));
    linha("TERMINOU=" + QByteArray::number(int(e.terminou)));
    linha("AUTO_MIX=" + QByteArray::number(int(e.auto_mix)));
    linha("POR_NIVEL=" + QByteArray::number(int(e.por_nivel)));
    linha(QByteArray("NO_AR=") + noAr);
    linha("ENTRADA_NO_AR=" + QByteArray::number(std::max(e.entrada_no_ar, -1)));
    linha("POSICAO_NO_AR=" + QByteArray::number(std::max<qint64>(e.posicao_no_ar, 0)));
    for (const auto &[letra, d] : {std::pair<char, const Deck &>{'A', e.a}, {'B', e.b}}) {
        const QByteArray l(1, letra);
        linha(l + "_SELECIONADA=" + QByteArray::number(std::max(d.selecionada, -1)));
        linha(l + "_ENTRADAS=" + QByteArray::number(d.entradas.size()));
        for (const QString &c : d.entradas) {
            out += letra;
            out += '=';
            acrescentaCaminho(out, c);
            out += "\r\n";
            ++linhas;
        }
    }
    const QByteArray soma = QCryptographicHash::hash(out, QCryptographicHash::Md5).toHex();
    out += kFim + QByteArray::number(linhas) + ' ' + soma + "\r\n";
    return out;
}

Leitura le(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return inutilizavel(QStringLiteral("o arquivo está vazio"));
    if (!bytes.startsWith(kCabecalho))
        return inutilizavel(QStringLiteral("não é um arquivo de show"));
    {
        const qsizetype fim = bytes.indexOf("\r\n");
        const QByteArray versao = bytes.mid(kCabecalho.size(), fim < 0 ? -1 : fim - kCabecalho.size());
        if (versao != QByteArray::number(kVersao))
            return inutilizavel(QStringLiteral("formato %1 desconhecido").arg(QString::fromLatin1(versao.left(20))));
    }
    if (!bytes.endsWith("\r\n"))
        return inutilizavel(QStringLiteral("o arquivo termina no meio de uma linha (gravação interrompida)"));
    const qsizetype quebra = bytes.lastIndexOf("\r\n", bytes.size() - 3);
    const qsizetype inicioFim = quebra < 0 ? 0 : quebra + 2;
    const QByteArray ultima = bytes.mid(inicioFim, bytes.size() - 2 - inicioFim);
    if (!ultima.startsWith(kFim))
        return inutilizavel(QStringLiteral("falta a última linha (gravação interrompida)"));
    const QList<QByteArray> partes = ultima.mid(kFim.size()).split(' ');
    const QByteArray corpo = bytes.left(inicioFim);
    bool ok = false;
    const qint64 linhas = partes.size() == 2 ? partes[0].toLongLong(&ok) : -1;
    if (!ok || linhas != corpo.count("\r\n"))
        return inutilizavel(QStringLiteral("o número de linhas não confere (arquivo cortado ou alterado)"));
    if (partes[1] != QCryptographicHash::hash(corpo, QCryptographicHash::Md5).toHex())
        return inutilizavel(QStringLiteral("a soma de verificação não confere (arquivo danificado ou alterado)"));

    Leitura l;
    EstadoDoShow &e = l.estado;
    Leitor leitor(corpo);
    const char *p;
    qsizetype n;
    QByteArray noAr;
    qint64 entrada = 0;
    bool ok_campos = leitor.linha(&p, &n) && leitor.chave01("TERMINOU", &e.terminou)
        && leitor.chave01("AUTO_MIX", &e.auto_mix) && leitor.chave01("POR_NIVEL", &e.por_nivel)
        && leitor.valor("NO_AR", &noAr) && (noAr == "-" || noAr == "A" || noAr == "B")
        && leitor.inteiro("ENTRADA_NO_AR", -1, std::numeric_limits<int>::max(), &entrada)
        && leitor.inteiro("POSICAO_NO_AR", 0, std::numeric_limits<qint64>::max(), &e.posicao_no_ar)
        && leitor.deck('A', &e.a) && leitor.deck('B', &e.b) && leitor.noFim();
    if (!ok_campos)
        return inutilizavel(QStringLiteral("conteúdo fora do formato"));
    e.no_ar = noAr == "A" ? NoAr::A : noAr == "B" ? NoAr::B : NoAr::nenhum;
    e.entrada_no_ar = int(entrada);
    l.situacao = e.terminou ? Situacao::terminou : Situacao::interrompido;
    return l;
}

Leitura carrega(const QString &caminho)
{
    const QString arquivo = caminhoOuPadrao(caminho);
    if (!QFileInfo::exists(arquivo))
        return {};
    QFile f(arquivo);
    if (!f.open(QIODevice::ReadOnly))
        return inutilizavel(QStringLiteral("não foi possível ler o arquivo: %1").arg(f.errorString()));
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return inutilizavel(QStringLiteral("não foi possível ler o arquivo: %1").arg(f.errorString()));
    return le(bytes);
}

QString mensagemInutilizavel(const Leitura &leitura)
{
    return QStringLiteral("O show anterior não pôde ser recuperado\r%1: %2\rO console começa sem ele")
        .arg(nomeArquivo(), leitura.motivo);
}

bool grava(const EstadoDoShow &estado, const QString &caminho, QString *erro)
{
    const QByteArray bytes = monta(estado);
    return TextFile::saveWhole(
        caminhoOuPadrao(caminho), [&](QIODevice &f) { return f.write(bytes) == bytes.size(); }, erro);
}

Retomada decide_inicio(const Leitura &leitura, bool arquivo_de_inicio)
{
    Retomada r;
    // After a normal close the operator starts afresh, as the console always has.
    if (leitura.situacao != Situacao::interrompido)
        return r;
    r.acao = Acao::so_listas;
    const EstadoDoShow &e = leitura.estado;
    if (arquivo_de_inicio || !e.auto_mix || e.no_ar == NoAr::nenhum)
        return r;
    const Deck &d = e.no_ar == NoAr::A ? e.a : e.b;
    // The lists may have been saved a moment apart from the position: an entry that is no
    // longer there is not guessed at.
    if (e.entrada_no_ar < 0 || e.entrada_no_ar >= d.entradas.size())
        return r;
    r.acao = Acao::retoma;
    r.deck = e.no_ar;
    r.entrada = e.entrada_no_ar;
    r.posicao = e.posicao_no_ar;
    return r;
}

// --- Gravador ---

struct Gravador::Compartilhado
{
    std::mutex mutex;
    std::condition_variable acorda;
    std::condition_variable ocioso;
    std::optional<EstadoDoShow> pendente;
    bool gravando = false;
    bool parar = false;
    Escrita escrita;
    quint64 gravados = 0;
    quint64 falhas = 0;
    QString erro;
    std::thread fio;

    bool parado() const { return !pendente && !gravando; }

    void roda()
    {
        std::unique_lock lk(mutex);
        for (;;) {
            acorda.wait(lk, [this] { return pendente || parar; });
            if (!pendente)
                break; // stopping, and nothing left to write
            std::optional<EstadoDoShow> e;
            e.swap(pendente);
            gravando = true;
            lk.unlock();
            QString motivo;
            const bool ok = escrita(*e, &motivo);
            e.reset(); // a large list is freed without holding up envia()
            lk.lock();
            gravando = false;
            if (ok) {
                ++gravados;
            } else {
                ++falhas;
                erro = motivo;
            }
            ocioso.notify_all();
        }
    }
};

Gravador::Gravador(const QString &caminho, Escrita escrita) : m(std::make_shared<Compartilhado>())
{
    if (escrita) {
        m->escrita = std::move(escrita);
    } else {
        // Resolved here: the data folder is found through the application object.
        const QString arquivo = caminhoOuPadrao(caminho);
        m->escrita = [arquivo](const EstadoDoShow &e, QString *erro) { return grava(e, arquivo, erro); };
    }
    // The thread holds its own reference: a write still stuck when the writer is destroyed
    // finishes against live state.
    m->fio = std::thread([s = m] { s->roda(); });
}

Gravador::~Gravador()
{
    std::unique_lock lk(m->mutex);
    m->parar = true;
    m->acorda.notify_all();
    const bool terminou = m->ocioso.wait_for(lk, std::chrono::milliseconds(m_espera_final),
                                             [this] { return m->parado(); });
    lk.unlock();
    if (terminou)
        m->fio.join();
    else
        m->fio.detach();
}

void Gravador::envia(EstadoDoShow estado)
{
    EstadoDoShow velho;
    {
        std::lock_guard lk(m->mutex);
        if (m->pendente)
            velho = std::move(*m->pendente); // released outside the lock
        m->pendente = std::move(estado);
    }
    m->acorda.notify_one();
}

bool Gravador::esvazia(int ms)
{
    std::unique_lock lk(m->mutex);
    return m->ocioso.wait_for(lk, std::chrono::milliseconds(ms), [this] { return m->parado(); });
}

void Gravador::setEsperaFinal(int ms)
{
    m_espera_final = ms;
}

quint64 Gravador::gravados() const
{
    std::lock_guard lk(m->mutex);
    return m->gravados;
}

quint64 Gravador::falhas() const
{
    std::lock_guard lk(m->mutex);
    return m->falhas;
}

QString Gravador::ultimoErro() const
{
    std::lock_guard lk(m->mutex);
    return m->erro;
}

} // namespace ShowFile
