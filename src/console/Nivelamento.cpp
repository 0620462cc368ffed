#include "Nivelamento.h"

#include "Acervo.h"
#include "Deck.h"
#include "UMIXER.h"
#include "library/AnalysisQueue.h"
#include "library/LibraryModel.h"
#include "settings/funcoes.h"

#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <algorithm>

Nivelamento::Nivelamento(Tform_mixer &console)
    : m_console(console)
    , m_fila(std::make_unique<AnalysisQueue>())
{
    m_listas.setSingleShot(true);
    m_listas.setInterval(300);
    connect(&m_listas, &QTimer::timeout, this, &Nivelamento::envia_listas);
    connect(m_fila.get(), &AnalysisQueue::progress, this, &Nivelamento::progresso);
    connect(m_console.acervo->biblioteca, &QAbstractItemModel::modelReset, this, [this] {
        if (m_valores.analisar_acervo)
            listas_mudaram();
    });
    connect(m_fila.get(), &AnalysisQueue::storeProblem, this,
            [this](const QString &texto) { m_console.Label7->setText(texto); });
}

Nivelamento::~Nivelamento() = default;

void Nivelamento::carrega()
{
    m_valores = Extras::carrega();
    if (ativo())
        m_listas.start();
}

void Nivelamento::grava()
{
    QString erro;
    if (!Extras::grava(m_valores, QString(), &erro))
        funcoes::mensagem(QStringLiteral("Erro ao Gravar ") + Extras::nomeArquivo() + QStringLiteral("\r") + erro);
}

void Nivelamento::define(const Extras::Valores &v)
{
    const bool ligou = (!ativo() && (v.normalizar || v.cortar_silencio)) || (!m_valores.analisar_acervo && v.analisar_acervo);
    m_valores = v;
    if (ligou)
        envia_listas();
}

double Nivelamento::ganho(const QString &path)
{
    if (!m_valores.normalizar)
        return 0;
    const auto r = m_fila->lookup(path);
    if (!r) {
        m_fila->urgent({path});
        return 0;
    }
    return audio::normalisationGainDb(*r, m_valores.alvo_lufs);
}

std::optional<audio::LoudnessResult> Nivelamento::som(const QString &path) const
{
    if (!m_valores.cortar_silencio)
        return std::nullopt;
    auto r = m_fila->lookup(path);
    if (!r || !r->ok || !r->audible())
        return std::nullopt;
    return r;
}

quint32 Nivelamento::inicio(const QString &path) const
{
    const auto r = som(path);
    return r ? quint32(r->audibleStartMs) : 0;
}

std::optional<quint32> Nivelamento::fim_do_som(const QString &path) const
{
    const auto r = som(path);
    return r ? std::optional<quint32>(quint32(r->audibleEndMs)) : std::nullopt;
}

bool Nivelamento::analisado(const QString &path) const
{
    return m_fila->lookup(path).has_value();
}

void Nivelamento::selecionada(const QString &path)
{
    if (ativo() && !path.isEmpty() && !analisado(path))
        m_fila->urgent({path});
}

QStringList Nivelamento::ainda_nao(const QStringList &paths) const
{
    QStringList novos;
    for (const QString &p : paths)
        if (!p.isEmpty() && !analisado(p))
            novos.append(p);
    return novos;
}

void Nivelamento::listas_mudaram()
{
    if (ativo())
        m_listas.start();
}

void Nivelamento::envia_listas()
{
    if (!ativo())
        return;
    Deck &a = *m_console.deck_a, &b = *m_console.deck_b;
    m_fila->later(ainda_nao(a.arquivos + b.arquivos));
    if (m_valores.analisar_acervo) {
        const LibraryModel &acervo = *m_console.acervo->biblioteca;
        QStringList todos;
        todos.reserve(acervo.trackCount());
        for (int i = 0; i < acervo.trackCount(); ++i)
            todos.append(acervo.path(i));
        m_fila->later(ainda_nao(todos));
    }
    QStringList proximas;
    for (Deck *d : {&a, &b})
        if (d->lista->currentRow() >= 0)
            proximas.append(d->arquivos.value(d->lista->currentRow()));
    m_fila->urgent(ainda_nao(proximas));
}

void Nivelamento::progresso(int feitos, int total)
{
    QLabel *linha = m_console.Label7;
    // Another message on the status line (a hand-over's failure) is left for the operator.
    const bool nossa = linha->text() == m_mostrado || linha->text() == Tform_mixer::legendaPadrao();
    if (!nossa)
        return;
    if (feitos >= total) {
        linha->setText(Tform_mixer::legendaPadrao());
        m_mostrado.clear();
        return;
    }
    const QLocale brasil(QLocale::Portuguese, QLocale::Brazil);
    m_mostrado = QStringLiteral("Analisando volume: %1 de %2").arg(brasil.toString(feitos), brasil.toString(total));
    linha->setText(m_mostrado);
}
