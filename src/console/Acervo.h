#pragma once
// The library side of the desk: the library grid and its file, the search over it, the
// capture that fills it, the centre player that pre-listens its tracks (CUE), the automatic
// programming that deals it to the decks, and files and folders dropped from the desktop.
#include <QObject>
#include <QPoint>
#include <QStringList>
#include <QUrl>
#include <memory>

class ColorButton;
class LedBarGauge;
class LedButton;
class LibraryModel;
class QAction;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QMimeData;
class QRadioButton;
class QTableView;
class QTimer;
class TMeter;
class TMorvelBass;
class Tform_mixer;
class TvelarixScan;

class Acervo : public QObject
{
    Q_OBJECT
public:
    explicit Acervo(Tform_mixer &console);
    ~Acervo() override;

    TMorvelBass *canal_00 = nullptr; // the centre player
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
    QAction *Play3 = nullptr, *Stop3 = nullptr, *Excluir1 = nullptr;
    QAction *AutoProgramacaoAlfabetica1 = nullptr, *AutoProgramacaoAleatoria1 = nullptr;
    TvelarixScan *MixerScan1 = nullptr;

    bool cue_ativo = false;
    QString prefixo_busca;  // the type-ahead's letters so far
    QString pasta_captura;  // the folder a folder capture starts from
    int intervalo_contagem = 100; // how often a capture's running count is repainted, in ms
    bool soltando_arquivos = false; // a drop's folders are being walked

    // ---- the library grid ----
    void carrega_biblioteca();
    void Excluir1Click();
    void PopupMenu7Popup();
    bool StringGrid1KeyDown(QKeyEvent *tecla); // true when the key was taken
    void StringGrid1MouseDown(Qt::MouseButton botao);
    void StringGrid2MouseDown(Qt::MouseButton botao);
    // The title and path of the visible grid's current row; false on no track.
    bool faixa_atual(QString *titulo, QString *caminho) const;
    // The same for a drag that started on the grid named `origem`; false for any other source.
    bool faixa_arrastada(const QString &origem, QString *titulo, QString *caminho, bool *da_busca) const;
    bool eh_grade(const QString &origem) const;

    // ---- capture ----
    void BitBtn13Click();
    bool capturando() const { return m_capturando; }
    // The exit is confirmed: a running capture stops and writes nothing any more.
    void cancela_captura_no_fechamento();

    // ---- centre player ----
    void BitBtn21Click();
    void BitBtn23Click();
    void StringGrid1DblClick();
    void Canal_00Stop();
    void SRColorButton1Click();
    // The Cue button's look: down or up, or not available without its card.
    void mostra_cue();
    void Timer4Timer();

    // ---- search and the start-up file ----
    bool Edit1KeyPress(QKeyEvent *tecla); // true when the key was taken
    void Edit1Enter();
    bool StringGrid2KeyDown(QKeyEvent *tecla);
    // The library step of the first showing: the start-up file's folder, or the library.
    void inicia_biblioteca();
    void lista_inicial();

    // ---- automatic programming ----
    void BitBtn24Click();
    void AutoProgramacaoAlfabetica1Click();
    void AutoProgramacaoAleatoria1Click();

    // ---- files and folders from the desktop ----
    // The local files of a desktop drop; none for the console's own drags.
    static QList<QUrl> arquivos_locais(const QMimeData *dados);
    // The audio files that dropped files and folders stand for, as library lines TITLE#PATH:
    // files of the capture's types as dropped, folders walked as a folder capture walks them.
    QStringList linhas_soltas(const QList<QUrl> &urls);
    // Adds the dropped tracks to the library file and the grid.
    void solta_arquivos_na_biblioteca(const QList<QUrl> &urls);

protected:
    bool eventFilter(QObject *alvo, QEvent *evento) override;

private:
    void constroi();
    void liga();
    void habilita_com_biblioteca();
    void pressiona_grade(QTableView *grade, Qt::MouseButton botao);
    bool filtra_grade(QTableView *grade, QEvent *evento);
    bool filtra_solta_na_grade(QEvent *evento);
    Tform_mixer &m_console;
    std::unique_ptr<TMeter> m_medidor;
    bool m_capturando = false;
    bool m_captura_descartada = false;
    bool m_devolvendo_foco = false; // the console gives the search edit its focus back
    QTableView *m_grade_pressionada = nullptr; // armed for a drag by a left press
    QPoint m_ponto_pressionado;
};
