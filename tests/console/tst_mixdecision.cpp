// The automatic mix's decision as plain values: when the clock of a playing deck hands over to
// the other deck, by time or by level, and every guard that keeps it from doing so.
#include "console/MixDecision.h"

#include <QtTest>

using namespace mixagem;

Q_DECLARE_METATYPE(mixagem::Motivo)
Q_DECLARE_METATYPE(mixagem::Situacao)
Q_DECLARE_METATYPE(mixagem::Regras)

namespace {

// Deck A plays a 3-minute track, deck B idles with two entries: the usual moment before a mix.
Situacao tocando(quint32 resta, int nivel = 80)
{
    Situacao s;
    s.tocando = true;
    s.entradas_do_outro = 2;
    s.duracao = 180000;
    s.posicao = s.duracao - resta;
    s.nivel = nivel;
    return s;
}

} // namespace

class TestMixDecision : public QObject
{
    Q_OBJECT

private slots:
    void decides_data()
    {
        QTest::addColumn<Situacao>("s");
        QTest::addColumn<Regras>("r");
        QTest::addColumn<Motivo>("esperado");
        const Regras padrao;
        Regras sem_auto = padrao;
        sem_auto.auto_mix = false;
        Regras sem_nivel = padrao;
        sem_nivel.por_nivel = false;
        Regras sensivel = padrao;
        sensivel.sensibilidade = 50;
        Regras longo = padrao;
        longo.tempo_mix = 8000;

        QTest::newRow("by time, just under the mix time") << tocando(2999) << padrao << Motivo::tempo;
        QTest::newRow("not at the mix time itself") << tocando(3000) << padrao << Motivo::nenhum;
        QTest::newRow("a longer mix time starts earlier") << tocando(7000) << longo << Motivo::tempo;
        QTest::newRow("loud, far from the end") << tocando(60000) << padrao << Motivo::nenhum;

        Situacao s = tocando(1000);
        s.entradas_do_outro = 0;
        QTest::newRow("no partner list, by time") << s << padrao << Motivo::nenhum;
        s = tocando(1000);
        s.outro_tocando = true;
        QTest::newRow("partner already plays") << s << padrao << Motivo::nenhum;
        s = tocando(1000);
        s.saindo = true;
        QTest::newRow("already on its way out") << s << padrao << Motivo::nenhum;
        s = tocando(1000);
        s.tocando = false;
        QTest::newRow("not playing") << s << padrao << Motivo::nenhum;
        QTest::newRow("Auto Mix off, by time") << tocando(1000) << sem_auto << Motivo::nenhum;
        QTest::newRow("Auto Mix off, by level") << tocando(20000, 0) << sem_auto << Motivo::nenhum;

        // The level: a quiet stretch within the last 25 s, before the mix-time window.
        QTest::newRow("quiet ending") << tocando(20000, 29) << padrao << Motivo::nivel;
        QTest::newRow("at the sensitivity plus 10") << tocando(20000, 30) << padrao << Motivo::nenhum;
        QTest::newRow("a more sensitive setting") << tocando(20000, 59) << sensivel << Motivo::nivel;
        QTest::newRow("quiet, 25 s from the end") << tocando(25000, 0) << padrao << Motivo::nenhum;
        QTest::newRow("quiet start of a long track") << tocando(40000, 0) << padrao << Motivo::nenhum;
        QTest::newRow("quiet inside the mix time goes by time") << tocando(2000, 0) << padrao << Motivo::tempo;
        QTest::newRow("quiet, Sensibilidade off") << tocando(20000, 0) << sem_nivel << Motivo::nenhum;
        s = tocando(20000, 0);
        s.entradas_do_outro = 0;
        QTest::newRow("quiet, no partner list") << s << padrao << Motivo::nenhum;
        s = tocando(20000, 0);
        s.outro_tocando = true;
        QTest::newRow("quiet, partner plays") << s << padrao << Motivo::nenhum;

        // Unsigned, as the clock measures it: a position past an estimated length is far away.
        s = tocando(0);
        s.posicao = s.duracao + 500;
        QTest::newRow("past an estimated length") << s << padrao << Motivo::nenhum;
    }

    void decides()
    {
        QFETCH(Situacao, s);
        QFETCH(Regras, r);
        QFETCH(Motivo, esperado);
        QCOMPARE(int(decide(s, r)), int(esperado));
    }
};

QTEST_GUILESS_MAIN(TestMixDecision)
#include "tst_mixdecision.moc"
