#pragma once
// One deck of the desk: its widgets, its player, its programme list and the transport that
// plays through it. Deck A and deck B are two of these; where deck B has always behaved
// differently, its row of DeckTraits says so.
#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QStringList>
#include <QUrl>

class ColorButton;
class Lamp;
class LedBarGauge;
class LedButton;
class LedColon;
class LedNumber;
class NeedleMeter;
class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QSlider;
class QTimer;
class QWidget;
class TMorvelBass;
class Tform_mixer;
struct DeckVisuals;

// What tells the two decks apart: their controls' names and places, and the few points where
// deck B has always done things its own way.
struct DeckTraits
{
    int numero; // 1 = deck A, 2 = deck B
    int x;      // left edge of the deck's panels
    const char *canal, *painel, *controles, *visor, *titulo, *caixa, *medidor, *barra, *minutos, *dois_pontos, *segundos,
        *estado, *lampada_no_ar, *duracao, *tocar, *pausar, *parar, *loop, *lista, *contador, *adicionar, *abrir,
        *salvar, *limpar, *excluir, *balanco, *frequencia, *lampada_padrao, *velocidade, *flanger, *intensidade, *eco,
        *corte, *posicao, *relogio, *menu, *item_play, *item_stop, *item_exclur, *dialogo_abrir, *dialogo_salvar;
    QRect tocar_em, pausar_em, parar_em;
    const char *legenda_pausa, *legenda_adicionar, *tipo_lista;

    // A missing file is named "Arquivo Selecionado não localizado !!!" instead of by its path.
    bool arquivo_sem_nome;
    // A successful load empties the displays first.
    bool limpa_ao_carregar;
    // Play restarts the ticker before the equaliser instead of after the crossfader.
    bool letreiro_antes_do_eq;
    // The end of a track lets the window catch up first.
    bool fim_processa_eventos;
    // The end of a track resets the displays only when the deck was leaving.
    bool fim_limpa_so_saindo;
    // The end of a track leaves the Loop switch alone.
    bool fim_deixa_loop;
    // The Loop switch sets the player's flag also while the deck does not play.
    bool loop_sempre;
    // A seek resumes a paused deck.
    bool busca_retoma;
    // The list carries the double-click hint before any entry is loaded.
    bool lista_com_dica;
};

extern const DeckTraits kDeckA;
extern const DeckTraits kDeckB;

class Deck : public QObject
{
    Q_OBJECT
public:
    Deck(Tform_mixer &console, const DeckTraits &traits, DeckVisuals &visuais);
    ~Deck() override;

    const DeckTraits &traits;
    Deck *outro = nullptr; // the deck across the crossfader

    // ---- the player and the list ----
    TMorvelBass *canal = nullptr;
    QStringList arquivos; // full paths, same index as the list's titles
    bool saindo = false;  // on its way out: no further hand-over from it until it plays again
    int freq_padrao = 0;  // the frequency at the last Play, which the lamp returns to
    quint8 modo_tempo = 1; // 1 elapsed, 2 remaining time
    qint16 grafico = 0;   // 1 oscilloscope, anything else spectrum
    QString lista_aberta; // the list file last opened on this deck
    // This list's size when a hand-over found none of its entries playable (-1: none), so the
    // clock does not try the whole list again on every tick.
    int sem_entrada = -1;

    // ---- widgets ----
    QFrame *painel, *controles, *visor;
    QListWidget *lista;
    ColorButton *tocar, *pausar, *parar;
    LedButton *loop;
    QLabel *titulo, *estado, *duracao, *frequencia;
    LedNumber *minutos, *segundos, *contador;
    LedColon *dois_pontos;
    QSlider *posicao, *balanco, *velocidade, *intensidade;
    Lamp *lampada_padrao, *lampada_no_ar;
    QWidget *caixa;
    LedBarGauge *barra;
    NeedleMeter *medidor;
    QTimer *relogio;
    QCheckBox *flanger, *eco, *corte;
    ColorButton *adicionar, *abrir, *salvar, *limpar, *excluir;
    QMenu *menu;
    QAction *exclur = nullptr;
    // The window's Mix button that hands over to this deck, and its lamp.
    ColorButton *mix = nullptr;
    Lamp *lampada_mix = nullptr;

    // ---- facts ----
    bool tocando() const;
    bool no_ar() const; // its clock runs: it plays under the console's control
    bool carregado() const; // it holds an entry (its player has a title)

    // ---- transport ----
    bool carrega();
    // Loading without the window waiting on the file (the automatic mix and hand-overs):
    // abre starts opening the entry's file; abertura waits at most `espera_ms` and tells
    // where it stands. Opened, the deck shows the track as carrega does; failed or still
    // silent after kPrazoAberturaMs, it is cleared as a failed load is.
    enum class Abertura { Nenhuma, Esperando, Aberta, Falhou };
    static constexpr int kPrazoAberturaMs = 3000;
    void abre(int linha);
    Abertura abertura(int espera_ms);
    // The entry loaded when the deck last stopped, still good unless its file went away.
    bool ja_carregada(const QString &arquivo) const;
    void toca();
    // A hand-over's start: from `ms` into the track (its first sound when trimming is on).
    void toca_desde(quint32 ms);
    void pausa();
    void para();
    void fim_da_faixa();
    void limpa_mixer();
    void limpa_grafico();
    void loop_clique();
    void busca(int ms);
    void balanco_mudou();
    void velocidade_mudou();
    void flanger_clique();
    void eco_clique();
    void corte_clique();
    void intensidade_mudou();
    void frequencia_padrao();
    void duplo_clique();
    void tique();
    void mostra_tempo(const QString &texto);
    void alterna_modo_tempo();
    // The housekeeping tick's two steps for this deck.
    // The deck holds no track: its caption is back and Play is off.
    void sem_faixa();
    void arruma_lista_vazia();
    void arruma_estado();

    // ---- programme list ----
    void adiciona_faixa();
    void exclui_entrada();
    void limpa_lista();
    void menu_lista();
    void solta_na_lista(const QString &origem, const QPoint &ponto);
    void solta_arquivos(const QList<QUrl> &urls, int linha);
    void acrescenta(const QStringList &titulos, const QStringList &caminhos);
    void abre_lista();
    void salva_lista();
    void abre_lista_arquivo(const QString &nome);
    void salva_lista_arquivo(const QString &nome);
    void seleciona_primeira();

protected:
    bool eventFilter(QObject *alvo, QEvent *evento) override;

private:
    void constroi();
    void liga();
    QStringList titulos() const;
    void mostra_carregada(const QString &arquivo);
    QString escolhe_arquivo(bool salvar, const QString &nome);
    Tform_mixer &m_console;
    DeckVisuals &m_visuais;
    QString m_nome_salvo;
    bool m_pressionada = false; // armed for a drag by a left press on the list
    QElapsedTimer m_abrindo;    // since the opening in progress began
};
