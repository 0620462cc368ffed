// The centre player: pre-listening a library track on the listening card (or playing it on
// the music card), its Cue switch, its level gauge and the library grid's context menu.
#include "Acervo.h"

#include "UMIXER.h"
#include "Placas.h"
#include "audio/AudioEngine.h"
#include "audio/TMorvelBass.h"

#include "library/LibraryModel.h"
#include "library/NativeName.h"
#include "settings/funcoes.h"
#include "visual/meter_vis.h"
#include "widgets/ColorButton.h"
#include "widgets/LedBarGauge.h"
#include "widgets/SkinPalette.h"

#include <QLabel>
#include <QTableView>
#include <QTimer>

using audio::AudioEngine;

namespace {

// Rows of video clips: the centre player has no picture to show them on.
bool eh_clipe(const QString &caminho)
{
    const QString fim = caminho.right(3).toUpper();
    return fim == QLatin1String("AVI") || fim == QLatin1String("MPG");
}

void avisa_clipe(QLabel *status, const QString &caminho)
{
    status->setText(QStringLiteral("Clipes de vídeo não tocam no Player Central: ") + TMorvelBass::titleOf(caminho));
}

} // namespace

void Acervo::BitBtn21Click()
{
    m_console.Label7->setText(Tform_mixer::legendaPadrao());
    try {
        if (canal_00->Playing)
            return;
        const bool busca = StringGrid2->isVisibleTo(&m_console);
        QString caminho;
        int placa = m_console.device_cue;
        if (busca) {
            // The search results always go to the listening card.
            caminho = pesquisa->path(StringGrid2->currentIndex().row());
        } else {
            caminho = biblioteca->path(StringGrid1->currentIndex().row());
            if (!NativeName::isFile(caminho))
                return;
            placa = cue_ativo ? m_console.device_cue : m_console.device_transmissao;
        }
        if (eh_clipe(caminho)) {
            avisa_clipe(m_console.Label7, caminho);
            return;
        }
        // What is meant for the operator's ears never goes to the audience's card instead.
        if (placa == m_console.device_cue && m_console.placas->escuta_falta()) {
            m_console.Label7->setText(Placas::sem_escuta());
            return;
        }
        // A music card missing at start-up has the first card standing in, as for every other player.
        if (!AudioEngine::instance().isInitialized(placa))
            placa = 1;
        try {
            canal_00->SetDevice(placa);
            canal_00->FreeStream();
            canal_00->LoadFile(caminho);
            // A refused source has already told the operator why.
            if (!canal_00->Loaded)
                return;
            canal_00->SetGain(m_console.nivelamento->ganho(caminho));
            canal_00->Play();
            bitbtn21->setEnabled(false);
            bitbtn23->setEnabled(true);
        } catch (...) {
            funcoes::mensagem(QStringLiteral("Erro ao Carregar Mídia - Verifique !!"));
            return;
        }
        CoolGauge1->setMaximum(100);
        Timer4->start();
    } catch (...) {
        funcoes::mensagem(QStringLiteral("Erro ao executar mídia"));
    }
}

void Acervo::StringGrid1DblClick()
{
    const int linha = StringGrid1->currentIndex().row();
    if (biblioteca->title(linha).isEmpty())
        return;
    // A clip is never loaded, so it must not stop what is playing either.
    if (eh_clipe(biblioteca->path(linha))) {
        avisa_clipe(m_console.Label7, biblioteca->path(linha));
        return;
    }
    if (canal_00->Playing)
        canal_00->Stop();
    BitBtn21Click();
}

void Acervo::BitBtn23Click()
{
    Timer4->stop();
    if (canal_00->Playing)
        canal_00->Stop();
    bitbtn21->setEnabled(true);
    bitbtn13->setEnabled(true);
    bitbtn23->setEnabled(false);
}

void Acervo::Canal_00Stop()
{
    Timer4->stop();
    Play3->setEnabled(true);
    Stop3->setEnabled(false);
    Excluir1->setEnabled(true);
    bitbtn21->setEnabled(true);
    bitbtn23->setEnabled(false);
    for (ColorButton *b : {bitbtn21, bitbtn23, bITBTN24})
        b->setDown(false);
    CoolGauge1->setValue(0);
}

void Acervo::SRColorButton1Click()
{
    // The button's own toggle is undone: only the rules below move it.
    SRColorButton1->setChecked(cue_ativo);
    if (m_console.placas->escuta_na_musica()) {
        funcoes::mensagem(QStringLiteral("Suas placas de escuta e transmissão estão configuradas para a mesma Placa: \r")
                          + canal_00->DeviceDescription(m_console.device_cue).toUpper() + QStringLiteral("\r")
                          + QStringLiteral("Para utilizar este recurso (CUE) será necessáro 2 placas de som - Verifique"));
        return;
    }
    if (canal_00->Playing)
        return;
    // Without its card, Cue can still be raised but not put down.
    if (!cue_ativo && m_console.placas->escuta_falta()) {
        m_console.Label7->setText(Placas::sem_escuta());
        return;
    }
    try {
        cue_ativo = !cue_ativo;
        mostra_cue();
    } catch (...) {
        funcoes::mensagem(QStringLiteral("Erro ao Acessar disposivo de CUE"));
    }
}

void Acervo::mostra_cue()
{
    // Down on the card the decks play on would be pre-listening for the audience.
    if (m_console.placas->escuta_na_musica())
        cue_ativo = false;
    SRColorButton1->setChecked(cue_ativo);
    if (!m_console.placas->escuta_falta()) {
        SRColorButton1->setText(QStringLiteral("Cue"));
        SRColorButton1->setFaceColor(cue_ativo ? QColor(255, 0, 0) : QColor(128, 128, 128));
        SRColorButton1->setTextColor(skin::captionLight());
    } else {
        // Dark, with an amber caption: pre-listening is not there, whatever the switch says.
        SRColorButton1->setText(QStringLiteral("Sem Cue"));
        SRColorButton1->setFaceColor(QColor(48, 48, 48));
        SRColorButton1->setTextColor(QColor(255, 170, 0));
    }
}

void Acervo::Timer4Timer()
{
    if (!canal_00->Playing)
        return;
    float fft[512];
    canal_00->GetFFT(fft);
    CoolGauge1->setValue(m_medidor->GetLevel(fft));
}
