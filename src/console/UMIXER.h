#pragma once
// The console window: the mixing desk the operator works on. It owns every player, the two
// decks' programme lists and all state that the desk's parts share; each part's handlers
// live in a file of their own beside this one.
#include "audio/TMorvelBass.h"
#include "cartridge/CartridgeBank.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QSlider>
#include <QStringList>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <array>
#include <memory>

class ColorButton;
class Lamp;
class LedBarGauge;
class LedButton;
class LedColon;
class LedDotMatrixLabel;
class LedNumber;
class LibraryModel;
class NeedleMeter;
class TColorBtn;

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

    // ---- players ----
    TMorvelBass *canal_00 = nullptr;
    TMorvelBass *canal_atalho = nullptr;
    TMorvelBass *canal_a = nullptr;
    TMorvelBass *canal_b = nullptr;
    std::array<TMorvelBass *, 10> canal_cartucho{};

    // ---- shared state ----
    QStringList arquivos_a, arquivos_b;
    bool saindo_a = false, saindo_b = false;
    int freq_padrao_a = 0, freq_padrao_b = 0;
    quint8 modo_tempo_a = 1, modo_tempo_b = 1;
    qint16 grafico_a = 0, grafico_b = 0;
    qint16 device_transmissao = 1, device_cue = 1;
    int tempo_fade = 5000;
    QString parametros;
    QString caption_banner;

    // ---- deck A ----
    QFrame *bsSkinPanel1, *bsSkinPanel2, *Panel2;
    QListWidget *ListBox1;
    ColorButton *bitbtn2, *bitbtn5, *bitbtn4;
    LedButton *loop_esquerda;
    QLabel *label2, *Label1, *Label3, *Label11;
    LedNumber *MMLEDPanel1, *MMLEDPanel2, *CONTA_ESQUERDA;
    LedColon *MMLEDDigit1;
    QSlider *trackbar1, *trackPan, *trackFrequencia, *Flanger1;
    Lamp *VrUserLed1, *MMLED4;
    QWidget *pp;
    LedBarGauge *pbarvu;
    NeedleMeter *ML;
    QTimer *Timer1;
    QCheckBox *CheckBox2, *CheckBox6, *CheckBox7;
    ColorButton *bitbtn14, *bitbtn1, *bitbtn10, *bitbtn17, *bitbtn18;
    QMenu *PopupMenu5;

    // ---- deck B ----
    QFrame *bsSkinPanel7, *bsSkinPanel8, *Panel4;
    QListWidget *ListBox2;
    ColorButton *bitbtn6, *bitbtn8, *bitbtn9;
    LedButton *loop_direita;
    QLabel *label28, *Label20, *Label24, *Label26;
    LedNumber *MMLEDPanel3, *MMLEDPanel4, *conta_direita;
    LedColon *MMLEDDigit3;
    QSlider *trackbar5, *trackbar2, *trackbar4, *Flanger2;
    Lamp *VrUserLed2, *MMLED3;
    QWidget *PP2;
    LedBarGauge *Progressbar1;
    NeedleMeter *MR;
    QTimer *Timer2;
    QCheckBox *CheckBox5, *CheckBox8, *CheckBox9;
    ColorButton *bitbtn15, *bitbtn12, *bitbtn16, *bitbtn19, *bitbtn20;
    QMenu *PopupMenu6;

    // ---- library and centre player ----
    QFrame *bsSkinPanel4, *bsSkinPanel5;
    QComboBox *DriveComboBox1;
    ColorButton *bitbtn13;
    LedButton *captura_geral;
    QLineEdit *edit1;
    ColorButton *SRColorButton1, *SRColorButton2;
    QLabel *Label33;
    LedBarGauge *CoolGauge1;
    QTableView *StringGrid1, *StringGrid2;
    LibraryModel *biblioteca = nullptr;
    LibraryModel *pesquisa = nullptr;
    ColorButton *bitbtn21, *bitbtn23, *bITBTN24;
    QRadioButton *RadioButton1, *RadioButton2;
    QMenu *PopupMenu7;
    QTimer *Timer4;
    // ---- centre player, search, start-up file, automatic programming ----
    // (handlers in CentrePlayer.cpp and AutoProgramming.cpp)
    bool cue_ativo = false;
    std::unique_ptr<class TMeter> medidor_central;
    void BitBtn21Click();
    void BitBtn23Click();
    void StringGrid1DblClick();
    void Canal_00Stop();
    void SRColorButton1Click();
    void Timer4Timer();
    // A key typed in the search edit; true when the key was taken.
    bool Edit1KeyPress(class QKeyEvent *tecla);
    void Edit1Enter();
    // Set while the console gives the search edit the focus back: that is not entering it.
    bool devolvendo_foco = false;
    bool StringGrid2KeyDown(class QKeyEvent *tecla);
    // The library step of the first showing: the start-up file's folder, or the library.
    void inicia_biblioteca();
    void lista_inicial();
    void BitBtn24Click();
    void AutoProgramacaoAlfabetica1Click();
    void AutoProgramacaoAleatoria1Click();
    void wireCentrePlayer();
    void wireSearch();

    // ---- middle column ----
    QFrame *Panel18, *Panel11, *Panel19, *bsSkinPanel6;
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

    // ---- cartridge bank ----
    QFrame *Panel9;
    QLabel *Label7;
    std::array<TColorBtn *, 10> cartuchos_btn{};
    // Slot n is cartuchos[n - 1]; button n shows it and plays on canal_cartucho[n - 1].
    std::array<CartridgeSlot, 10> cartuchos{};
    // The bank file was there but could not be read: it is never written over.
    bool cartucheira_ilegivel = false;
    TColorBtn *botao_atual = nullptr; // the cartridge the mouse was last over; clicks act on it
    TThreadedTimer *Timer_botonera = nullptr;
    QMenu *PopupMenu1 = nullptr;
    QAction *LimparCartucheira1 = nullptr;
    void cria_cartuchos();
    void CartucheiraMouseMove(TColorBtn *botao);
    void CartucheiraDragOver(class QDragMoveEvent *evento);
    void CartucheiraDragDrop(TColorBtn *botao, const class QMimeData *dados);
    bool limpa_cartucheira();
    void carrega_grupo(const QString &nome);
    void grava_grupo(const QString &nome);
    void LimparCartucheira1Click();
    void CartucheiraClick();
    void Timer_botoneraTimer();
    void Cartucho_Stop(TMorvelBass *sender);

    // ---- window menu ----
    QMenu *PopupMenu8;
    QAction *Sobre1, *FadeMix1;

    // The maker's web address, shown in the banner, the ticker and the site picture.
    static QString enderecoSite() { return QStringLiteral("www.quorvanti.com.br"); }

    // Centre frequencies of the ten bands, in the sliders' order.
    static const std::array<int, 10> kBandCentres;

    // ---- deck transport ----
    void ListBox1Click();
    void ListBox2Click();
    void BitBtn2Click();
    void BitBtn6Click();
    void BitBtn5Click();
    void bitbtn8Click();
    void BitBtn4Click();
    void BitBtn9Click();
    void Canal_aStop(TMorvelBass *sender);
    void Canal_bStop(TMorvelBass *sender);
    void limpa_mixer(int deck);
    void limpa_grafico(int deck);
    void loop_esquerdaClick();
    void loop_direitaClick();
    void trackbar1Track(int posicao);
    void trackbar5Track(int posicao);
    void trackPanChange();
    void TrackBar2Change();
    void trackFrequenciaChange();
    void TrackBar4Change();
    void VrUserLed1Click();
    void VrUserLed2Click();
    void ListBox1DblClick();
    void ListBox2DblClick();

    // ---- effects, equaliser, master volume ----
    void CheckBox2Click();
    void CheckBox5Click();
    void CheckBox6Click();
    void CheckBox8Click();
    void CheckBox7Click();
    void CheckBox9Click();
    void Flanger1Change();
    void Flanger2Change();
    void bandaChange(int index);
    void aplica_bandas();
    void Trackbar6Change();
    void bsSkinCheckRadioBox1Click();

    // ---- crossfader ----
    void TrackBar18Change();

    // Another start of the program asked for this console: restore it if need be, bring it up.
    void ativa_janela();

    // ---- programme lists, list files, library grid and capture ----
    // (handlers in ProgrammeLists.cpp, ListFiles.cpp, LibraryGrid.cpp, Capture.cpp)
    // Deck lists (deck 1 = A, 2 = B).
    void BitBtn14Click();
    void BitBtn15Click();
    void bitbtn18Click();
    void BitBtn20Click();
    void bitbtn17Click();
    void BitBtn19Click();
    void PopupMenu5Popup();
    void PopupMenu6Popup();
    // A drop on a deck list: `origem` is the objectName of the dragged control, `ponto` the
    // drop point in the list's viewport.
    void ListBox1DragDrop(const QString &origem, const QPoint &ponto);
    void ListBox2DragDrop(const QString &origem, const QPoint &ponto);
    QAction *Exclur1 = nullptr, *Exclur2 = nullptr;
    QString lista_aberta_a, lista_aberta_b;
    // Files and folders dropped from the desktop (text/uri-list) on a deck list or the library
    // grid; the program's icon. Handlers in DesktopIntegration.cpp.
    void wireDesktop();
    // The audio files that dropped files and folders stand for, as library lines TITLE#PATH:
    // files of the capture's types as dropped, folders walked as a folder capture walks them.
    QStringList linhas_soltas(const QList<class QUrl> &urls);
    // Inserts the dropped tracks into a deck's list before row `linha` (at the end when it is
    // the count).
    void solta_arquivos_na_lista(int deck, const QList<class QUrl> &urls, int linha);
    // Adds the dropped tracks to the library file and the grid.
    void solta_arquivos_na_biblioteca(const QList<class QUrl> &urls);
    // The types the settings window enables for a capture, as search patterns.
    static QStringList padroes_captura();
    bool soltando_arquivos = false; // a drop's folders are being walked

    // List files.
    void bitbtn1Click();
    void BitBtn12Click();
    void bitbtn10Click();
    void BitBtn16Click();
    void OpenDialog1CanClose(const QString &nome);
    void OpenDialog2CanClose(const QString &nome);
    void SaveDialog1CanClose(const QString &nome);
    void SaveDialog2CanClose(const QString &nome);
    // Picks a file for Open/Save; empty = cancelled. Replaceable so the choice can be made
    // without a dialog on screen.
    std::function<QString(int deck, bool salvar, const QString &filtro, const QString &pasta,
                          const QString &nome)> escolhe_arquivo;

    // Library grid.
    void carrega_biblioteca();
    void Excluir1Click();
    void PopupMenu7Popup();
    bool StringGrid1KeyDown(class QKeyEvent *tecla); // true when the key was taken
    void StringGrid1MouseDown(Qt::MouseButton botao);
    void StringGrid2MouseDown(Qt::MouseButton botao);
    QAction *Play3 = nullptr, *Stop3 = nullptr, *Excluir1 = nullptr;
    QAction *AutoProgramacaoAlfabetica1 = nullptr, *AutoProgramacaoAleatoria1 = nullptr;
    QString prefixo_busca;
    // Mime type of every drag the console starts; its data is the source's objectName.
    static QString tipoArrasto();
    // Runs a drag started on `origem`; replaceable because a real drag cannot be driven in
    // a test. Takes ownership of `dados`.
    std::function<void(QWidget *origem, class QMimeData *dados)> executa_arrasto;

    // Capture.
    void BitBtn13Click();
    bool capturando() const { return m_capturando; }
    class TvelarixScan *MixerScan1 = nullptr;
    QString pasta_captura;
    // How often the running count is repainted during a capture, in ms.
    int intervalo_contagem = 100;
    // ---- hand-overs that never go silent; capture ended with the console ----
    // Makes `deck` ready to take over without any message box: its selected entry if it
    // loads, else the next entry of its list that does (one pass at most). The titles that
    // failed are appended to `falhas`. False when no entry of the list loads.
    bool prepara_entrada(int deck, QStringList *falhas);
    // Mix A and Mix B are enabled exactly while their own deck does not play.
    void atualiza_mix();
    // Called on the close path once the exit is confirmed: a running capture stops and
    // writes nothing any more.
    void cancela_captura_no_fechamento();
    // Per outgoing deck: the incoming list's size when a hand-over found nothing to play
    // there (-1: none), so the clock does not try the whole list again on every tick.
    int sem_entrada[2] = {-1, -1};
    bool captura_descartada = false;
    // Starts deck `to` on its first entry that plays, centring the crossfader first; false
    // (failure named on Label7) when none plays.
    bool entra_no_ar(int to);

    // ---- deck clocks, automatic mixing, manual mix ----
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void LEDButton1Click();
    void MMLEDPanel1Click();
    void MMLEDPanel3Click();
    void Display_c01(const QString &texto);
    void Display_c02(const QString &texto);
    void SpeedButton1Click();
    void SpeedButton2Click();
    void FadeMix1Click();
    void FadePadro1Click();
    // The settings the clocks read live from the settings window (defaults without one).
    int tempo_mixagem() const;
    int sensibilidade() const;
    // The deck drawing objects, created at the first showing.
    std::unique_ptr<struct ConsoleVisuals> graficos;
    QSize tela_registrada;
    void Timer6Timer();
    void texto_letreiro(const QString &texto);

    // ---- show and close ----
    void FormShow();
    bool shownOnce() const { return m_shown; }
    // ---- settings, shortcuts, settings window and about window ----
    // (ShowClose.cpp, Atalhos.cpp, SettingsAndAbout.cpp)
    void FormClose(QCloseEvent *event);
    void SRColorButton2Click();
    void Sobre1Click();
    void Image1Click();
    void play_atalho(const QString &caminho);
    void PlayAtalho011Click();
    void PlayAtalho012Click();
    void PlayAtalho013Click();
    void PlayAtalho014Click();
    void PlayAtalho051Click();
    void PlayAtalho061Click();
    void PlayAtalho071Click();
    void PlayAtalho081Click();
    void PlayAtalho091Click();
    void PlayAtalho101Click();
    // Writes the shortcut file (or deletes it when all are empty); says so when it cannot.
    void grava_atalhos();
    // The ten shortcuts, fired by Ctrl+1 ... Ctrl+9, Ctrl+0.
    std::shared_ptr<class Atalhos> atalhos;

signals:
    void consoleShown();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void wireListsAndLibrary();
    void adiciona_faixa(int deck);
    void exclui_entrada(int deck);
    void limpa_lista(int deck);
    void menu_lista(int deck);
    void solta_na_lista(int deck, const QString &origem, const QPoint &ponto);
    void abre_lista(int deck);
    void salva_lista(int deck);
    void abre_lista_arquivo(int deck, const QString &nome);
    void salva_lista_arquivo(int deck, const QString &nome);
    void pressiona_grade(QTableView *grade, Qt::MouseButton botao);
    void inicia_arrasto(QWidget *origem);
    bool filtra_lista_e_grade(QObject *alvo, QEvent *evento);
    void habilita_com_biblioteca();
    friend class ListsAndLibraryFilter;
    bool m_capturando = false;
    QString m_nome_salvo_a, m_nome_salvo_b;
    QTableView *m_grade_pressionada = nullptr; // armed for a drag by a left press
    bool m_lista_pressionada[2] = {false, false};
    QPoint m_ponto_pressionado;
    void buildDeck(int deck);
    void buildLibrary();
    void buildMiddle();
    void buildCartridges();
    void wireDeck(int deck);
    void wireEffects();
    bool loadEntry(int deck, bool quiet = false);
    void playDeck(int deck);
    void stopDeck(int deck);
    void pauseDeck(int deck);
    void deckStopped(int deck);
    void seekDeck(int deck, int ms);
    void defaultFrequency(int deck);
    void showLength(int deck);
    void deckTick(int deck);
    void passa_vez(int from);
    void handOverByHand(int to);
    void wireClocks();

    bool m_shown = false;
    void wireSettingsAndAbout();
    void abre_players();
    bool m_closing = false;
};

extern Tform_mixer *form_mixer;
