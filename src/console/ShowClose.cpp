// The console's show sequence (settings read, players opened, shortcuts, library, displays)
// and its close sequence (confirmation, players stopped, settings written).
#include "UMIXER.h"

#include "cartridge/Shortcuts.h"
#include "library/TvelarixScan.h"
#include "settings/DataFolder.h"
#include "settings/SettingsFile.h"
#include "settings/TextFile.h"
#include "settings/funcoes.h"
#include "settings/uform_config.h"
#include "visual/ScreenFit.h"
#include "widgets/LedButton.h"

#include <QCloseEvent>
#include <QScreen>
#include <QSpinBox>

namespace {

QString caminhoConfiguracao()
{
    return DataFolder::filePath(SettingsFile::nomeArquivo());
}

// Everything the settings file holds, as the console and its settings window stand now.
SettingsFile::Valores valoresDaJanela(const Tform_mixer &m)
{
    SettingsFile::Valores v;
    v.capturagr = m.captura_geral->isChecked() ? 1 : 0;
    v.automixar = m.LEDButton1->isChecked() ? 1 : 0;
    if (form_config) {
        v.wav = form_config->Checkbox3->isChecked() ? 1 : 0;
        v.mp3 = form_config->Checkbox4->isChecked() ? 1 : 0;
        v.ogg = form_config->Checkbox1->isChecked() ? 1 : 0;
        v.wma = form_config->checkbox_wma->isChecked() ? 1 : 0;
        v.tempo_mix = form_config->RxSpinEdit7->value();
        v.vlr_sensor = form_config->RxSpinEdit1->value();
    }
    v.clips = 0;
    v.tempo_mix_texto = QString::number(v.tempo_mix);
    v.grafico01 = quint16(m.grafico_a);
    v.grafico02 = quint16(m.grafico_b);
    v.device_transmissao = m.device_transmissao;
    v.device_cue = m.device_cue;
    v.ativa_sensor = m.LEDButton2->isChecked() ? 1 : 0;
    v.drive = m.DriveComboBox1->currentIndex();
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

    grafico_a = qint16(quint16(v.grafico01));
    grafico_b = qint16(quint16(v.grafico02));
    device_transmissao = qint16(v.device_transmissao);
    device_cue = qint16(v.device_cue);
    if (form_config)
        form_config->RxSpinEdit1->setValue(v.vlr_sensor);
    if (lidas.contains(QStringLiteral("DRIVE"))) {
        DriveComboBox1->setCurrentIndex(v.drive);
        const QString entrada = v.drive >= 0 && v.drive < DriveComboBox1->count() ? DriveComboBox1->itemText(v.drive)
                                                                                   : QString();
        pasta_captura = entrada.isEmpty() ? QString() : volumeRootFromText(entrada.trimmed());
    }
    tempo_fade = v.fade;
    captura_geral->setChecked(v.bt_capturagr == 1);
    // The equaliser's handlers run now, on players that are not open yet.
    bsSkinCheckRadioBox1->setChecked(v.eq_ativa == 1);
    Trackbar6->setValue(v.eq_volume);
    for (size_t b = 0; b < 10; ++b)
        bandas[b]->setValue(v.eq_banda[b]);
    if (form_config) {
        form_config->Checkbox1->setChecked(v.ogg == 1);
        form_config->checkbox_wma->setChecked(v.wma == 1);
    }
    if (!falhou.isEmpty())
        funcoes::mensagem(mensagemErroLeitura());

    abre_players();

    // The shortcuts.
    QString erroAtalhos;
    if (atalhos->le(DataFolder::filePath(Atalhos::nomeArquivo()), &erroAtalhos) == Atalhos::Leitura::Ilegivel)
        funcoes::mensagem(QStringLiteral("Não foi possível ler o arquivo de atalhos\r") + erroAtalhos);

    // The values kept aside while reading.
    LEDButton1->setChecked(v.automixar == 1);
    LEDButton2->setChecked(v.ativa_sensor == 1);
    if (form_config) {
        form_config->Checkbox3->setChecked(v.wav == 1);
        form_config->Checkbox4->setChecked(v.mp3 == 1);
        int tempoMix = 0;
        if (inteiro(v.tempo_mix_texto, &tempoMix))
            form_config->RxSpinEdit7->setValue(tempoMix);
        else
            funcoes::mensagem(mensagemErroLeitura());
    }
    setWindowTitle(caption_banner);

    // The media library, when there is one, or the start-up file's folder.
    inicia_biblioteca();
    // Fit the desk to the screen and make the deck displays' drawing objects.
    screenfit::ajusta_tela(this, screen() ? screen()->size() : tela_registrada, tela_registrada, *graficos);
    // Maximised means the whole screen even where no window manager honours the request.
    if (screen() && width() < screen()->availableGeometry().width())
        setGeometry(screen()->availableGeometry());
    carrega_grupo(CartridgeBank::fileName());
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
    abre(canal_00, device_cue);
    for (TMorvelBass *p : {canal_a, canal_b, canal_atalho})
        abre(p, device_transmissao);
    for (TMorvelBass *p : canal_cartucho)
        abre(p, device_transmissao);
}

void Tform_mixer::FormClose(QCloseEvent *event)
{
    if (!funcoes::confirma(QStringLiteral("Deseja Sair do Quorvanti Velarix ??"))) {
        event->ignore();
        return;
    }
    m_closing = true;
    cancela_captura_no_fechamento();
    BitBtn4Click();
    BitBtn9Click();
    const QStringList linhas = SettingsFile::monta_linhas(valoresDaJanela(*this));
    if (canal_00->Playing)
        BitBtn23Click();
    if (canal_a->Playing)
        BitBtn4Click();
    if (canal_b->Playing)
        BitBtn9Click();
    if (!TextFile::writeLines(caminhoConfiguracao(), linhas))
        funcoes::mensagem(QStringLiteral("Erro ao Gravar arquivo do sistema"));
    event->accept();
}
