// A deck's transport: loading the selected entry, Play, Pause, Stop, the end of a track,
// loop, seek, balance, frequency, the default-frequency lamp, effects and the deck's clock.
#include "Deck.h"

#include "Mixagem.h"
#include "Tempo.h"
#include "UMIXER.h"
#include "audio/TMorvelBass.h"
#include "library/NativeName.h"
#include "settings/funcoes.h"
#include "visual/BackBuffer.h"
#include "visual/DeckVisuals.h"
#include "widgets/ColorButton.h"
#include "widgets/Lamp.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"
#include "widgets/LedNumber.h"
#include "widgets/NeedleMeter.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <stdexcept>

// ---------------- load ----------------

bool Deck::carrega()
{
    try {
        const int row = lista->currentRow();
        if (row < 0 || lista->count() == 0 || canal->Playing)
            return false;
        const QString path = arquivos.value(row);
        if (!NativeName::exists(path)) {
            funcoes::bip_mensagem(traits.arquivo_sem_nome
                                      ? QStringLiteral("Arquivo Selecionado não localizado !!!")
                                      : QStringLiteral("Arquivo ->") + path + QStringLiteral(" - Não Localizado !!"));
            tocar->setEnabled(false);
            return false;
        }
        try {
            canal->FreeStream();
            canal->LoadFile(path);
        } catch (...) {
            // The previous track is gone from the player: its title and length go too, and
            // Play stays off until something loads.
            limpa_mixer();
            sem_faixa();
            funcoes::mensagem(QStringLiteral("Erro ao Carregar Mídia - Verifique !!"));
            return false;
        }
        mostra_carregada(path);
        return canal->Loaded && canal->Channel != 0;
    } catch (...) {
    }
    return false;
}

void Deck::mostra_carregada(const QString &path)
{
    if (traits.limpa_ao_carregar) {
        limpa_grafico();
        limpa_mixer();
    }
    posicao->setMaximum(int(canal->GetLength()));
    velocidade->setEnabled(true);
    balanco->setEnabled(true);
    posicao->setEnabled(true);
    duracao->setText(minutos_segundos(canal->GetLength()));
    tocar->setEnabled(true);
    lista->setToolTip(path.trimmed());
    titulo->setText(canal->Title);
    frequencia->setText(QString::number(canal->Frequency()));
}

bool Deck::ja_carregada(const QString &arquivo) const
{
    return canal->Loaded && canal->Channel != 0 && canal->FileName == arquivo && NativeName::exists(arquivo);
}

void Deck::abre(int linha)
{
    if (linha < 0 || linha >= arquivos.size() || canal->Playing)
        return;
    const QString path = arquivos.at(linha);
    if (canal->LoadingFile() == path)
        return;
    try {
        canal->BeginLoad(path);
    } catch (...) {
        // No device: abertura() reports nothing opening, which the caller counts as a failure.
    }
    m_abrindo.start();
}

Deck::Abertura Deck::abertura(int espera_ms)
{
    const QString path = canal->LoadingFile();
    if (path.isEmpty())
        return Abertura::Nenhuma;
    const int resta = int(std::max<qint64>(0, kPrazoAberturaMs - m_abrindo.elapsed()));
    switch (canal->PollLoad(std::min(espera_ms, resta))) {
    case TMorvelBass::LoadState::Loaded:
        mostra_carregada(path);
        return Abertura::Aberta;
    case TMorvelBass::LoadState::Pending:
        if (m_abrindo.elapsed() < kPrazoAberturaMs)
            return Abertura::Esperando;
        canal->AbandonLoad(); // a drive that stopped answering: skipped like a broken file
        break;
    case TMorvelBass::LoadState::Idle:
    case TMorvelBass::LoadState::Failed:
    case TMorvelBass::LoadState::Refused:
        break;
    }
    limpa_mixer();
    sem_faixa();
    return Abertura::Falhou;
}

// ---------------- play, pause, stop ----------------

void Deck::toca()
{
    toca_desde(0);
}

void Deck::toca_desde(quint32 ms)
{
    m_console.Label7->setText(Tform_mixer::legendaPadrao());
    // The operator's Play takes the entry still opening in the background, as a load by hand
    // would wait for it.
    const QString abrindo = canal->LoadingFile();
    if (!abrindo.isEmpty() && abertura(kPrazoAberturaMs) != Abertura::Aberta) {
        m_console.mixagem->nao_tocou({TMorvelBass::titleOf(abrindo)});
        return;
    }
    if (!NativeName::exists(canal->FileName))
        return;
    if (QListWidgetItem *item = lista->currentItem())
        lista->scrollToItem(item, QAbstractItemView::PositionAtTop);
    if (traits.letreiro_antes_do_eq)
        m_console.reinicia_letreiro();
    saindo = false;
    m_console.aplica_equalizador(canal);
    freq_padrao = canal->Frequency();
    velocidade->setValue(freq_padrao);
    canal->SetPosition(ms);
    canal->SetGain(m_console.nivelamento->ganho(canal->FileName));
    canal->Play();
    // A player that holds no stream starts nothing: the deck must not look as if it played.
    if (!canal->Playing)
        return;
    outro->sem_entrada = -1;
    m_console.mixagem->TrackBar18Change();
    if (!traits.letreiro_antes_do_eq)
        m_console.reinicia_letreiro();
    relogio->start();
    tocar->setEnabled(false);
    parar->setEnabled(true);
    pausar->setEnabled(true);
    m_console.mixagem->atualiza_mix();
    if (m_console.mixagem->auto_mix()) {
        loop->setEnabled(false);
    } else {
        loop->setEnabled(true);
        canal->Looping = loop->isChecked();
    }
}

void Deck::pausa()
{
    if (!canal->Playing)
        return;
    if (canal->Paused) {
        canal->Play();
        parar->setEnabled(true);
        estado->setText(QStringLiteral("PLAY"));
    } else {
        canal->Pause();
        estado->setText(QStringLiteral("PAUSE"));
        parar->setEnabled(false);
    }
    tocar->setEnabled(false);
}

void Deck::para()
{
    if (!canal->Playing)
        return;
    parar->setEnabled(false);
    // A loud deck fades out; a quiet one stops at once and its stop handler loads the next entry.
    if (canal->Volume() >= 50)
        canal->FadeOut(500);
    else
        canal->Stop();
    tocar->setEnabled(true);
    pausar->setEnabled(false);
    saindo = true;
    limpa_grafico();
    limpa_mixer();
}

void Deck::limpa_mixer()
{
    posicao->setValue(0);
    minutos->setValue(0);
    segundos->setValue(0);
    duracao->setText(QStringLiteral("00:00"));
    frequencia->setText(QStringLiteral("00000"));
    barra->setValue(0);
    medidor->setValue(0);
}

void Deck::limpa_grafico()
{
    clearDisplay(caixa);
    caixa->update();
}

// ---------------- end of track ----------------

void Deck::fim_da_faixa()
{
    if (traits.fim_processa_eventos)
        QCoreApplication::processEvents();
    if (posicao->hasFocus())
        return;
    try {
        if (no_ar() && lista->count() > 0) {
            int next = lista->currentRow() + 1;
            if (next >= lista->count())
                next = 0;
            lista->setCurrentRow(next);
        }
        relogio->stop();
        limpa_grafico();
        if (!traits.fim_limpa_so_saindo || saindo)
            limpa_mixer();
        barra->setValue(0);
        medidor->setValue(0);
        if (!traits.fim_limpa_so_saindo && saindo)
            limpa_mixer();
        tocar->setEnabled(true);
        parar->setEnabled(false);
        if (!traits.fim_deixa_loop)
            loop->setEnabled(false);
        // Unchecking runs the boxes' handlers, which take the effects off the player.
        flanger->setChecked(false);
        eco->setChecked(false);
        corte->setChecked(false);
        m_console.mixagem->atualiza_mix();
    } catch (...) {
    }
    // This runs inside the player's stop. During an automatic mix neither a box nor a file
    // that does not answer may hold the show: the next entry opens in the background and a
    // failure is named on the status line, as hand-overs do.
    if (m_console.mixagem->auto_mix()) {
        m_console.mixagem->prepara(*this);
    } else {
        carrega();
    }
}

// ---------------- loop, seek, balance, frequency, effects ----------------

void Deck::loop_clique()
{
    if (traits.loop_sempre || canal->Playing)
        canal->Looping = loop->isChecked();
}

void Deck::busca(int ms)
{
    try {
        if (!canal->Playing)
            return;
        m_console.Timer3->stop();
        relogio->stop();
        canal->SetPosition(uint32_t(std::max(0, ms)));
        relogio->start();
        m_console.Timer3->start();
        if (traits.busca_retoma)
            canal->Play();
        tocar->setEnabled(false);
        parar->setEnabled(true);
        pausar->setEnabled(true);
    } catch (...) {
    }
}

void Deck::balanco_mudou()
{
    // Both decks' sound moves the way the slider moves.
    canal->setPan(balanco->value());
}

void Deck::velocidade_mudou()
{
    canal->setFrequency(velocidade->value());
}

void Deck::frequencia_padrao()
{
    canal->setFrequency(freq_padrao);
    velocidade->setValue(freq_padrao);
}

void Deck::duplo_clique()
{
    if (!canal->Playing)
        toca();
}

void Deck::flanger_clique() { canal->SetFlanger(flanger->isChecked()); }
void Deck::eco_clique() { canal->SetEcho(eco->isChecked()); }
void Deck::corte_clique() { canal->SetCut(corte->isChecked()); }
void Deck::intensidade_mudou() { canal->SetFlangerDepth(130, 120, intensidade->value()); }

// ---------------- the deck's clock ----------------

void Deck::mostra_tempo(const QString &texto)
{
    bool okMinutes = false, okSeconds = false;
    const int m = texto.mid(0, 2).toInt(&okMinutes);
    const int s = texto.mid(3, 2).toInt(&okSeconds);
    if (!okMinutes || !okSeconds)
        throw std::runtime_error("time text is not MM:SS");
    minutos->setValue(m);
    segundos->setValue(s);
}

void Deck::alterna_modo_tempo()
{
    modo_tempo = modo_tempo >= 2 ? 1 : modo_tempo + 1;
}

void Deck::tique()
{
    try {
        if (!canal->Playing)
            return;
        if (!canal->Paused && m_visuais.exists()) {
            float fft[512] = {};
            qint16 samples[1024];
            canal->GetFFT(fft);
            if (grafico == 1)
                canal->GetSamples(samples, sizeof samples);
            const int level = m_visuais.drawFrame(caixa, grafico, fft, grafico == 1 ? samples : nullptr);
            barra->setValue(level);
            medidor->setValue(level);
        }
        if (posicao->hasFocus())
            lista->setFocus();

        const uint32_t length = canal->GetLength();
        const uint32_t at = canal->GetPosition();
        const mixagem::Motivo motivo = m_console.mixagem->decide(*this, length, at);
        if (motivo == mixagem::Motivo::tempo)
            m_console.mixagem->passa_vez(*this);

        mostra_tempo(minutos_segundos(modo_tempo == 2 ? qint64(length) - qint64(at) : qint64(at)));
        duracao->setText(minutos_segundos(length));
        // A length first estimated from the file's header is corrected once it has been counted.
        if (posicao->maximum() != int(length))
            posicao->setMaximum(int(length));
        posicao->setValue(int(at));
        frequencia->setText(QString::number(canal->Frequency()));

        if (motivo == mixagem::Motivo::nivel)
            m_console.mixagem->passa_vez(*this);
    } catch (...) {
    }
}

// ---------------- housekeeping ----------------

void Deck::arruma_lista_vazia()
{
    if (lista->count() == 0)
        sem_faixa();
}

void Deck::sem_faixa()
{
    tocar->setEnabled(false);
    titulo->setText(QStringLiteral("Música:"));
}

void Deck::arruma_estado()
{
    const bool playing = canal->Playing;
    limpar->setEnabled(!playing);
    excluir->setEnabled(!playing);
    lampada_no_ar->setOn(playing ? !lampada_no_ar->isOn() : false);
    estado->setStyleSheet(playing ? QStringLiteral("color: rgb(255, 0, 0); font-weight: bold;")
                                  : QStringLiteral("color: rgb(64, 64, 64); font-weight: bold;"));
}
