// The two decks' transport: loading the selected entry, Play, Pause, Stop, the end of a
// track, loop, seek, balance, frequency and the default-frequency lamp. The decks are twins;
// each handler says where deck B differs.
#include "Tempo.h"
#include "UMIXER.h"

#include "library/NativeName.h"
#include "settings/funcoes.h"
#include "visual/BackBuffer.h"
#include "widgets/ColorButton.h"
#include "widgets/Lamp.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"
#include "widgets/LedDotMatrixLabel.h"
#include "widgets/LedNumber.h"
#include "widgets/NeedleMeter.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

struct Deck
{
    TMorvelBass *player;
    QListWidget *list;
    QStringList *paths;
    ColorButton *play, *pause, *stop;
    LedButton *loop;
    QLabel *title, *status, *total, *frequency;
    LedNumber *minutes, *seconds;
    QSlider *position, *pan, *pitch;
    Lamp *lamp;
    QWidget *box;
    LedBarGauge *gauge;
    NeedleMeter *meter;
    QTimer *clock;
    QCheckBox *flanger, *echo, *cut;
    bool *saindo;
    int *padrao;
};

Deck deckOf(Tform_mixer *m, int deck)
{
    if (deck == 1)
        return {m->canal_a, m->ListBox1, &m->arquivos_a, m->bitbtn2, m->bitbtn5, m->bitbtn4, m->loop_esquerda,
                m->label2, m->Label1, m->Label3, m->Label11, m->MMLEDPanel1, m->MMLEDPanel2, m->trackbar1,
                m->trackPan, m->trackFrequencia, m->VrUserLed1, m->pp, m->pbarvu, m->ML, m->Timer1,
                m->CheckBox2, m->CheckBox6, m->CheckBox7, &m->saindo_a, &m->freq_padrao_a};
    return {m->canal_b, m->ListBox2, &m->arquivos_b, m->bitbtn6, m->bitbtn8, m->bitbtn9, m->loop_direita,
            m->label28, m->Label20, m->Label24, m->Label26, m->MMLEDPanel3, m->MMLEDPanel4, m->trackbar5,
            m->trackbar2, m->trackbar4, m->VrUserLed2, m->PP2, m->Progressbar1, m->MR, m->Timer2,
            m->CheckBox5, m->CheckBox8, m->CheckBox9, &m->saindo_b, &m->freq_padrao_b};
}

// While it lives (and is on), messages are dropped instead of shown.
class MessagesHeld
{
public:
    explicit MessagesHeld(bool on)
        : m_on(on)
        , m_saved(funcoes::messageHook())
    {
        if (m_on)
            funcoes::setMessageHook([](const QString &) {});
    }
    ~MessagesHeld()
    {
        if (m_on)
            funcoes::setMessageHook(m_saved);
    }
    MessagesHeld(const MessagesHeld &) = delete;
    MessagesHeld &operator=(const MessagesHeld &) = delete;

private:
    bool m_on;
    funcoes::MessageHook m_saved;
};

} // namespace

void Tform_mixer::wireDeck(int deck)
{
    const Deck d = deckOf(this, deck);
    const bool a = deck == 1;
    connect(d.list, &QListWidget::itemClicked, this, [this, deck] { loadEntry(deck); });
    connect(d.list, &QListWidget::itemDoubleClicked, this, [this, a] { a ? ListBox1DblClick() : ListBox2DblClick(); });
    connect(d.play, &QAbstractButton::clicked, this, [this, a] { a ? BitBtn2Click() : BitBtn6Click(); });
    connect(d.pause, &QAbstractButton::clicked, this, [this, a] { a ? BitBtn5Click() : bitbtn8Click(); });
    connect(d.stop, &QAbstractButton::clicked, this, [this, a] { a ? BitBtn4Click() : BitBtn9Click(); });
    connect(d.loop, &QAbstractButton::clicked, this, [this, a] { a ? loop_esquerdaClick() : loop_direitaClick(); });
    // The signal carries the new place; the slider's value follows only after it.
    connect(d.position, &QSlider::sliderMoved, this, [this, a](int ms) { a ? trackbar1Track(ms) : trackbar5Track(ms); });
    connect(d.pan, &QSlider::valueChanged, this, [this, a] { a ? trackPanChange() : TrackBar2Change(); });
    connect(d.pitch, &QSlider::valueChanged, this, [this, a] { a ? trackFrequenciaChange() : TrackBar4Change(); });
    connect(d.lamp, &Lamp::pressed, d.lamp, [l = d.lamp] { l->setOn(true); });
    connect(d.lamp, &Lamp::released, d.lamp, [l = d.lamp] { l->setOn(false); });
    connect(d.lamp, &Lamp::clicked, this, [this, a] { a ? VrUserLed1Click() : VrUserLed2Click(); });

    QMenu *menu = a ? PopupMenu5 : PopupMenu6;
    QAction *playItem = menu->addAction(QStringLiteral("Play"));
    playItem->setObjectName(a ? QStringLiteral("Play1") : QStringLiteral("Play2"));
    QAction *stopItem = menu->addAction(QStringLiteral("Stop"));
    stopItem->setObjectName(a ? QStringLiteral("Stop1") : QStringLiteral("Stop2"));
    connect(playItem, &QAction::triggered, this, [this, a] { a ? BitBtn2Click() : BitBtn6Click(); });
    connect(stopItem, &QAction::triggered, this, [this, a] { a ? BitBtn4Click() : BitBtn9Click(); });
    connect(d.list, &QWidget::customContextMenuRequested, menu,
            [menu, list = d.list](const QPoint &at) { menu->popup(list->viewport()->mapToGlobal(at)); });
}

bool Tform_mixer::eventFilter(QObject *watched, QEvent *event)
{
    // Moving through a list with the keys selects like a click does.
    if ((watched == ListBox1 || watched == ListBox2) && event->type() == QEvent::KeyRelease) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
        case Qt::Key_Home: case Qt::Key_End:
            loadEntry(watched == ListBox1 ? 1 : 2);
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------- load ----------------

void Tform_mixer::ListBox1Click() { loadEntry(1); }
void Tform_mixer::ListBox2Click() { loadEntry(2); }

void Tform_mixer::showLength(int deck)
{
    const Deck d = deckOf(this, deck);
    d.total->setText(minutos_segundos(d.player->GetLength()));
}

bool Tform_mixer::loadEntry(int deck, bool quiet)
{
    const Deck d = deckOf(this, deck);
    try {
        const int row = d.list->currentRow();
        if (row < 0 || d.list->count() == 0 || d.player->Playing)
            return false;
        const QString path = d.paths->value(row);
        if (!NativeName::exists(path)) {
            if (!quiet)
                funcoes::bip_mensagem(deck == 1 ? QStringLiteral("Arquivo ->") + path + QStringLiteral(" - Não Localizado !!")
                                                : QStringLiteral("Arquivo Selecionado não localizado !!!"));
            d.play->setEnabled(false);
            return false;
        }
        try {
            // A quiet load (during a hand-over) holds back even the player's own messages.
            const MessagesHeld held(quiet);
            d.player->FreeStream();
            d.player->LoadFile(path);
        } catch (...) {
            if (!quiet)
                funcoes::mensagem(QStringLiteral("Erro ao Carregar Mídia - Verifique !!"));
            return false;
        }
        if (deck == 2) {
            limpa_grafico(2);
            limpa_mixer(2);
        }
        d.position->setMaximum(int(d.player->GetLength()));
        d.pitch->setEnabled(true);
        d.pan->setEnabled(true);
        d.position->setEnabled(true);
        showLength(deck);
        d.play->setEnabled(true);
        d.list->setToolTip(path.trimmed());
        d.title->setText(d.player->Title);
        d.frequency->setText(QString::number(d.player->Frequency()));
        return d.player->Loaded && d.player->Channel != 0;
    } catch (...) {
    }
    return false;
}

bool Tform_mixer::prepara_entrada(int deck, QStringList *falhas)
{
    const Deck d = deckOf(this, deck);
    const int n = d.list->count();
    if (n == 0 || d.paths->size() < n)
        return false;
    int row = qBound(0, d.list->currentRow(), n - 1);
    for (int tried = 0; tried < n; ++tried, row = (row + 1) % n) {
        if (d.list->currentRow() != row)
            d.list->setCurrentRow(row);
        const QString path = d.paths->at(row);
        // The entry loaded when the deck last stopped is still good unless its file went away.
        if (d.player->Loaded && d.player->Channel != 0 && d.player->FileName == path && NativeName::exists(path))
            return true;
        if (loadEntry(deck, true))
            return true;
        if (falhas)
            falhas->append(TMorvelBass::titleOf(path));
    }
    return false;
}

// ---------------- play ----------------

void Tform_mixer::BitBtn2Click() { playDeck(1); }
void Tform_mixer::BitBtn6Click() { playDeck(2); }

void Tform_mixer::playDeck(int deck)
{
    const Deck d = deckOf(this, deck);
    Label7->setText(QStringLiteral("Quorvanti Velarix-Pro"));
    if (!NativeName::exists(d.player->FileName))
        return;
    if (QListWidgetItem *item = d.list->currentItem())
        d.list->scrollToItem(item, QAbstractItemView::PositionAtTop);
    // The ticker starts over from the right edge (deck B does it before the equaliser).
    auto restartTicker = [this] { label5->move(Panel18->width(), label5->y()); };
    if (deck == 2)
        restartTicker();
    *d.saindo = false;
    d.player->SetEqualizer(bsSkinCheckRadioBox1->isChecked());
    aplica_bandas();
    *d.padrao = d.player->Frequency();
    d.pitch->setValue(*d.padrao);
    d.player->SetPosition(0);
    d.player->Play();
    // A player that holds no stream starts nothing: the deck must not look as if it played.
    if (!d.player->Playing)
        return;
    sem_entrada[deck - 1] = -1;
    TrackBar18Change();
    if (deck == 1)
        restartTicker();
    d.clock->start();
    d.play->setEnabled(false);
    d.stop->setEnabled(true);
    d.pause->setEnabled(true);
    atualiza_mix();
    if (LEDButton1->isChecked()) {
        d.loop->setEnabled(false);
    } else {
        d.loop->setEnabled(true);
        d.player->Looping = d.loop->isChecked();
    }
}

// ---------------- pause ----------------

void Tform_mixer::BitBtn5Click() { pauseDeck(1); }
void Tform_mixer::bitbtn8Click() { pauseDeck(2); }

void Tform_mixer::pauseDeck(int deck)
{
    const Deck d = deckOf(this, deck);
    if (!d.player->Playing)
        return;
    if (d.player->Paused) {
        d.player->Play();
        d.stop->setEnabled(true);
        d.status->setText(QStringLiteral("PLAY"));
    } else {
        d.player->Pause();
        d.status->setText(QStringLiteral("PAUSE"));
        d.stop->setEnabled(false);
    }
    d.play->setEnabled(false);
}

// ---------------- stop ----------------

void Tform_mixer::BitBtn4Click() { stopDeck(1); }
void Tform_mixer::BitBtn9Click() { stopDeck(2); }

void Tform_mixer::stopDeck(int deck)
{
    const Deck d = deckOf(this, deck);
    if (!d.player->Playing)
        return;
    d.stop->setEnabled(false);
    // A loud deck fades out; a quiet one stops at once and its stop handler loads the next entry.
    if (d.player->Volume() >= 50)
        d.player->FadeOut(500);
    else
        d.player->Stop();
    d.play->setEnabled(true);
    d.pause->setEnabled(false);
    *d.saindo = true;
    limpa_grafico(deck);
    limpa_mixer(deck);
}

void Tform_mixer::limpa_mixer(int deck)
{
    const Deck d = deckOf(this, deck == 1 ? 1 : 2);
    d.position->setValue(0);
    d.minutes->setValue(0);
    d.seconds->setValue(0);
    d.total->setText(QStringLiteral("00:00"));
    d.frequency->setText(QStringLiteral("00000"));
    d.gauge->setValue(0);
    d.meter->setValue(0);
}

void Tform_mixer::limpa_grafico(int deck)
{
    QWidget *box = deck == 1 ? pp : PP2;
    clearDisplay(box);
    box->update();
}

// ---------------- end of track ----------------

void Tform_mixer::Canal_aStop(TMorvelBass *) { deckStopped(1); }

void Tform_mixer::Canal_bStop(TMorvelBass *)
{
    // Deck B lets the window catch up first, as it always has.
    QCoreApplication::processEvents();
    deckStopped(2);
}

void Tform_mixer::deckStopped(int deck)
{
    const Deck d = deckOf(this, deck);
    if (d.position->hasFocus())
        return;
    try {
        if (d.clock->isActive() && d.list->count() > 0) {
            int next = d.list->currentRow() + 1;
            if (next >= d.list->count())
                next = 0;
            d.list->setCurrentRow(next);
        }
        d.clock->stop();
        limpa_grafico(deck);
        if (deck == 1 || *d.saindo)
            limpa_mixer(deck);
        d.gauge->setValue(0);
        d.meter->setValue(0);
        if (deck == 1 && *d.saindo)
            limpa_mixer(deck);
        d.play->setEnabled(true);
        d.stop->setEnabled(false);
        if (deck == 1)
            d.loop->setEnabled(false);
        // Unchecking runs the boxes' handlers, which take the effects off the player.
        d.flanger->setChecked(false);
        d.echo->setChecked(false);
        d.cut->setChecked(false);
        atualiza_mix();
    } catch (...) {
    }
    loadEntry(deck);
}

// ---------------- loop, seek, balance, frequency ----------------

void Tform_mixer::loop_esquerdaClick()
{
    if (canal_a->Playing)
        canal_a->Looping = loop_esquerda->isChecked();
}

void Tform_mixer::loop_direitaClick()
{
    canal_b->Looping = loop_direita->isChecked();
}

void Tform_mixer::trackbar1Track(int posicao) { seekDeck(1, posicao); }
void Tform_mixer::trackbar5Track(int posicao) { seekDeck(2, posicao); }

void Tform_mixer::seekDeck(int deck, int ms)
{
    const Deck d = deckOf(this, deck);
    try {
        if (!d.player->Playing)
            return;
        Timer3->stop();
        d.clock->stop();
        d.player->SetPosition(uint32_t(std::max(0, ms)));
        d.clock->start();
        Timer3->start();
        if (deck == 2)
            d.player->Play(); // a paused deck B resumes from the new place
        d.play->setEnabled(false);
        d.stop->setEnabled(true);
        d.pause->setEnabled(true);
    } catch (...) {
    }
}

void Tform_mixer::trackPanChange()
{
    canal_a->setPan(-trackPan->value()); // deck A's slider is mirrored: left pans right
}

void Tform_mixer::TrackBar2Change()
{
    canal_b->setPan(trackbar2->value());
}

void Tform_mixer::trackFrequenciaChange()
{
    canal_a->setFrequency(trackFrequencia->value());
}

void Tform_mixer::TrackBar4Change()
{
    canal_b->setFrequency(trackbar4->value());
}

void Tform_mixer::VrUserLed1Click() { defaultFrequency(1); }
void Tform_mixer::VrUserLed2Click() { defaultFrequency(2); }

void Tform_mixer::defaultFrequency(int deck)
{
    const Deck d = deckOf(this, deck);
    d.player->setFrequency(*d.padrao);
    d.pitch->setValue(*d.padrao);
}

void Tform_mixer::ListBox1DblClick()
{
    if (!canal_a->Playing)
        BitBtn2Click();
}

void Tform_mixer::ListBox2DblClick()
{
    if (!canal_b->Playing)
        BitBtn6Click();
}
