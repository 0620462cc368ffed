// The cartridge bank on the console: the ten buttons, filling them by drops, the bank file,
// clearing, and firing a cartridge with its countdown; and the ten shortcuts.
#include "Cartucheira.h"

#include "Acervo.h"
#include "Tempo.h"
#include "UMIXER.h"
#include "audio/TMorvelBass.h"
#include "audio/TThreadedTimer.h"
#include "cartridge/Shortcuts.h"
#include "library/NativeName.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"
#include "widgets/TColorBtn.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenu>
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

void tamanho_fonte(TColorBtn *b, int pontos)
{
    QFont f = b->font();
    f.setPointSize(pontos);
    b->setFont(f);
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

} // namespace

Cartucheira::Cartucheira(Tform_mixer &console)
    : m_console(console)
{
    canal_atalho = new TMorvelBass(&console);
    canal_atalho->setObjectName(QStringLiteral("canal_atalho"));
    for (int i = 0; i < 10; ++i) {
        canal_cartucho[size_t(i)] = new TMorvelBass(&console);
        canal_cartucho[size_t(i)]->setObjectName(QStringLiteral("canal_cartucho%1").arg(i + 1));
    }
    atalhos = std::make_shared<Atalhos>();
    using Handler = void (Cartucheira::*)();
    static const Handler handlers[10] = {
        &Cartucheira::PlayAtalho011Click, &Cartucheira::PlayAtalho012Click, &Cartucheira::PlayAtalho013Click,
        &Cartucheira::PlayAtalho014Click, &Cartucheira::PlayAtalho051Click, &Cartucheira::PlayAtalho061Click,
        &Cartucheira::PlayAtalho071Click, &Cartucheira::PlayAtalho081Click, &Cartucheira::PlayAtalho091Click,
        &Cartucheira::PlayAtalho101Click};
    static const char *nomes[10] = {"PlayAtalho011", "PlayAtalho012", "PlayAtalho013", "PlayAtalho014",
                                    "PlayAtalho051", "PlayAtalho061", "PlayAtalho071", "PlayAtalho081",
                                    "PlayAtalho091", "PlayAtalho101"};
    for (int i = 0; i < 10; ++i) {
        auto *tecla = new QAction(this);
        tecla->setObjectName(QString::fromLatin1(nomes[i]));
        tecla->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + (i + 1) % 10)));
        tecla->setShortcutContext(Qt::WindowShortcut);
        m_console.addAction(tecla);
        connect(tecla, &QAction::triggered, this, handlers[i]);
    }
    cria_cartuchos();
}

Cartucheira::~Cartucheira()
{
    Timer_botonera->setEnabled(false);
    Timer_botonera->OnTimer = nullptr;
    for (TMorvelBass *p : canal_cartucho)
        p->OnStop = nullptr;
}

// Loads a cartridge's file on the music card. False, after telling the operator, when the
// file gives no playable stream.
bool Cartucheira::carrega_cartucho(int n)
{
    TMorvelBass *p = canal_cartucho[size_t(n - 1)];
    try {
        p->FreeStream();
        p->SetDevice(p->Device); // the music card, or the first card standing in for a missing one
        p->LoadFile(cartuchos[size_t(n - 1)].arquivo);
        p->setVolume(100);
    } catch (...) {
        funcoes::mensagem(QStringLiteral("Erro ao Carregar Mídia - Verifique !!"));
        return false;
    }
    // A refused source (8 bits) has already been reported by the player.
    return p->Loaded;
}

bool Cartucheira::algum_tocando() const
{
    for (TMorvelBass *p : canal_cartucho)
        if (p->Playing)
            return true;
    return false;
}

bool Cartucheira::eventFilter(QObject *alvo, QEvent *evento)
{
    auto *b = qobject_cast<TColorBtn *>(alvo);
    if (!b)
        return false;
    switch (evento->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A press is also over the button: a click with a pointer that never moved
        // (resting there when the window appeared) still fires this cartridge.
        CartucheiraMouseMove(b);
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove:
        CartucheiraDragOver(static_cast<QDragMoveEvent *>(evento));
        return true;
    case QEvent::Drop: {
        auto *de = static_cast<QDropEvent *>(evento);
        if (aceita_copia(de))
            CartucheiraDragDrop(b, de->mimeData());
        return true;
    }
    default:
        return false;
    }
}

void Cartucheira::cria_cartuchos()
{
    PopupMenu1 = new QMenu(&m_console);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    LimparCartucheira1 = PopupMenu1->addAction(QStringLiteral("Limpar Cartucheira"));
    LimparCartucheira1->setObjectName(QStringLiteral("LimparCartucheira1"));
    connect(LimparCartucheira1, &QAction::triggered, this, [this] { LimparCartucheira1Click(); });

    Timer_botonera = new TThreadedTimer(&m_console);
    Timer_botonera->setObjectName(QStringLiteral("Timer_botonera"));
    Timer_botonera->setInterval(500);
    Timer_botonera->OnTimer = [this](TThreadedTimer *) { Timer_botoneraTimer(); };
    for (TMorvelBass *p : canal_cartucho)
        p->OnStop = [this](TMorvelBass *sender) { Cartucho_Stop(sender); };

    const int w = m_console.Panel9->width() / 10 - 3, h = m_console.Panel9->height() / 2 + 6;
    for (int n = 1; n <= CartridgeBank::kSlots; ++n) {
        auto *b = new TColorBtn(m_console.Panel9);
        b->setObjectName(QStringLiteral("cartucho%1").arg(n));
        QFont f(QStringLiteral("DejaVu Serif"));
        f.setPointSize(8);
        b->setFont(f);
        b->setBordas(false);
        b->setUsarFocus(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setProperty("Tag", n);
        b->setNumero(funcoes::zeros_esquerda(QString::number(n), 2));
        b->setText(CartridgeBank::legenda(cartuchos[size_t(n - 1)].titulo));
        b->setGeometry(5 + (n - 1) * (w + 2), 25, w, h);
        b->setCursor(Qt::PointingHandCursor);
        b->setButtonColor(CartridgeBank::corBotao(cartuchos[size_t(n - 1)].cor));
        b->setMouseTracking(true);
        b->setAcceptDrops(true);
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b](const QPoint &at) { PopupMenu1->popup(b->mapToGlobal(at)); });
        connect(b, &QAbstractButton::clicked, this, [this] { CartucheiraClick(); });
        b->installEventFilter(this);
        cartuchos_btn[size_t(n - 1)] = b;
    }
}

// ---------------- hover and drops ----------------

void Cartucheira::CartucheiraMouseMove(TColorBtn *b)
{
    if (!b)
        return;
    botao_atual = b;
    const int n = numero(b);
    QString texto = QStringLiteral("Cartucho ") + funcoes::zeros_esquerda(QString::number(n), 2);
    if (!cartuchos[size_t(n - 1)].titulo.isEmpty())
        texto += QStringLiteral(" - ") + cartuchos[size_t(n - 1)].titulo;
    m_console.Label7->setText(texto);
}

void Cartucheira::CartucheiraDragOver(QDragMoveEvent *evento)
{
    // Every drag that can be copied is welcome here; the drop decides.
    aceita_copia(evento);
}

void Cartucheira::CartucheiraDragDrop(TColorBtn *b, const QMimeData *dados)
{
    const int n = numero(b);
    if (canal_cartucho[size_t(n - 1)]->Playing || !dados)
        return;
    CartridgeSlot novo;
    const QString origem = QString::fromUtf8(dados->data(Tform_mixer::tipoArrasto()));
    bool busca = false;
    if (m_console.acervo->faixa_arrastada(origem, &novo.titulo, &novo.arquivo, &busca)) {
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

    cartuchos[size_t(n - 1)] = novo;
    b->setText(CartridgeBank::legenda(novo.titulo));
    b->setButtonColor(CartridgeBank::corBotao(novo.cor));
    b->setToolTip(novo.titulo);
    // Tells the operator now if the file cannot be played; the slot keeps it all the same.
    carrega_cartucho(n);
    grava_grupo(CartridgeBank::fileName());
}

// ---------------- the bank file ----------------

bool Cartucheira::limpa_cartucheira()
{
    if (algum_tocando()) {
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

void Cartucheira::carrega_grupo(const QString &nome)
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
        TColorBtn *b = cartuchos_btn[size_t(n - 1)];
        const CartridgeSlot &s = cartuchos[size_t(n - 1)];
        b->setProperty("Tag", n);
        tamanho_fonte(b, 8);
        b->setText(CartridgeBank::legenda(s.titulo));
        b->setButtonColor(CartridgeBank::corBotao(s.cor));
        b->setToolTip(s.arquivo);
    }
}

void Cartucheira::grava_grupo(const QString &nome)
{
    if (CartridgeBank::nomeInvalido(nome)) {
        funcoes::mensagem(QStringLiteral("Nome do Grupo de botões Inválido - Verifique !!"));
        return;
    }
    // Nine empty cartridges written over a bank that could not be read would lose it.
    if (cartucheira_ilegivel)
        funcoes::mensagem(QStringLiteral("Não foi possível ler o arquivo de cartuchos ") + nome
                          + QStringLiteral("\rEle é mantido como está: este cartucho vale até o programa ser fechado"));
    else if (!CartridgeBank::save(DataFolder::filePath(nome), cartuchos))
        funcoes::mensagem(QStringLiteral("Erro ao Gravar arquivo de Log"));
}

void Cartucheira::LimparCartucheira1Click()
{
    // The operator clears the bank on purpose: from then on it is written again.
    if (limpa_cartucheira() && QFile::remove(DataFolder::filePath(CartridgeBank::fileName())))
        cartucheira_ilegivel = false;
}

// ---------------- playback ----------------

void Cartucheira::CartucheiraClick()
{
    if (!botao_atual)
        return;
    const int n = numero(botao_atual);
    TMorvelBass *p = canal_cartucho[size_t(n - 1)];
    if (p->Playing) {
        p->Stop();
        return;
    }
    const QString &arquivo = cartuchos[size_t(n - 1)].arquivo;
    if (NativeName::exists(arquivo)) {
        if (!carrega_cartucho(n))
            return;
        p->SetGain(m_console.nivelamento->ganho(arquivo));
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

void Cartucheira::Timer_botoneraTimer()
{
    bool algum = false;
    for (int n = 1; n <= CartridgeBank::kSlots; ++n) {
        TMorvelBass *p = canal_cartucho[size_t(n - 1)];
        if (!p->Playing)
            continue;
        algum = true;
        TColorBtn *b = cartuchos_btn[size_t(n - 1)];
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

void Cartucheira::Cartucho_Stop(TMorvelBass *)
{
    for (int n = 1; n <= CartridgeBank::kSlots; ++n) {
        if (canal_cartucho[size_t(n - 1)]->Playing)
            continue;
        TColorBtn *b = cartuchos_btn[size_t(n - 1)];
        tamanho_fonte(b, 8);
        b->setText(CartridgeBank::legenda(cartuchos[size_t(n - 1)].titulo));
        b->setBordaCor(QColor(0, 0, 0));
        b->setBordaWidth(1);
    }
}
