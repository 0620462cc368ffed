// The title ticker: the banner and the site while both decks or neither play, the title and
// length of the deck that plays alone.
#include "UMIXER.h"

#include "widgets/LedDotMatrixLabel.h"

#include <QTime>

void Tform_mixer::reinicia_letreiro()
{
    label5->move(Panel18->width(), label5->y());
}

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
    const bool a = deck_a->no_ar(), b = deck_b->no_ar();
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
    const Deck &solo = a ? *deck_a : *deck_b;
    const QString titulo = solo.titulo->text();
    texto_letreiro((titulo.chopped(qMin(4, titulo.size())) + QStringLiteral(" - ") + solo.duracao->text()).toUpper());
    if (label5->x() > 2)
        label5->move(label5->x() - 5, label5->y());
}
