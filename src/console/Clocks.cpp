// The deck clocks (displays, visualisation and the automatic mix), the housekeeping clock,
// the Auto Mix switch, the time display modes and the manual hand-overs.
#include "Tempo.h"
#include "UMIXER.h"

#include "settings/uform_config.h"
#include "visual/ScreenFit.h"
#include "widgets/ColorButton.h"
#include "widgets/Lamp.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"
#include "widgets/LedColon.h"
#include "widgets/LedDotMatrixLabel.h"
#include "widgets/LedNumber.h"
#include "widgets/NeedleMeter.h"

#include <QSpinBox>
#include <QTime>
#include <stdexcept>
#include <tuple>

void Tform_mixer::wireClocks()
{
    connect(Timer1, &QTimer::timeout, this, &Tform_mixer::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &Tform_mixer::Timer2Timer);
    connect(Timer3, &QTimer::timeout, this, &Tform_mixer::Timer3Timer);
    connect(LEDButton1, &QAbstractButton::clicked, this, &Tform_mixer::LEDButton1Click);
    for (QObject *w : {static_cast<QObject *>(MMLEDPanel1), static_cast<QObject *>(MMLEDPanel2)})
        connect(static_cast<LedNumber *>(w), &LedNumber::clicked, this, &Tform_mixer::MMLEDPanel1Click);
    connect(MMLEDDigit1, &LedColon::clicked, this, &Tform_mixer::MMLEDPanel1Click);
    for (QObject *w : {static_cast<QObject *>(MMLEDPanel3), static_cast<QObject *>(MMLEDPanel4)})
        connect(static_cast<LedNumber *>(w), &LedNumber::clicked, this, &Tform_mixer::MMLEDPanel3Click);
    connect(MMLEDDigit3, &LedColon::clicked, this, &Tform_mixer::MMLEDPanel3Click);
    connect(speedbutton1, &QAbstractButton::clicked, this, &Tform_mixer::SpeedButton1Click);
    connect(speedbutton2, &QAbstractButton::clicked, this, &Tform_mixer::SpeedButton2Click);
    connect(FadeMix1, &QAction::triggered, this, &Tform_mixer::FadeMix1Click);

    QAction *centre = PopupMenu4->addAction(QStringLiteral("Fade Padrão "));
    centre->setObjectName(QStringLiteral("FadePadro1"));
    connect(centre, &QAction::triggered, this, &Tform_mixer::FadePadro1Click);
    for (QWidget *w : {static_cast<QWidget *>(Trackbar18), static_cast<QWidget *>(Panel9)}) {
        w->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(w, &QWidget::customContextMenuRequested, this,
                [this, w](const QPoint &at) { PopupMenu4->popup(w->mapToGlobal(at)); });
    }
    connect(Timer6, &QTimer::timeout, this, &Tform_mixer::Timer6Timer);
    label5->setShowUnlitDots(false); // the strip moves: only the lit dots travel with it
    texto_letreiro(caption_banner);
    Timer6->start();
    graficos = std::make_unique<ConsoleVisuals>();
    tela_registrada = screenfit::designScreen();
    Timer3->start();
}

int Tform_mixer::tempo_mixagem() const
{
    return form_config ? form_config->RxSpinEdit7->value() : 3000;
}

int Tform_mixer::sensibilidade() const
{
    return form_config ? form_config->RxSpinEdit1->value() : 20;
}

namespace {
// Puts an "MM:SS" text on a deck's two time panels; any other shape is refused.
void mostra_tempo(LedNumber *minutos, LedNumber *segundos, const QString &texto)
{
    bool okMinutes = false, okSeconds = false;
    const int minutes = texto.mid(0, 2).toInt(&okMinutes);
    const int seconds = texto.mid(3, 2).toInt(&okSeconds);
    if (!okMinutes || !okSeconds)
        throw std::runtime_error("time text is not MM:SS");
    minutos->setValue(minutes);
    segundos->setValue(seconds);
}
} // namespace

void Tform_mixer::Display_c01(const QString &texto)
{
    mostra_tempo(MMLEDPanel1, MMLEDPanel2, texto);
}

void Tform_mixer::Display_c02(const QString &texto)
{
    mostra_tempo(MMLEDPanel3, MMLEDPanel4, texto);
}

void Tform_mixer::Timer1Timer() { deckTick(1); }
void Tform_mixer::Timer2Timer() { deckTick(2); }

void Tform_mixer::deckTick(int deck)
{
    const bool a = deck == 1;
    TMorvelBass *player = a ? canal_a : canal_b;
    TMorvelBass *other = a ? canal_b : canal_a;
    QWidget *box = a ? pp : PP2;
    LedBarGauge *gauge = a ? pbarvu : Progressbar1;
    NeedleMeter *meter = a ? ML : MR;
    QSlider *position = a ? trackbar1 : trackbar5;
    QListWidget *list = a ? ListBox1 : ListBox2;
    QListWidget *otherList = a ? ListBox2 : ListBox1;
    const bool saindo = a ? saindo_a : saindo_b;
    try {
        if (!player->Playing)
            return;
        if (!player->Paused && graficos) {
            float fft[512] = {};
            qint16 samples[1024];
            const qint16 grafico = a ? grafico_a : grafico_b;
            player->GetFFT(fft);
            if (grafico == 1)
                player->GetSamples(samples, sizeof samples);
            DeckVisuals &visuals = a ? graficos->deckA : graficos->deckB;
            if (visuals.exists()) {
                const int level = visuals.drawFrame(box, grafico, fft, grafico == 1 ? samples : nullptr);
                gauge->setValue(level);
                meter->setValue(level);
            }
        }
        if (position->hasFocus())
            list->setFocus();

        const uint32_t length = player->GetLength();
        const uint32_t at = player->GetPosition();
        const uint32_t remaining = length - at; // unsigned, as the clock always measured it
        const bool autoMix = LEDButton1->isChecked();
        const uint32_t mixTime = uint32_t(tempo_mixagem());
        if (!saindo && autoMix && player->Playing && otherList->count() >= 1 && remaining < mixTime && !other->Playing)
            passa_vez(deck);

        const quint8 mode = a ? modo_tempo_a : modo_tempo_b;
        const QString shown = minutos_segundos(mode == 2 ? qint64(length) - qint64(at) : qint64(at));
        a ? Display_c01(shown) : Display_c02(shown);
        (a ? Label3 : Label24)->setText(minutos_segundos(length));
        // A length first estimated from the file's header is corrected once it has been counted.
        if (position->maximum() != int(length))
            position->setMaximum(int(length));
        position->setValue(int(at));
        (a ? Label11 : Label26)->setText(QString::number(player->Frequency()));

        const bool stillLeaving = a ? saindo_a : saindo_b;
        if (LEDButton2->isChecked() && autoMix && otherList->count() >= 1 && !other->Playing && !stillLeaving && remaining < 25000u
            && remaining > mixTime && gauge->value() < sensibilidade() + 10)
            passa_vez(deck);
    } catch (...) {
    }
}

namespace {
QString texto_falhas(const QStringList &falhas)
{
    return QStringLiteral("Não foi possível tocar: ") + falhas.join(QStringLiteral(", "));
}
} // namespace

bool Tform_mixer::entra_no_ar(int to)
{
    TMorvelBass *incoming = to == 2 ? canal_b : canal_a;
    QListWidget *incomingList = to == 2 ? ListBox2 : ListBox1;
    int &semEntrada = sem_entrada[to == 2 ? 0 : 1];
    // Nothing in that list played last time and nothing has been added since.
    if (semEntrada == incomingList->count())
        return false;
    QStringList falhas;
    if (prepara_entrada(to, &falhas)) {
        // Both decks at the master volume, whatever side the crossfader was left on.
        FadePadro1Click();
        to == 2 ? BitBtn6Click() : BitBtn2Click();
    }
    if (!incoming->Playing) {
        semEntrada = incomingList->count();
        if (!falhas.isEmpty())
            Label7->setText(QStringLiteral("Nenhuma música da lista pode ser tocada - ") + texto_falhas(falhas));
        return false;
    }
    semEntrada = -1;
    if (!falhas.isEmpty())
        Label7->setText(texto_falhas(falhas));
    return true;
}

void Tform_mixer::passa_vez(int from)
{
    // The outgoing deck fades only once the incoming one really plays.
    if (!entra_no_ar(from == 1 ? 2 : 1))
        return;
    (from == 1 ? canal_a : canal_b)->FadeOut(tempo_fade);
    (from == 1 ? saindo_a : saindo_b) = true;
}

void Tform_mixer::atualiza_mix()
{
    for (auto [player, mix, lamp] : {std::tuple{canal_a, speedbutton1, lampMixA}, std::tuple{canal_b, speedbutton2, lampMixB}}) {
        mix->setEnabled(!player->Playing);
        lamp->setOn(!player->Playing); // ready to take over
    }
}

void Tform_mixer::Timer3Timer()
{
    if (ListBox1->count() == 0) {
        bitbtn2->setEnabled(false);
        label2->setText(QStringLiteral("Música:"));
    }
    if (ListBox2->count() == 0) {
        bitbtn6->setEnabled(false);
        label28->setText(QStringLiteral("Música:"));
    }
    struct Side
    {
        TMorvelBass *player;
        ColorButton *clear, *remove;
        Lamp *lamp;
        QLabel *status;
    };
    atualiza_mix();
    for (const Side &s : {Side{canal_a, bitbtn17, bitbtn18, MMLED4, Label1}, Side{canal_b, bitbtn19, bitbtn20, MMLED3, Label20}}) {
        const bool playing = s.player->Playing;
        s.clear->setEnabled(!playing);
        s.remove->setEnabled(!playing);
        s.lamp->setOn(playing ? !s.lamp->isOn() : false);
        s.status->setStyleSheet(playing ? QStringLiteral("color: rgb(255, 0, 0); font-weight: bold;")
                                        : QStringLiteral("color: rgb(64, 64, 64); font-weight: bold;"));
    }
}

void Tform_mixer::LEDButton1Click()
{
    const bool on = LEDButton1->isChecked();
    for (LedButton *loop : {loop_esquerda, loop_direita}) {
        loop->setEnabled(!on);
        loop->setChecked(false);
    }
    if (form_config) {
        form_config->RxSpinEdit7->setEnabled(on);
        form_config->RxSpinEdit1->setEnabled(on);
    }
    LEDButton2->setChecked(on);
    if (on) {
        if (ListBox2->count() > 0)
            ListBox2Click();
        if (ListBox1->count() > 0)
            ListBox1Click();
    }
}

void Tform_mixer::MMLEDPanel1Click()
{
    modo_tempo_a = modo_tempo_a >= 2 ? 1 : modo_tempo_a + 1;
}

void Tform_mixer::MMLEDPanel3Click()
{
    modo_tempo_b = modo_tempo_b >= 2 ? 1 : modo_tempo_b + 1;
}

// ---------------- manual mix ----------------

void Tform_mixer::FadePadro1Click()
{
    Trackbar18->setValue(100);
    TrackBar18Change();
}

void Tform_mixer::SpeedButton2Click() { handOverByHand(2); }
void Tform_mixer::SpeedButton1Click() { handOverByHand(1); }

void Tform_mixer::handOverByHand(int to)
{
    const bool toB = to == 2;
    TMorvelBass *incoming = toB ? canal_b : canal_a;
    TMorvelBass *outgoing = toB ? canal_a : canal_b;
    // A deck that has just taken over is never started again from its beginning.
    if (incoming->Playing)
        return;
    if (!outgoing->Playing) {
        toB ? BitBtn6Click() : BitBtn2Click();
        return;
    }
    sem_entrada[toB ? 0 : 1] = -1; // the operator asks again: the whole list is tried again
    if (!entra_no_ar(to))
        return;
    outgoing->FadeOut(tempo_fade);
    (toB ? bitbtn2 : bitbtn6)->setEnabled(false);
    (toB ? bitbtn4 : bitbtn9)->setEnabled(false);
    (toB ? saindo_a : saindo_b) = true;
}

void Tform_mixer::FadeMix1Click()
{
    if (Timer2->isActive() && speedbutton1->isEnabled())
        SpeedButton1Click();
    if (Timer1->isActive() && speedbutton2->isEnabled())
        SpeedButton2Click();
}

// ---------------- title ticker ----------------

void Tform_mixer::texto_letreiro(const QString &texto)
{
    if (label5->text() == texto)
        return;
    label5->setText(texto);
    // The strip is as long as its text; moving it across the panel scrolls it.
    const qreal pitch = label5->height() / 8.0;
    label5->resize(int(label5->textColumns() * pitch) + 4, label5->height());
}

void Tform_mixer::Timer6Timer()
{
    const bool a = Timer1->isActive(), b = Timer2->isActive();
    if (a == b) {
        Timer6->setInterval(200);
        texto_letreiro(QTime::currentTime().minute() % 2 == 0 ? QStringLiteral("Visite: ") + enderecoSite()
                                                                : caption_banner);
        if (label5->x() + label5->width() > 3)
            label5->move(label5->x() - 3, label5->y());
        else
            label5->move(Panel18->width() - 3, label5->y());
        return;
    }
    Timer6->setInterval(45);
    QLabel *title = a ? label2 : label28;
    QLabel *total = a ? Label3 : Label24;
    texto_letreiro((title->text().chopped(qMin(4, title->text().size())) + QStringLiteral(" - ") + total->text()).toUpper());
    if (label5->x() > 2)
        label5->move(label5->x() - 5, label5->y());
}
