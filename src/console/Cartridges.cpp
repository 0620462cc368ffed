// The cartridge bank on the console: the ten buttons, filling them by drops, the bank file,
// clearing, and firing a cartridge with its countdown.
#include "UMIXER.h"

#include "Tempo.h"
#include "library/LibraryModel.h"
#include "library/NativeName.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"
#include "widgets/TColorBtn.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

namespace {

int numero(const TColorBtn *b)
{
    return b->property("Tag").toInt();
}

CartridgeSlot &slot(Tform_mixer &m, int n)
{
    return m.cartuchos[size_t(n - 1)];
}

TColorBtn *botao(Tform_mixer &m, int n)
{
    return m.cartuchos_btn[size_t(n - 1)];
}

TMorvelBass *player(Tform_mixer &m, int n)
{
    return m.canal_cartucho[size_t(n - 1)];
}

void tamanho_fonte(TColorBtn *b, int pontos)
{
    QFont f = b->font();
    f.setPointSize(pontos);
    b->setFont(f);
}

// Loads a cartridge's file on the music card. False, after telling the operator, when the
// file gives no playable stream.
bool carrega_cartucho(Tform_mixer &m, int n)
{
    TMorvelBass *p = player(m, n);
    try {
        p->FreeStream();
        p->SetDevice(p->Device); // the music card, or the first card standing in for a missing one
        p->LoadFile(slot(m, n).arquivo);
        p->setVolume(100);
    } catch (...) {
        funcoes::mensagem(QStringLiteral("Erro ao Carregar Mídia - Verifique !!"));
        return false;
    }
    // A refused source (8 bits) has already been reported by the player.
    return p->Loaded;
}

// A cartridge only takes a copy: accepting a move would let a file manager delete the
// operator's file once it is dropped.
bool aceita_copia(QDropEvent *evento)
{
    if (!(evento->possibleActions() & Qt::CopyAction)) {
        evento->ignore();
        return false;
    }
    evento->setDropAction(Qt::CopyAction);
    evento->accept();
    return true;
}

bool algum_tocando(Tform_mixer &m)
{
    for (TMorvelBass *p : m.canal_cartucho)
        if (p->Playing)
            return true;
    return false;
}

} // namespace

// Routes the buttons' mouse and drag events to the console's handlers.
class CartridgeFilter : public QObject
{
public:
    explicit CartridgeFilter(Tform_mixer *m)
        : QObject(m)
        , m_mixer(m)
    {
    }

protected:
    bool eventFilter(QObject *alvo, QEvent *evento) override
    {
        auto *b = static_cast<TColorBtn *>(alvo);
        switch (evento->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // A press is also over the button: a click with a pointer that never moved
            // (resting there when the window appeared) still fires this cartridge.
            m_mixer->CartucheiraMouseMove(b);
            return false;
        case QEvent::DragEnter:
        case QEvent::DragMove:
            m_mixer->CartucheiraDragOver(static_cast<QDragMoveEvent *>(evento));
            return true;
        case QEvent::Drop: {
            auto *de = static_cast<QDropEvent *>(evento);
            if (!aceita_copia(de))
                return true;
            m_mixer->CartucheiraDragDrop(b, de->mimeData());
            return true;
        }
        default:
            return false;
        }
    }

private:
    Tform_mixer *m_mixer;
};

void Tform_mixer::cria_cartuchos()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    LimparCartucheira1 = PopupMenu1->addAction(QStringLiteral("Limpar Cartucheira"));
    LimparCartucheira1->setObjectName(QStringLiteral("LimparCartucheira1"));
    connect(LimparCartucheira1, &QAction::triggered, this, [this] { LimparCartucheira1Click(); });

    Timer_botonera = new TThreadedTimer(this);
    Timer_botonera->setObjectName(QStringLiteral("Timer_botonera"));
    Timer_botonera->setInterval(500);
    Timer_botonera->OnTimer = [this](TThreadedTimer *) { Timer_botoneraTimer(); };
    for (TMorvelBass *p : canal_cartucho)
        p->OnStop = [this](TMorvelBass *sender) { Cartucho_Stop(sender); };

    auto *filtro = new CartridgeFilter(this);
    filtro->setObjectName(QStringLiteral("filtroCartuchos"));
    const int w = Panel9->width() / 10 - 3, h = Panel9->height() / 2 + 6;
    for (int n = 1; n <= CartridgeBank::kSlots; ++n) {
        auto *b = new TColorBtn(Panel9);
        b->setObjectName(QStringLiteral("cartucho%1").arg(n));
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPointSize(8);
        b->setFont(f);
        b->setBordas(false);
        b->setUsarFocus(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setProperty("Tag", n);
        b->setNumero(funcoes::zeros_esquerda(QString::number(n), 2));
        b->setText(CartridgeBank::legenda(slot(*this, n).titulo));
        b->setGeometry(5 + (n - 1) * (w + 2), 25, w, h);
        b->setCursor(Qt::PointingHandCursor);
        b->setButtonColor(CartridgeBank::corBotao(slot(*this, n).cor));
        b->setMouseTracking(true);
        b->setAcceptDrops(true);
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b](const QPoint &at) { PopupMenu1->popup(b->mapToGlobal(at)); });
        connect(b, &QAbstractButton::clicked, this, [this] { CartucheiraClick(); });
        b->installEventFilter(filtro);
        cartuchos_btn[size_t(n - 1)] = b;
    }
}

// ---------------- hover and drops ----------------

void Tform_mixer::CartucheiraMouseMove(TColorBtn *b)
{
    if (!b)
        return;
    botao_atual = b;
    const int n = numero(b);
    QString texto = QStringLiteral("Cartucho ") + funcoes::zeros_esquerda(QString::number(n), 2);
    if (!slot(*this, n).titulo.isEmpty())
        texto += QStringLiteral(" - ") + slot(*this, n).titulo;
    Label7->setText(texto);
}

void Tform_mixer::CartucheiraDragOver(QDragMoveEvent *evento)
{
    // Every drag that can be copied is welcome here; the drop decides.
    aceita_copia(evento);
}

void Tform_mixer::CartucheiraDragDrop(TColorBtn *b, const QMimeData *dados)
{
    const int n = numero(b);
    if (player(*this, n)->Playing || !dados)
        return;
    CartridgeSlot novo;
    const QString origem = QString::fromUtf8(dados->data(tipoArrasto()));
    if (origem == StringGrid1->objectName() || origem == StringGrid2->objectName()) {
        const bool busca = origem == StringGrid2->objectName();
        const QTableView *grade = busca ? StringGrid2 : StringGrid1;
        const LibraryModel *modelo = busca ? pesquisa : biblioteca;
        const int linha = grade->currentIndex().row();
        novo.titulo = modelo->title(linha);
        novo.arquivo = modelo->path(linha);
        novo.cor = QString::number(busca ? CartridgeBank::kVerde : CartridgeBank::kAmarelo);
    } else if (origem.isEmpty() && dados->hasUrls()) {
        for (const QUrl &url : dados->urls()) {
            if (url.isLocalFile() && CartridgeBank::arquivoDeAudio(url.toLocalFile())) {
                novo = CartridgeBank::doArquivo(url.toLocalFile());
                break;
            }
        }
    }
    // A row without a file (the empty grid's blank row) leaves the cartridge as it was.
    if (novo.arquivo.isEmpty())
        return;

    slot(*this, n) = novo;
    b->setText(CartridgeBank::legenda(novo.titulo));
    b->setButtonColor(CartridgeBank::corBotao(novo.cor));
    b->setToolTip(novo.titulo);
    // Tells the operator now if the file cannot be played; the slot keeps it all the same.
    carrega_cartucho(*this, n);
    grava_grupo(CartridgeBank::fileName());
}

// ---------------- the bank file ----------------

bool Tform_mixer::limpa_cartucheira()
{
    if (algum_tocando(*this)) {
        funcoes::mensagem(QStringLiteral("Por favor aguardar o Término do cartucho em Execução"));
        return false;
    }
    cartuchos = CartridgeBank::Slots{};
    for (TColorBtn *b : cartuchos_btn) {
        b->setText(QString());
        b->setButtonColor(CartridgeBank::corBotao(QString::number(CartridgeBank::kCinza)));
        b->setChecado(false);
    }
    return true;
}

void Tform_mixer::carrega_grupo(const QString &nome)
{
    if (CartridgeBank::nomeInvalido(nome)) {
        funcoes::mensagem(QStringLiteral("Nome do GRUPO DE BOTÕES Inválido - Verifique !!"));
        return;
    }
    if (!limpa_cartucheira())
        return;
    const QString caminho = DataFolder::filePath(nome);
    QString erro;
    // An unreadable bank leaves every slot empty, and its file as it is.
    cartucheira_ilegivel = CartridgeBank::load(caminho, &cartuchos, &erro) == CartridgeBank::LoadResult::Unreadable;
    if (cartucheira_ilegivel)
        funcoes::mensagem(QStringLiteral("Erro ao Ler a Cartucheira ") + QDir::toNativeSeparators(caminho)
                          + QStringLiteral(" - Verifique !!"));
    for (int n = 1; n <= CartridgeBank::kSlots; ++n) {
        TColorBtn *b = botao(*this, n);
        const CartridgeSlot &s = slot(*this, n);
        b->setProperty("Tag", n);
        tamanho_fonte(b, 8);
        b->setText(CartridgeBank::legenda(s.titulo));
        b->setButtonColor(CartridgeBank::corBotao(s.cor));
        b->setToolTip(s.arquivo);
    }
}

void Tform_mixer::grava_grupo(const QString &nome)
{
    if (CartridgeBank::nomeInvalido(nome)) {
        funcoes::mensagem(QStringLiteral("Nome do Grupo de botões Inválido - Verifique !!"));
        return;
    }
    // Nine empty cartridges written over a bank that could not be read would lose it.
    if (cartucheira_ilegivel || !CartridgeBank::save(DataFolder::filePath(nome), cartuchos))
        funcoes::mensagem(QStringLiteral("Erro ao Gravar arquivo de Log"));
}

void Tform_mixer::LimparCartucheira1Click()
{
    // The operator clears the bank on purpose: from then on it is written again.
    if (limpa_cartucheira() && QFile::remove(DataFolder::filePath(CartridgeBank::fileName())))
        cartucheira_ilegivel = false;
}

// ---------------- playback ----------------

void Tform_mixer::CartucheiraClick()
{
    if (!botao_atual)
        return;
    const int n = numero(botao_atual);
    TMorvelBass *p = player(*this, n);
    if (p->Playing) {
        p->Stop();
        return;
    }
    const QString &arquivo = slot(*this, n).arquivo;
    if (NativeName::exists(arquivo)) {
        if (!carrega_cartucho(*this, n))
            return;
        p->Play();
        if (!p->Playing)
            return;
        tamanho_fonte(botao_atual, 15);
        botao_atual->setText(QStringLiteral("00:00"));
        Timer_botonera->setEnabled(true);
    } else if (!arquivo.isEmpty()) {
        funcoes::mensagem(QStringLiteral("Arquivo:") + arquivo + QStringLiteral(" Não encontrado"));
    }
}

void Tform_mixer::Timer_botoneraTimer()
{
    bool algum = false;
    for (int n = 1; n <= CartridgeBank::kSlots; ++n) {
        TMorvelBass *p = player(*this, n);
        if (!p->Playing)
            continue;
        algum = true;
        TColorBtn *b = botao(*this, n);
        b->setText(minutos_segundos(qint64(p->GetLength()) - qint64(p->GetPosition())));
        if (b->bordaWidth() == 1) {
            b->setBordaCor(QColor(255, 0, 0));
            b->setBordaWidth(10);
        } else {
            b->setBordaCor(QColor(0, 0, 0));
            b->setBordaWidth(1);
        }
    }
    Timer_botonera->setEnabled(algum);
}

void Tform_mixer::Cartucho_Stop(TMorvelBass *)
{
    for (int n = 1; n <= CartridgeBank::kSlots; ++n) {
        if (player(*this, n)->Playing)
            continue;
        TColorBtn *b = botao(*this, n);
        tamanho_fonte(b, 8);
        b->setText(CartridgeBank::legenda(slot(*this, n).titulo));
        b->setBordaCor(QColor(0, 0, 0));
        b->setBordaWidth(1);
    }
}
