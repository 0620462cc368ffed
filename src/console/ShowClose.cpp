// The console's show sequence (settings read, players opened, shortcuts, library, displays)
// and its close sequence (confirmation, players stopped, settings written).
#include "UMIXER.h"

#include "Ajustes.h"

#include "cartridge/Shortcuts.h"
#include "library/TvelarixScan.h"
#include "settings/DataFolder.h"
#include "settings/SettingsFile.h"
#include "settings/TextFile.h"
#include "settings/funcoes.h"
#include "visual/ScreenFit.h"
#include "widgets/LedButton.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QComboBox>
#include <QScreen>

namespace {

QString caminhoConfiguracao()
{
    return DataFolder::filePath(SettingsFile::nomeArquivo());
}

// Everything the settings file holds, as the console and its settings window stand now.
SettingsFile::Valores valoresDaJanela(const Tform_mixer &m)
{
    SettingsFile::Valores v;
    v.capturagr = m.acervo->captura_geral->isChecked() ? 1 : 0;
    v.automixar = m.mixagem->auto_mix() ? 1 : 0;
    Ajustes::le_da_janela(&v);
    v.clips = 0;
    v.tempo_mix_texto = QString::number(v.tempo_mix);
    v.grafico01 = quint16(m.deck_a->grafico);
    v.grafico02 = quint16(m.deck_b->grafico);
    v.device_transmissao = m.device_transmissao;
    v.device_cue = m.device_cue;
    v.ativa_sensor = m.LEDButton2->isChecked() ? 1 : 0;
    v.drive = m.acervo->DriveComboBox1->currentIndex();
    v.buffers = 1000;
    v.fade = m.tempo_fade;
    v.bt_capturagr = v.capturagr;
    v.eq_ativa = m.bsSkinCheckRadioBox1->isChecked() ? 1 : 0;
    v.eq_volume = m.Trackbar6->value();
    for (size_t b = 0; b < 10; ++b)
        v.eq_banda[b] = m.bandas[b]->value();
    return v;
}

} // namespace

void Tform_mixer::FormShow()
{
    using namespace SettingsFile;
    // Internal defaults; the rest starts from the window's own values.
    Valores v = valoresDaJanela(*this);
    v.automixar = 1;
    v.mp3 = 1;
    v.ativa_sensor = 1;
    v.wav = 0;
    v.tempo_mix_texto = QStringLiteral("3000");
    tempo_fade = 5000;
    v.fade = tempo_fade;

    // The settings. A file that is there but cannot be read leaves every default in force;
    // it is only replaced by the next normal close.
    QStringList linhas;
    QString erro;
    if (TextFile::readLines(caminhoConfiguracao(), &linhas, &erro) == TextFile::ReadStatus::Unreadable)
        funcoes::mensagem(QStringLiteral("Não foi possível ler o arquivo de configuração ") + caminhoConfiguracao()
                          + QStringLiteral("\r") + erro + QStringLiteral("\rSerão usados os valores padrão"));
    QStringList lidas;
    const QString falhou = le_valores(linhas, &v, &lidas);
    nivelamento->carrega();

    deck_a->grafico = qint16(quint16(v.grafico01));
    deck_b->grafico = qint16(quint16(v.grafico02));
    device_transmissao = qint16(v.device_transmissao);
    device_cue = qint16(v.device_cue);
    Ajustes::aplica_primeiros(v);
    if (lidas.contains(QStringLiteral("DRIVE"))) {
        QComboBox *drives = acervo->DriveComboBox1;
        drives->setCurrentIndex(v.drive);
        const QString entrada = v.drive >= 0 && v.drive < drives->count() ? drives->itemText(v.drive) : QString();
        acervo->pasta_captura = entrada.isEmpty() ? QString() : volumeRootFromText(entrada.trimmed());
    }
    tempo_fade = v.fade;
    acervo->captura_geral->setChecked(v.bt_capturagr == 1);
    // The equaliser's handlers run now, on players that are not open yet.
    bsSkinCheckRadioBox1->setChecked(v.eq_ativa == 1);
    Trackbar6->setValue(v.eq_volume);
    for (size_t b = 0; b < 10; ++b)
        bandas[b]->setValue(v.eq_banda[b]);
    if (!falhou.isEmpty())
        funcoes::mensagem(mensagemErroLeitura());

    abre_players();
    placas->inicia();

    // The shortcuts.
    QString erroAtalhos;
    if (cartucheira->atalhos->le(DataFolder::filePath(Atalhos::nomeArquivo()), &erroAtalhos) == Atalhos::Leitura::Ilegivel)
        funcoes::mensagem(QStringLiteral("Não foi possível ler o arquivo de atalhos\r") + erroAtalhos);

    // The values kept aside while reading.
    LEDButton1->setChecked(v.automixar == 1);
    LEDButton2->setChecked(v.ativa_sensor == 1);
    if (!Ajustes::aplica_ultimos(v))
        funcoes::mensagem(mensagemErroLeitura());
    setWindowTitle(caption_banner);

    // The media library, when there is one, or the start-up file's folder.
    acervo->inicia_biblioteca();
    // Fit the desk to the screen and make the deck displays' drawing objects.
    screenfit::ajusta_tela(this, screen() ? screen()->size() : tela_registrada, tela_registrada, *graficos);
    // Maximised means the whole screen even where no window manager honours the request.
    if (screen() && width() < screen()->availableGeometry().width())
        setGeometry(screen()->availableGeometry());
    cartucheira->carrega_grupo(CartridgeBank::fileName());
    memoria->restaura();
    emit consoleShown();
}

void Tform_mixer::abre_players()
{
    const quintptr janela = quintptr(winId());
    // A card that is gone (unplugged, or a number beyond the cards there are) has been
    // reported by OpenDevice; the first card takes over so the party is not silent. The
    // saved number stays until the operator chooses another card.
    // A card that failed once is not tried again for every other player.
    QVector<int> falharam;
    auto abre = [janela, &falharam](TMorvelBass *p, int device) {
        if (!falharam.contains(device)) {
            p->OpenDevice(device, janela);
            if (p->EndTimer || device == 1)
                return;
            falharam.append(device);
        }
        p->OpenDevice(1, janela);
    };
    abre(acervo->canal_00, device_cue);
    for (TMorvelBass *p : {deck_a->canal, deck_b->canal, cartucheira->canal_atalho})
        abre(p, device_transmissao);
    for (TMorvelBass *p : cartucheira->canal_cartucho)
        abre(p, device_transmissao);
}

void Tform_mixer::encerra()
{
    // Before the first showing the settings were never read: there is nothing to write back.
    if (m_shown && !m_closing) {
        m_sem_pergunta = true;
        QCloseEvent fim;
        FormClose(&fim);
        hide();
    }
    QCoreApplication::exit(0);
}

void Tform_mixer::FormClose(QCloseEvent *event)
{
    if (!m_sem_pergunta && !funcoes::confirma(QStringLiteral("Deseja Sair do Quorvanti Velarix ??"))) {
        event->ignore();
        return;
    }
    m_closing = true;
    acervo->cancela_captura_no_fechamento();
    BitBtn4Click();
    BitBtn9Click();
    const QStringList linhas = SettingsFile::monta_linhas(valoresDaJanela(*this));
    if (acervo->canal_00->Playing)
        acervo->BitBtn23Click();
    if (deck_a->tocando())
        BitBtn4Click();
    if (deck_b->tocando())
        BitBtn9Click();
    if (!TextFile::writeLines(caminhoConfiguracao(), linhas))
        funcoes::mensagem(QStringLiteral("Erro ao Gravar arquivo do sistema"));
    nivelamento->grava();
    memoria->termina();
    event->accept();
}
