#pragma once
// The console window: the mixing desk the operator works on. It builds the middle column and
// the status line, and owns the parts that hold everything else: the two decks, the mix
// between them, the library side and the cartridge bank. The handlers of the decks keep
// their names here and pass on to the deck they belong to.
#include "Acervo.h"
#include "Cartucheira.h"
#include "Deck.h"
#include "MemoriaShow.h"
#include "Mixagem.h"
#include "Nivelamento.h"
#include "Placas.h"
#include "VigiaDoAr.h"
#include "audio/TMorvelBass.h"

#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QSlider>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class ColorButton;
class Lamp;
class LedButton;
class LedDotMatrixLabel;
class QMimeData;
struct ConsoleVisuals;

class Tform_mixer : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kDesignWidth = 1028;
    static constexpr int kDesignHeight = 780;
    static constexpr int kClientWidth = 1020;
    static constexpr int kClientHeight = 716;

    explicit Tform_mixer(QWidget *parent = nullptr);
    ~Tform_mixer() override;

    // ---- the console's own state ----
    qint16 device_transmissao = 1, device_cue = 1;
    int tempo_fade = 5000;
    QString parametros;
    QString caption_banner;
    // The deck drawing objects, made for the screen at the first showing.
    std::unique_ptr<ConsoleVisuals> graficos;
    QSize tela_registrada;

    // ---- the parts ----
    std::unique_ptr<Deck> deck_a, deck_b;
    std::unique_ptr<Acervo> acervo;
    std::unique_ptr<Mixagem> mixagem;
    std::unique_ptr<Cartucheira> cartucheira;
    std::unique_ptr<Placas> placas;
    std::unique_ptr<Nivelamento> nivelamento;
    std::unique_ptr<MemoriaShow> memoria;
    std::unique_ptr<VigiaDoAr> vigia;
    // The status line when it has nothing to say.
    static QString legendaPadrao() { return QStringLiteral("Quorvanti Velarix-Pro"); }
    // Deck 1 is A; any other number is B, as the desk has always counted.
    Deck &deck(int numero) const { return numero == 1 ? *deck_a : *deck_b; }

    // ---- middle column and status line ----
    QFrame *Panel18, *Panel11, *Panel19, *bsSkinPanel6, *Panel9;
    LedDotMatrixLabel *label5;
    ColorButton *speedbutton1, *speedbutton2;
    Lamp *lampMixA, *lampMixB;
    QSlider *Trackbar18;
    QMenu *PopupMenu4;
    LedButton *LEDButton1, *LEDButton2;
    QLabel *Image1;
    QCheckBox *bsSkinCheckRadioBox1;
    QSlider *Trackbar6;
    std::array<QSlider *, 10> bandas{}; // TrackBar20 ... bsSkinTrackBar2, 32 Hz first
    QTimer *Timer3, *Timer6;
    QLabel *Label7; // the status line
    QMenu *PopupMenu8;
    QAction *Sobre1, *FadeMix1;

    // The maker's web address, shown in the banner, the ticker and the site picture.
    static QString enderecoSite() { return QStringLiteral("www.quorvanti.com.br"); }
    // Centre frequencies of the ten bands, in the sliders' order.
    static const std::array<int, 10> kBandCentres;
    // Mime type of every drag the console starts; its data is the source's objectName.
    static QString tipoArrasto();

    // Starts a drag of `caminho` from a list or a grid.
    void inicia_arrasto(QWidget *origem, const QString &caminho);
    // Runs a drag; replaceable because a real drag cannot be driven in a test. Takes
    // ownership of `dados`.
    std::function<void(QWidget *origem, QMimeData *dados)> executa_arrasto;
    // Picks a list file for Open/Save; empty = cancelled. Replaceable so the choice can be
    // made without a dialog on screen.
    std::function<QString(int deck, bool salvar, const QString &filtro, const QString &pasta, const QString &nome)>
        escolhe_arquivo;

    // The ticker starts over from the right edge.
    void reinicia_letreiro();
    // Switches the equaliser on `canal` as the EQ switch stands and re-applies every band.
    void aplica_equalizador(TMorvelBass *canal);
    // The exit is confirmed and the console is closing.
    bool fechando() const { return m_closing; }

    // ---- deck transport, effects and clocks ----
    void ListBox1Click() { deck_a->carrega(); }
    void ListBox2Click() { deck_b->carrega(); }
    void BitBtn2Click() { deck_a->toca(); }
    void BitBtn6Click() { deck_b->toca(); }
    void BitBtn5Click() { deck_a->pausa(); }
    void bitbtn8Click() { deck_b->pausa(); }
    void BitBtn4Click() { deck_a->para(); }
    void BitBtn9Click() { deck_b->para(); }
    void Canal_aStop(TMorvelBass *) { deck_a->fim_da_faixa(); }
    void Canal_bStop(TMorvelBass *) { deck_b->fim_da_faixa(); }
    void limpa_mixer(int numero) { deck(numero).limpa_mixer(); }
    void limpa_grafico(int numero) { deck(numero).limpa_grafico(); }
    void loop_esquerdaClick() { deck_a->loop_clique(); }
    void loop_direitaClick() { deck_b->loop_clique(); }
    void trackbar1Track(int posicao) { deck_a->busca(posicao); }
    void trackbar5Track(int posicao) { deck_b->busca(posicao); }
    void trackPanChange() { deck_a->balanco_mudou(); }
    void TrackBar2Change() { deck_b->balanco_mudou(); }
    void trackFrequenciaChange() { deck_a->velocidade_mudou(); }
    void TrackBar4Change() { deck_b->velocidade_mudou(); }
    void VrUserLed1Click() { deck_a->frequencia_padrao(); }
    void VrUserLed2Click() { deck_b->frequencia_padrao(); }
    void ListBox1DblClick() { deck_a->duplo_clique(); }
    void ListBox2DblClick() { deck_b->duplo_clique(); }
    void CheckBox2Click() { deck_a->flanger_clique(); }
    void CheckBox5Click() { deck_b->flanger_clique(); }
    void CheckBox6Click() { deck_a->eco_clique(); }
    void CheckBox8Click() { deck_b->eco_clique(); }
    void CheckBox7Click() { deck_a->corte_clique(); }
    void CheckBox9Click() { deck_b->corte_clique(); }
    void Flanger1Change() { deck_a->intensidade_mudou(); }
    void Flanger2Change() { deck_b->intensidade_mudou(); }
    void Timer1Timer() { deck_a->tique(); }
    void Timer2Timer() { deck_b->tique(); }
    void MMLEDPanel1Click() { deck_a->alterna_modo_tempo(); }
    void MMLEDPanel3Click() { deck_b->alterna_modo_tempo(); }
    void Display_c01(const QString &texto) { deck_a->mostra_tempo(texto); }
    void Display_c02(const QString &texto) { deck_b->mostra_tempo(texto); }

    // ---- programme lists and list files ----
    void BitBtn14Click() { deck_a->adiciona_faixa(); }
    void BitBtn15Click() { deck_b->adiciona_faixa(); }
    void bitbtn18Click() { deck_a->exclui_entrada(); }
    void BitBtn20Click() { deck_b->exclui_entrada(); }
    void bitbtn17Click() { deck_a->limpa_lista(); }
    void BitBtn19Click() { deck_b->limpa_lista(); }
    void PopupMenu5Popup() { deck_a->menu_lista(); }
    void PopupMenu6Popup() { deck_b->menu_lista(); }
    void ListBox1DragDrop(const QString &origem, const QPoint &ponto) { deck_a->solta_na_lista(origem, ponto); }
    void ListBox2DragDrop(const QString &origem, const QPoint &ponto) { deck_b->solta_na_lista(origem, ponto); }
    void bitbtn1Click() { deck_a->abre_lista(); }
    void BitBtn12Click() { deck_b->abre_lista(); }
    void bitbtn10Click() { deck_a->salva_lista(); }
    void BitBtn16Click() { deck_b->salva_lista(); }
    void OpenDialog1CanClose(const QString &nome) { deck_a->abre_lista_arquivo(nome); }
    void OpenDialog2CanClose(const QString &nome) { deck_b->abre_lista_arquivo(nome); }
    void SaveDialog1CanClose(const QString &nome) { deck_a->salva_lista_arquivo(nome); }
    void SaveDialog2CanClose(const QString &nome) { deck_b->salva_lista_arquivo(nome); }

    // ---- crossfader, mixes, housekeeping ----
    void TrackBar18Change() { mixagem->TrackBar18Change(); }
    void FadePadro1Click() { mixagem->FadePadro1Click(); }
    void SpeedButton1Click() { mixagem->SpeedButton1Click(); }
    void SpeedButton2Click() { mixagem->SpeedButton2Click(); }
    void FadeMix1Click() { mixagem->FadeMix1Click(); }
    void LEDButton1Click() { mixagem->LEDButton1Click(); }
    void Timer3Timer() { mixagem->Timer3Timer(); }

    // ---- equaliser, master volume, ticker ----
    void bandaChange(int index);
    void aplica_bandas();
    void Trackbar6Change();
    void bsSkinCheckRadioBox1Click();
    void Timer6Timer();
    void texto_letreiro(const QString &texto);

    // ---- show and close, settings and about windows ----
    void FormShow();
    bool shownOnce() const { return m_shown; }
    void FormClose(class QCloseEvent *event);
    void SRColorButton2Click();
    void Sobre1Click();
    void Image1Click();
    // Another start of the program asked for this console: restore it if need be, bring it up.
    void ativa_janela();
    // Asked to end by the system (SIGTERM, SIGINT): the close sequence without its question,
    // then the program ends, whatever box may be open.
    void encerra();

signals:
    void consoleShown();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMiddle();
    void wireMiddle();
    void abre_players();
    bool m_shown = false;
    bool m_closing = false;
    bool m_sem_pergunta = false;
};

extern Tform_mixer *form_mixer;
