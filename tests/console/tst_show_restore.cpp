// The show outlives the process, heard on the recording card of the real program: killed in
// the middle of an automatic mix it comes back on the same data folder with both lists and the
// same deck's music on the air; after a normal close it restores nothing by itself; a damaged
// show file is refused with a message and the console starts as it always has.
#include "ConsoleHarness.h"
#include "OnAir.h"
#include "TestSupport.h"
#include "settings/DataFolder.h"
#include "settings/ShowFile.h"
#include "settings/uform_config.h"

#include <QProcess>
#include <csignal>

using namespace testsupport;

class TestShowRestore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_home;
    QString m_a440, m_a660, m_b1000;

    QString showFile() const { return m_home.filePath(ShowFile::nomeArquivo()); }
    QString card() const { return m_home.filePath("ar/card1.wav"); }

    void start(QProcess &p)
    {
        QFile::remove(card());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screenConfig(1024, 768));
        env.insert("VELARIX_MESSAGES", "stderr");
        env.insert("VELARIX_NO_SPLASH", "1");
        env.insert("VELARIX_INSTANCE_KEY", QString("velarix-show-%1").arg(QCoreApplication::applicationPid()));
        env.insert("VELARIX_HOME", m_home.path());
        env.insert("VELARIX_AUDIO", "record:" + m_home.filePath("ar") + ":2");
        p.setProcessEnvironment(env);
        p.start(VELARIX_EXE, {});
        QVERIFY(p.waitForStarted());
    }

    // Deck A's 440 Hz carries the air within `ms` of a start.
    bool deckABackWithin(int ms)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            QTest::qWait(200);
            const Heard h = heardOnAir(card(), 0.3);
            if (h.level > 0.1 && std::fabs(h.hz - 440) < 30) {
                qInfo("deck A back on air %lld ms after the start", t.elapsed());
                return true;
            }
        }
        return false;
    }

private slots:
    void initTestCase()
    {
        QDir().mkpath(m_home.filePath("ar"));
        m_a440 = tone("a440.wav", 440, 120);
        m_a660 = tone("a660.wav", 660, 120);
        m_b1000 = tone("b1000.wav", 1000, 120);
    }

    void aKilledShowComesBackOnAir()
    {
        // A show cut off earlier: deck A on air 2 s into its first entry, Auto Mix on.
        ShowFile::EstadoDoShow s;
        s.a = {{m_a440, m_a660}, 0};
        s.b = {{m_b1000}, 0};
        s.no_ar = ShowFile::NoAr::A;
        s.entrada_no_ar = 0;
        s.posicao_no_ar = 2000;
        s.auto_mix = true;
        QVERIFY(ShowFile::grava(s, showFile()));

        QProcess first;
        start(first);
        QVERIFY(deckABackWithin(10000));
        // It keeps the show as it runs: the position moves on in the file.
        QTRY_VERIFY_WITH_TIMEOUT(ShowFile::carrega(showFile()).estado.posicao_no_ar > 5000, 15000);
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        const ShowFile::Leitura kept = ShowFile::carrega(showFile());
        QCOMPARE(int(kept.situacao), int(ShowFile::Situacao::interrompido));

        QProcess second;
        start(second);
        QVERIFY(deckABackWithin(10000));
        // Both lists are back in the new run: it writes them again from its own decks.
        QTRY_VERIFY_WITH_TIMEOUT(ShowFile::carrega(showFile()).estado.posicao_no_ar > kept.estado.posicao_no_ar + 3000,
                                 15000);
        const ShowFile::EstadoDoShow now = ShowFile::carrega(showFile()).estado;
        QCOMPARE(now.a.entradas, s.a.entradas);
        QCOMPARE(now.b.entradas, s.b.entradas);
        QCOMPARE(int(now.no_ar), int(ShowFile::NoAr::A));

        // A normal close ends the show: the next start plays nothing by itself.
        ::kill(pid_t(second.processId()), SIGTERM);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(int(ShowFile::carrega(showFile()).situacao), int(ShowFile::Situacao::terminou));
        QProcess third;
        start(third);
        QVERIFY(!deckABackWithin(5000));
        QVERIFY(heardOnAir(card(), 2).level < 0.001);
        ::kill(pid_t(third.processId()), SIGTERM);
        QVERIFY(third.waitForFinished(10000));
    }

    void aDamagedShowFileIsRefusedWithAMessage()
    {
        // This process's own data folder, where the console below looks.
        const QString file = DataFolder::filePath(ShowFile::nomeArquivo());
        writeBytes(file, "VELARIX-SHOW 1\r\nTERMINOU=0\r\nA=/cut/off/here");
        std::unique_ptr<Tform_mixer> m;
        std::unique_ptr<Tform_config> config;
        openMixingConsole(m, config);
        QCOMPARE(m->Label7->text(), ShowFile::mensagemInutilizavel(ShowFile::carrega(file)));
        QCOMPARE(m->deck_a->lista->count() + m->deck_b->lista->count(), 0);
        QVERIFY(!m->deck_a->canal->Playing && !m->deck_b->canal->Playing);
        closeMixingConsole(m, config);
    }
};

int main(int argc, char **argv)
{
    testsupport::prepareEnvironment();
    QApplication app(argc, argv);
    TestShowRestore tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_show_restore.moc"
