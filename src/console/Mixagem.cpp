#include "Mixagem.h"

#include "Ajustes.h"
#include "Deck.h"
#include "UMIXER.h"
#include "audio/TMorvelBass.h"
#include "widgets/ColorButton.h"
#include "widgets/Lamp.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QTimer>
#include <algorithm>

Mixagem::Mixagem(Tform_mixer &console)
    : m_console(console)
{
    Tform_mixer &m = m_console;
    connect(m.Timer3, &QTimer::timeout, this, &Mixagem::Timer3Timer);
    m_espera.setObjectName(QStringLiteral("espera_abertura"));
    m_espera.setInterval(25);
    connect(&m_espera, &QTimer::timeout, this, &Mixagem::acompanha);
    connect(m.LEDButton1, &QAbstractButton::clicked, this, &Mixagem::LEDButton1Click);
    connect(m.speedbutton1, &QAbstractButton::clicked, this, &Mixagem::SpeedButton1Click);
    connect(m.speedbutton2, &QAbstractButton::clicked, this, &Mixagem::SpeedButton2Click);
    connect(m.FadeMix1, &QAction::triggered, this, &Mixagem::FadeMix1Click);
    connect(m.Trackbar18, &QSlider::valueChanged, this, &Mixagem::TrackBar18Change);

    QAction *centre = m.PopupMenu4->addAction(QStringLiteral("Fade Padrão "));
    centre->setObjectName(QStringLiteral("FadePadro1"));
    connect(centre, &QAction::triggered, this, &Mixagem::FadePadro1Click);
    for (QWidget *w : {static_cast<QWidget *>(m.Trackbar18), static_cast<QWidget *>(m.Panel9)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [&m, w](const QPoint &at) { m.PopupMenu4->popup(w->mapToGlobal(at)); });
    }
}

bool Mixagem::auto_mix() const
{
    return m_console.LEDButton1->isChecked();
}

mixagem::Regras Mixagem::regras() const
{
    mixagem::Regras r;
    r.auto_mix = auto_mix();
    r.por_nivel = m_console.LEDButton2->isChecked();
    r.tempo_mix = quint32(Ajustes::tempo_mixagem());
    r.sensibilidade = Ajustes::sensibilidade();
    return r;
}

mixagem::Motivo Mixagem::decide(const Deck &sai, quint32 duracao, quint32 posicao) const
{
    mixagem::Situacao s;
    s.tocando = sai.tocando();
    s.saindo = sai.saindo;
    s.outro_tocando = sai.outro->tocando();
    s.entradas_do_outro = sai.outro->lista->count();
    s.duracao = duracao;
    s.posicao = posicao;
    s.nivel = sai.barra->value();
    mixagem::Regras r = regras();
    // With trimming on, the time to mix counts back from the track's last sound (an end
    // already passed reads as reached). That end is known, so a quiet stretch before it is a
    // pause in the music, never a reason to mix by level.
    if (const auto fim = m_console.nivelamento->fim_do_som(sai.canal->FileName)) {
        s.duracao = std::max(posicao, std::min(duracao, *fim));
        r.por_nivel = false;
    }
    return mixagem::decide(s, r);
}

void Mixagem::nao_tocou(const QStringList &falhas, bool nenhuma)
{
    m_console.Label7->setText((nenhuma ? QStringLiteral("Nenhuma música da lista pode ser tocada - ") : QString())
                              + QStringLiteral("Não foi possível tocar: ") + falhas.join(QStringLiteral(", ")));
}

void Mixagem::passa_vez(Deck &sai, const QString &motivo)
{
    if (!entrando())
        comeca_entrada(*sai.outro, false, motivo);
}

void Mixagem::comeca_entrada(Deck &entra, bool manual, const QString &motivo)
{
    // Nothing in that list played last time and nothing has been added since.
    if (entra.sem_entrada == entra.lista->count())
        return;
    m_entrada = {&entra, manual, 0, {}, motivo};
    tenta(kEsperaMs);
}

void Mixagem::tenta(int espera_ms)
{
    QElapsedTimer gasto;
    gasto.start();
    Deck &e = *m_entrada.deck;
    for (;;) {
        // The operator started the deck meanwhile: the hand-over is theirs now.
        if (e.tocando())
            return termina_entrada();
        const int n = e.lista->count();
        if (n == 0 || e.arquivos.size() < n || m_entrada.tentadas >= n) {
            e.sem_entrada = n;
            if (!m_entrada.falhas.isEmpty())
                nao_tocou(m_entrada.falhas, true);
            return termina_entrada();
        }
        const int row = qBound(0, e.lista->currentRow(), n - 1);
        if (e.lista->currentRow() != row)
            e.lista->setCurrentRow(row);
        const QString path = e.arquivos.at(row);
        Deck::Abertura a = Deck::Abertura::Aberta;
        if (!e.ja_carregada(path)) {
            e.abre(row);
            a = e.abertura(int(std::max<qint64>(0, espera_ms - gasto.elapsed())));
        }
        if (a == Deck::Abertura::Esperando) {
            m_espera.start();
            return;
        }
        if (a == Deck::Abertura::Aberta && no_ar())
            return;
        m_entrada.falhas.append(TMorvelBass::titleOf(path));
        ++m_entrada.tentadas;
        e.lista->setCurrentRow((row + 1) % n);
    }
}

bool Mixagem::no_ar()
{
    Deck &e = *m_entrada.deck;
    // Both decks at the master volume, whatever side the crossfader was left on.
    FadePadro1Click();
    e.toca_desde(m_console.nivelamento->inicio(e.canal->FileName));
    if (!e.tocando())
        return false;
    e.sem_entrada = -1;
    if (!m_entrada.motivo.isEmpty())
        m_console.Label7->setText(m_entrada.motivo);
    if (!m_entrada.falhas.isEmpty())
        nao_tocou(m_entrada.falhas);
    // The outgoing deck fades only once the incoming one really plays.
    Deck &sai = *e.outro;
    if (sai.tocando()) {
        sai.canal->FadeOut(m_console.tempo_fade);
        sai.saindo = true;
        if (m_entrada.manual) {
            sai.tocar->setEnabled(false);
            sai.parar->setEnabled(false);
        }
    }
    termina_entrada();
    return true;
}

void Mixagem::termina_entrada()
{
    m_entrada = {};
}

void Mixagem::prepara(Deck &d)
{
    d.abre(d.lista->currentRow());
    segue(d, kEsperaMs);
    if (!d.canal->LoadingFile().isEmpty())
        m_espera.start();
}

void Mixagem::segue(Deck &d, int espera_ms)
{
    const QString path = d.canal->LoadingFile();
    if (d.abertura(espera_ms) == Deck::Abertura::Falhou)
        nao_tocou({TMorvelBass::titleOf(path)});
}

void Mixagem::acompanha()
{
    if (entrando())
        tenta(kEsperaMs / 4);
    for (Deck *d : {m_console.deck_a.get(), m_console.deck_b.get()})
        if (d != m_entrada.deck)
            segue(*d, 0);
    const bool abrindo = !m_console.deck_a->canal->LoadingFile().isEmpty()
                         || !m_console.deck_b->canal->LoadingFile().isEmpty();
    if (abrindo)
        m_espera.start();
    else
        m_espera.stop();
}

void Mixagem::atualiza_mix()
{
    for (Deck *d : {m_console.deck_a.get(), m_console.deck_b.get()}) {
        d->mix->setEnabled(!d->tocando());
        d->lampada_mix->setOn(!d->tocando()); // ready to take over
    }
}

void Mixagem::Timer3Timer()
{
    Deck &a = *m_console.deck_a, &b = *m_console.deck_b;
    a.arruma_lista_vazia();
    b.arruma_lista_vazia();
    atualiza_mix();
    a.arruma_estado();
    b.arruma_estado();
}

void Mixagem::LEDButton1Click()
{
    const bool on = auto_mix();
    for (Deck *d : {m_console.deck_a.get(), m_console.deck_b.get()}) {
        d->loop->setEnabled(!on);
        d->loop->setChecked(false);
    }
    Ajustes::habilita_mixagem(on);
    // An automatic hand-over still waiting on a file is not the operator's wish any more.
    if (!on && entrando() && !m_entrada.manual) {
        m_entrada.deck->canal->AbandonLoad();
        termina_entrada();
    }
    m_console.LEDButton2->setChecked(on);
    if (on) {
        for (Deck *d : {m_console.deck_b.get(), m_console.deck_a.get()})
            if (d->lista->count() > 0)
                d->carrega();
    }
}

// ---------------- crossfader and manual mix ----------------

void Mixagem::TrackBar18Change()
{
    // The side the fader moves towards keeps the master volume; the other side gets the
    // fader's distance from its end.
    const int x = m_console.Trackbar18->value();
    const int v = m_console.Trackbar6->value();
    TMorvelBass *a = m_console.deck_a->canal, *b = m_console.deck_b->canal;
    const bool aLoaded = m_console.deck_a->carregado();
    const bool bLoaded = m_console.deck_b->carregado();
    try {
        if (x < 100) {
            if (aLoaded)
                a->setVolume(v);
            if (bLoaded)
                b->setVolume(x);
        } else if (x == 100) {
            a->setVolume(v);
            b->setVolume(v);
        } else {
            if (aLoaded)
                a->setVolume(200 - x);
            if (bLoaded)
                b->setVolume(v);
        }
    } catch (...) {
    }
}

void Mixagem::FadePadro1Click()
{
    m_console.Trackbar18->setValue(100);
    TrackBar18Change();
}

void Mixagem::SpeedButton1Click() { passa_a_mao(*m_console.deck_a); }
void Mixagem::SpeedButton2Click() { passa_a_mao(*m_console.deck_b); }

void Mixagem::passa_a_mao(Deck &entra)
{
    Deck &sai = *entra.outro;
    // A deck that has just taken over is never started again from its beginning.
    if (entra.tocando() || entrando())
        return;
    if (!sai.tocando()) {
        entra.toca_desde(m_console.nivelamento->inicio(entra.canal->FileName));
        return;
    }
    entra.sem_entrada = -1; // the operator asks again: the whole list is tried again
    comeca_entrada(entra, true);
}

void Mixagem::FadeMix1Click()
{
    if (m_console.deck_b->no_ar() && m_console.speedbutton1->isEnabled())
        SpeedButton1Click();
    if (m_console.deck_a->no_ar() && m_console.speedbutton2->isEnabled())
        SpeedButton2Click();
}
