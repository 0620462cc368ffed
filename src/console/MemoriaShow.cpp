#include "MemoriaShow.h"

#include "Deck.h"
#include "Mixagem.h"
#include "UMIXER.h"
#include "audio/TMorvelBass.h"
#include "lists/ListFile.h"
#include "widgets/LedButton.h"

#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <algorithm>

MemoriaShow::MemoriaShow(Tform_mixer &console)
    : m_console(console)
{
    m_relogio.setInterval(1000);
    connect(&m_relogio, &QTimer::timeout, this, &MemoriaShow::observa);
    m_retomada.setInterval(50);
    connect(&m_retomada, &QTimer::timeout, this, [this] {
        if (m_subindo.isValid())
            sobe_volume();
        else
            segue_retomada();
    });
}

MemoriaShow::~MemoriaShow()
{
    termina();
}

void MemoriaShow::termina()
{
    if (!m_guardando)
        return;
    m_guardando = false;
    m_relogio.stop();
    ShowFile::EstadoDoShow fim = foto();
    fim.terminou = true;
    m_gravador.envia(fim);
}

void MemoriaShow::restaura()
{
    const ShowFile::Leitura lida = ShowFile::carrega();
    if (lida.situacao == ShowFile::Situacao::inutilizavel)
        m_console.Label7->setText(ShowFile::mensagemInutilizavel(lida));
    const ShowFile::Retomada r = ShowFile::decide_inicio(lida, !m_console.parametros.trimmed().isEmpty());
    if (r.acao != ShowFile::Acao::nada) {
        devolve_lista(*m_console.deck_a, lida.estado.a);
        devolve_lista(*m_console.deck_b, lida.estado.b);
    }
    if (r.acao == ShowFile::Acao::retoma) {
        m_console.LEDButton1->setChecked(lida.estado.auto_mix);
        m_console.LEDButton2->setChecked(lida.estado.por_nivel);
        Deck &volta = r.deck == ShowFile::NoAr::A ? *m_console.deck_a : *m_console.deck_b;
        retoma(volta, r.entrada, r.posicao);
        m_console.mixagem->prepara(*volta.outro); // ready for the next hand-over, as before the cut
    } else if (r.acao == ShowFile::Acao::so_listas) {
        for (Deck *d : {m_console.deck_a.get(), m_console.deck_b.get()})
            m_console.mixagem->prepara(*d);
    }
    m_guardando = true;
    m_enviado = foto();
    m_desde_envio.start();
    m_relogio.start();
}

void MemoriaShow::devolve_lista(Deck &d, const ShowFile::Deck &salvo)
{
    QStringList titulos;
    titulos.reserve(salvo.entradas.size());
    for (const QString &p : salvo.entradas)
        titulos.append(ListFile::titleFromPath(p));
    d.acrescenta(titulos, salvo.entradas);
    if (d.lista->count() > 0)
        d.lista->setCurrentRow(std::clamp(salvo.selecionada, 0, d.lista->count() - 1));
}

void MemoriaShow::retoma(Deck &d, int entrada, qint64 posicao)
{
    m_retomando = &d;
    m_arquivo = d.arquivos.value(entrada);
    m_posicao = posicao;
    d.lista->setCurrentRow(entrada);
    d.abre(entrada);
    segue_retomada();
}

void MemoriaShow::segue_retomada()
{
    Deck &d = *m_retomando;
    Deck::Abertura a = d.abertura(0);
    // The mix's own watch over background openings may have taken the answer first.
    if (a == Deck::Abertura::Nenhuma && d.ja_carregada(m_arquivo))
        a = Deck::Abertura::Aberta;
    switch (a) {
    case Deck::Abertura::Esperando:
        m_retomada.start();
        return;
    case Deck::Abertura::Aberta:
        break;
    case Deck::Abertura::Nenhuma:
    case Deck::Abertura::Falhou:
        m_retomada.stop();
        m_retomando = nullptr;
        m_console.mixagem->nao_tocou({TMorvelBass::titleOf(m_arquivo)});
        return;
    }
    m_console.mixagem->FadePadro1Click();
    d.toca_desde(quint32(std::max<qint64>(0, m_posicao)));
    if (!d.tocando()) {
        m_retomada.stop();
        m_retomando = nullptr;
        return;
    }
    // Back from a crash the music comes up gently, not at full blast.
    d.canal->setVolume(0);
    m_subindo.start();
    m_retomada.start();
    m_console.Label7->setText(QStringLiteral("Show restaurado após uma interrupção"));
}

void MemoriaShow::sobe_volume()
{
    Deck &d = *m_retomando;
    const double parte = std::min(1.0, double(m_subindo.elapsed()) / kEntradaSuaveMs);
    const int alvo = m_console.Trackbar6->value();
    if (d.tocando() && !d.saindo)
        d.canal->setVolume(int(alvo * parte));
    if (parte >= 1.0 || !d.tocando() || d.saindo) {
        m_retomada.stop();
        m_subindo.invalidate();
        m_retomando = nullptr;
        m_console.mixagem->TrackBar18Change();
    }
}

ShowFile::EstadoDoShow MemoriaShow::foto() const
{
    ShowFile::EstadoDoShow f;
    const Deck &a = *m_console.deck_a, &b = *m_console.deck_b;
    f.a = {a.arquivos, a.lista->currentRow()};
    f.b = {b.arquivos, b.lista->currentRow()};
    // On air: the deck that plays and is not on its way out (the incoming one during a fade).
    const Deck *no_ar = nullptr;
    for (const Deck *d : {&a, &b})
        if (d->tocando() && (!no_ar || no_ar->saindo))
            no_ar = d;
    if (no_ar) {
        f.no_ar = no_ar == &a ? ShowFile::NoAr::A : ShowFile::NoAr::B;
        const int linha = no_ar->lista->currentRow();
        f.entrada_no_ar = no_ar->arquivos.value(linha) == no_ar->canal->FileName
                              ? linha
                              : int(no_ar->arquivos.indexOf(no_ar->canal->FileName));
        f.posicao_no_ar = no_ar->canal->GetPosition();
    }
    f.auto_mix = m_console.LEDButton1->isChecked();
    f.por_nivel = m_console.LEDButton2->isChecked();
    return f;
}

void MemoriaShow::observa()
{
    const ShowFile::EstadoDoShow f = foto();
    ShowFile::EstadoDoShow sem_posicao = f;
    sem_posicao.posicao_no_ar = m_enviado.posicao_no_ar;
    const bool mudou = !(sem_posicao == m_enviado);
    if (!mudou && (f.no_ar == ShowFile::NoAr::nenhum || m_desde_envio.elapsed() < kIntervaloMs))
        return;
    m_gravador.envia(f);
    m_enviado = f;
    m_desde_envio.start();
}
