// The running show kept in SHOW.INI: what survives a round trip, what is refused as a whole,
// what the start-up does with it, and the writer that keeps it off the window's thread.
#include "settings/ShowFile.h"

#include <QCryptographicHash>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ShowFile;

Q_DECLARE_METATYPE(ShowFile::Leitura)
Q_DECLARE_METATYPE(ShowFile::Acao)
Q_DECLARE_METATYPE(ShowFile::NoAr)

namespace {

const QStringList kCaminhosDificeis = {
    QStringLiteral("/Música/Ação & Coração.mp3"),
    QStringLiteral("/a=b/KEY=value.mp3"),
    QStringLiteral("/preço $$ 100/%%%/%41%25%.wav"),
    QStringLiteral("  leading and trailing spaces  "),
    QStringLiteral("D:\\Antigas\\Sertanejo\\Milionário & José Rico.wma"),
    QStringLiteral("/tab\there/line\nfeed/carriage\rreturn/\x01\x7f.ogg"),
    QStringLiteral("FIM=3 d41d8cd98f00b204e9800998ecf8427e"),
    QStringLiteral("B=/not/deck/b.mp3"),
    QStringLiteral("/日本語/🎵 emoji.flac"),
    QString(),
};

EstadoDoShow showNoAr()
{
    EstadoDoShow e;
    e.a.entradas = kCaminhosDificeis;
    e.a.selecionada = 4;
    e.b.entradas = {QStringLiteral("/b/um.mp3"), QStringLiteral("/b/dois.mp3")};
    e.b.selecionada = 1;
    e.no_ar = NoAr::A;
    e.entrada_no_ar = 2;
    e.posicao_no_ar = 61234;
    e.auto_mix = true;
    e.por_nivel = true;
    return e;
}

// A file that passes the checksum but was not laid out by the writer.
QByteArray comSomaCerta(const QByteArray &corpo)
{
    const QByteArray soma = QCryptographicHash::hash(corpo, QCryptographicHash::Md5).toHex();
    return corpo + "FIM=" + QByteArray::number(corpo.count("\r\n")) + ' ' + soma + "\r\n";
}

QByteArray corpoComDeckA(const QByteArray &linhasDeA)
{
    return "VELARIX-SHOW 1\r\nTERMINOU=0\r\nAUTO_MIX=1\r\nPOR_NIVEL=0\r\nNO_AR=A\r\n"
           "ENTRADA_NO_AR=0\r\nPOSICAO_NO_AR=0\r\nA_SELECIONADA=-1\r\n"
        + linhasDeA + "B_SELECIONADA=-1\r\nB_ENTRADAS=0\r\n";
}

Leitura leitura(Situacao s, const EstadoDoShow &e = showNoAr())
{
    Leitura l;
    l.situacao = s;
    l.estado = e;
    return l;
}

// A write that the test lets through one at a time, recording what it was given.
struct Porta
{
    QSemaphore entrou;
    QSemaphore libera;
    QSemaphore saiu;
    QMutex mutex;
    QList<qint64> posicoes;

    Gravador::Escrita escrita(const std::shared_ptr<Porta> &self)
    {
        return [self](const EstadoDoShow &e, QString *) {
            self->entrou.release();
            self->libera.acquire();
            {
                QMutexLocker lk(&self->mutex);
                self->posicoes.append(e.posicao_no_ar);
            }
            self->saiu.release();
            return true;
        };
    }

    QList<qint64> vistas()
    {
        QMutexLocker lk(&mutex);
        return posicoes;
    }
};

EstadoDoShow naPosicao(qint64 ms)
{
    EstadoDoShow e = showNoAr();
    e.posicao_no_ar = ms;
    return e;
}

} // namespace

class TestShowFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void round_trip()
    {
        const QString arquivo = m_dir.filePath(QStringLiteral("round.ini"));
        EstadoDoShow e = showNoAr();
        QVERIFY(grava(e, arquivo));
        Leitura l = carrega(arquivo);
        QCOMPARE(int(l.situacao), int(Situacao::interrompido));
        QCOMPARE(l.estado.a.entradas, kCaminhosDificeis);
        QVERIFY(l.estado == e);

        // A text file a person can read: accents as UTF-8, CR LF line ends.
        QFile f(arquivo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("VELARIX-SHOW 1\r\n"));
        QVERIFY(bytes.contains(QStringLiteral("\r\nA=/Música/Ação & Coração.mp3\r\n").toUtf8()));

        e.terminou = true;
        e.no_ar = NoAr::B;
        e.entrada_no_ar = -1;
        e.auto_mix = false;
        e.por_nivel = false;
        e.a = Deck();
        QVERIFY(grava(e, arquivo));
        l = carrega(arquivo);
        QCOMPARE(int(l.situacao), int(Situacao::terminou));
        QVERIFY(l.estado == e);

        EstadoDoShow grande;
        for (int i = 0; i < 100000; ++i) {
            const QString c = QStringLiteral("/acervo/%1/faixa = %2 %%% $$ ç .mp3").arg(i % 97).arg(i);
            (i % 2 ? grande.b : grande.a).entradas.append(c);
        }
        grande.a.selecionada = 49999;
        QVERIFY(grava(grande, arquivo));
        l = carrega(arquivo);
        QCOMPARE(int(l.situacao), int(Situacao::interrompido));
        QCOMPARE(l.estado.a.entradas.size() + l.estado.b.entradas.size(), 100000);
        QVERIFY(l.estado == grande);

        QCOMPARE(int(carrega(m_dir.filePath(QStringLiteral("none.ini"))).situacao), int(Situacao::ausente));
    }

    void refused_as_a_whole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray bom = monta(showNoAr());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("half") << bom.left(bom.size() / 2);
        QTest::newRow("last line missing") << bom.left(bom.indexOf("FIM="));
        QTest::newRow("last line end missing") << bom.chopped(2);
        QTest::newRow("a line added") << bom + "A=/extra.mp3\r\n";
        QTest::newRow("LF line ends") << QByteArray(bom).replace("\r\n", "\n");
        QTest::newRow("an older format") << QByteArray(bom).replace("VELARIX-SHOW 1", "VELARIX-SHOW 0");
        QTest::newRow("another file") << QByteArray("CAPTURAGR=0\r\nAUTOMIXAR=1\r\n");
        QTest::newRow("garbage") << QByteArray("\x00\xff\xfe garbage \r\n\r\n", 16);
        QByteArray trocado = bom;
        trocado.replace("/b/um.mp3", "/b/xx.mp3");
        QTest::newRow("a path changed") << trocado;

        // Checksum right, layout not the writer's.
        QTest::newRow("a bad escape") << comSomaCerta(corpoComDeckA("A_ENTRADAS=1\r\nA=/a%4.mp3\r\n"));
        QTest::newRow("an escape the writer never makes") << comSomaCerta(corpoComDeckA("A_ENTRADAS=1\r\nA=/%41.mp3\r\n"));
        QTest::newRow("fewer paths than counted") << comSomaCerta(corpoComDeckA("A_ENTRADAS=2\r\nA=/a.mp3\r\n"));
        QTest::newRow("a negative count") << comSomaCerta(corpoComDeckA("A_ENTRADAS=-1\r\n"));
        QTest::newRow("not UTF-8") << comSomaCerta(corpoComDeckA("A_ENTRADAS=1\r\nA=/a\xe7\xe3o.mp3\r\n"));
        QByteArray noAr = corpoComDeckA("A_ENTRADAS=0\r\n");
        QTest::newRow("a deck C on air") << comSomaCerta(noAr.replace("NO_AR=A", "NO_AR=C"));
    }

    void refused_as_a_whole()
    {
        QFETCH(QByteArray, bytes);
        const Leitura l = le(bytes);
        QCOMPARE(int(l.situacao), int(Situacao::inutilizavel));
        QVERIFY(!l.motivo.isEmpty());
        QVERIFY(mensagemInutilizavel(l).contains(l.motivo));
    }

    void every_cut_and_every_changed_byte_is_refused()
    {
        // The layout the data rows above break by hand is itself accepted.
        QCOMPARE(int(le(comSomaCerta(corpoComDeckA("A_ENTRADAS=1\r\nA=/a%25.mp3\r\n"))).situacao),
                 int(Situacao::interrompido));

        const QByteArray bom = monta(showNoAr());
        QCOMPARE(int(le(bom).situacao), int(Situacao::interrompido));
        for (qsizetype corte = 0; corte < bom.size(); ++corte)
            QVERIFY2(le(bom.left(corte)).situacao == Situacao::inutilizavel, qPrintable(QString::number(corte)));
        for (qsizetype i = 0; i < bom.size(); ++i) {
            QByteArray mudado = bom;
            mudado[i] = char(mudado[i] ^ 0x04);
            QVERIFY2(le(mudado).situacao == Situacao::inutilizavel, qPrintable(QString::number(i)));
        }
    }

    void startup_decision_data()
    {
        QTest::addColumn<Leitura>("lida");
        QTest::addColumn<bool>("arquivoDeInicio");
        QTest::addColumn<Acao>("acao");
        QTest::addColumn<NoAr>("deck");

        Leitura ruim = leitura(Situacao::inutilizavel);
        ruim.motivo = QStringLiteral("cortado");
        QTest::newRow("no file") << Leitura() << false << Acao::nada << NoAr::nenhum;
        QTest::newRow("no file, start-up file") << Leitura() << true << Acao::nada << NoAr::nenhum;
        QTest::newRow("unusable file") << ruim << false << Acao::nada << NoAr::nenhum;
        QTest::newRow("ended normally") << leitura(Situacao::terminou) << false << Acao::nada << NoAr::nenhum;
        QTest::newRow("cut off, A on air") << leitura(Situacao::interrompido) << false << Acao::retoma << NoAr::A;
        QTest::newRow("cut off, start-up file") << leitura(Situacao::interrompido) << true << Acao::so_listas << NoAr::nenhum;

        EstadoDoShow e = showNoAr();
        e.no_ar = NoAr::B;
        e.entrada_no_ar = 1;
        QTest::newRow("cut off, B on air") << leitura(Situacao::interrompido, e) << false << Acao::retoma << NoAr::B;
        e.entrada_no_ar = 2; // in A's list, past the end of B's
        QTest::newRow("entry past the on-air deck's list") << leitura(Situacao::interrompido, e) << false << Acao::so_listas << NoAr::nenhum;
        e = showNoAr();
        e.entrada_no_ar = -1;
        QTest::newRow("no entry on air") << leitura(Situacao::interrompido, e) << false << Acao::so_listas << NoAr::nenhum;
        e = showNoAr();
        e.auto_mix = false;
        QTest::newRow("cut off, Auto Mix off") << leitura(Situacao::interrompido, e) << false << Acao::so_listas << NoAr::nenhum;
        e = showNoAr();
        e.no_ar = NoAr::nenhum;
        QTest::newRow("cut off, nothing on air") << leitura(Situacao::interrompido, e) << false << Acao::so_listas << NoAr::nenhum;
    }

    void startup_decision()
    {
        QFETCH(Leitura, lida);
        QFETCH(bool, arquivoDeInicio);
        QFETCH(Acao, acao);
        QFETCH(NoAr, deck);
        const Retomada r = decide_inicio(lida, arquivoDeInicio);
        QCOMPARE(int(r.acao), int(acao));
        QCOMPARE(int(r.deck), int(deck));
        if (acao == Acao::retoma) {
            QCOMPARE(r.entrada, lida.estado.entrada_no_ar);
            QCOMPARE(r.posicao, lida.estado.posicao_no_ar);
        }
    }

    void writer_keeps_only_the_newest_and_flushes_it()
    {
        auto porta = std::make_shared<Porta>();
        {
            Gravador g(QString(), porta->escrita(porta));
            g.envia(naPosicao(1));
            porta->entrou.acquire(); // 1 is being written
            g.envia(naPosicao(2));
            g.envia(naPosicao(3));
            g.envia(naPosicao(4));
            porta->libera.release(2);
            QVERIFY(g.esvazia(60000));
            QCOMPARE(porta->vistas(), (QList<qint64>{1, 4}));
            QCOMPARE(g.gravados(), quint64(2));
            porta->entrou.acquire(); // the write of 4 came in too

            g.envia(naPosicao(5));
            porta->entrou.acquire();
            g.envia(naPosicao(6)); // still waiting when the writer goes
            porta->libera.release(2);
        }
        QCOMPARE(porta->vistas(), (QList<qint64>{1, 4, 5, 6}));

        // The close of the show: its last snapshot is on disk when the writer is gone.
        const QString arquivo = m_dir.filePath(QStringLiteral("fim.ini"));
        EstadoDoShow fim = showNoAr();
        fim.terminou = true;
        {
            Gravador g(arquivo);
            g.envia(naPosicao(7));
            g.envia(fim);
        }
        const Leitura l = carrega(arquivo);
        QCOMPARE(int(l.situacao), int(Situacao::terminou));
        QVERIFY(l.estado == fim);
    }

    void writer_survives_a_disk_that_fails_or_hangs()
    {
        {
            Gravador g(m_dir.filePath(QStringLiteral("no/such/folder/SHOW.INI")));
            g.envia(showNoAr());
            QVERIFY(g.esvazia(60000));
            QCOMPARE(g.falhas(), quint64(1));
            QCOMPARE(g.gravados(), quint64(0));
            QVERIFY(!g.ultimoErro().isEmpty());
        }

        // A write that never returns does not hold the close: the writer goes, its thread
        // finishes on its own later.
        auto porta = std::make_shared<Porta>();
        {
            Gravador g(QString(), porta->escrita(porta));
            g.setEsperaFinal(50);
            g.envia(naPosicao(1));
            porta->entrou.acquire();
            g.envia(naPosicao(2));
        }
        porta->libera.release(2);
        QVERIFY(porta->saiu.tryAcquire(2, 60000));
        QCOMPARE(porta->vistas(), (QList<qint64>{1, 2}));
    }
};

QTEST_GUILESS_MAIN(TestShowFile)
#include "tst_showfile.moc"
