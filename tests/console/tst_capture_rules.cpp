// The capture's limits and the names it keeps, through the real console: it stays on its
// volume, leaves out names that would split a library line, keeps file names that are not
// UTF-8 so they still play, keeps long paths whole, and ends for good with the console.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "library/LibraryModel.h"
#include "library/NativeName.h"
#include "library/TvelarixScan.h"
#include "lists/ListFile.h"
#include "lists/PlaylistFormats.h"
#include "settings/DataFolder.h"
#include "settings/TextFile.h"
#include "widgets/ColorButton.h"
#include "widgets/LedButton.h"
#include "widgets/LedNumber.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <sys/mount.h>
#include <unistd.h>

using namespace testsupport;

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// Unmounts what the test mounted, whatever way the test ends.
struct Mounts
{
    QList<QByteArray> points;
    bool mount(const QByteArray &source, const QString &target, const char *type, unsigned long flags)
    {
        const QByteArray t = QFile::encodeName(target);
        if (::mount(source.constData(), t.constData(), type, flags, nullptr) != 0)
            return false;
        points.prepend(t);
        return true;
    }
    ~Mounts()
    {
        for (const QByteArray &p : std::as_const(points))
            ::umount2(p.constData(), MNT_DETACH);
    }
};

} // namespace

class TestCaptureRules : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    const QString library = DataFolder::filePath("lista.upd");

    QString freshFolder(const QString &name)
    {
        const QString d = fixtureDir() + "/" + name;
        QDir(d).removeRecursively();
        QDir().mkpath(d);
        return d;
    }

    void captureAsVolume(const QString &root)
    {
        m->acervo->DriveComboBox1->addItem(root + "/ [TESTE]");
        m->acervo->DriveComboBox1->setCurrentIndex(m->acervo->DriveComboBox1->count() - 1);
        m->acervo->captura_geral->setChecked(true);
        QTest::mouseClick(m->acervo->bitbtn13, Qt::LeftButton);
    }

    QStringList titles()
    {
        QStringList out;
        for (int r = 0; r < m->acervo->biblioteca->trackCount(); ++r)
            out << m->acervo->biblioteca->index(r, LibraryModel::TitleColumn).data().toString();
        return out;
    }

    // Adds the grid's row to deck A with its Add button and plays it.
    void playGridRowOnDeckA(int row)
    {
        m->acervo->StringGrid1->setCurrentIndex(m->acervo->biblioteca->index(row, LibraryModel::TitleColumn));
        QTest::mouseClick(m->deck_a->adicionar, Qt::LeftButton);
        QCOMPARE(m->deck_a->lista->count(), 1);
        m->deck_a->lista->setCurrentRow(0);
        m->ListBox1Click();
        QTest::mouseClick(m->deck_a->tocar, Qt::LeftButton);
        QVERIFY(m->deck_a->canal->Playing);
        const uint32_t at = m->deck_a->canal->GetPosition();
        QTRY_VERIFY(m->deck_a->canal->GetPosition() > at + 200);
    }

private slots:
    void cleanup()
    {
        if (m)
            m->deck_a->canal->OnStop = nullptr;
        m.reset();
    }

    void theVolumeRule()
    {
        using Id = TvelarixScan::FolderIdentity;
        const Id start{true, 7, true, 40, false};
        QVERIFY(TvelarixScan::staysOnVolume(start, {true, 7, true, 40, false}));
        QVERIFY(!TvelarixScan::staysOnVolume(start, {true, 8, true, 40, false}));  // another device
        QVERIFY(!TvelarixScan::staysOnVolume(start, {true, 7, true, 41, false}));  // another mount
        QVERIFY(!TvelarixScan::staysOnVolume(start, {true, 7, false, 0, true}));   // a mount's root
        QVERIFY(!TvelarixScan::staysOnVolume(start, {false, 0, false, 0, false})); // unreadable
        // The real folders of this machine.
        const Id here = TvelarixScan::identify(fixtureDir());
        QVERIFY(here.known);
        QVERIFY(!TvelarixScan::staysOnVolume(TvelarixScan::identify("/"), TvelarixScan::identify("/proc")));
        for (const char *pseudo : {"/proc", "/proc/self", "/sys", "/dev"})
            QVERIFY2(TvelarixScan::isPseudoFileSystem(pseudo), pseudo);
        QVERIFY(!TvelarixScan::isPseudoFileSystem(fixtureDir()));
        QVERIFY(!TvelarixScan::isPseudoFileSystem("/"));
    }

    void captureStaysOffOtherMounts()
    {
        const QString root = freshFolder("volume");
        const QString outside = freshFolder("fora");
        touch(root + "/a.mp3");
        touch(root + "/sub/b.mp3");
        touch(outside + "/c.mp3");
        QDir().mkpath(root + "/ligado");
        QDir().mkpath(root + "/memoria");
        QVERIFY(QFile::link(outside, root + "/atalho"));
        Mounts mounts;
        if (!mounts.mount(QFile::encodeName(outside), root + "/ligado", nullptr, MS_BIND))
            QSKIP("mounting is not allowed here; the volume rule is checked on its own above");
        QVERIFY(mounts.mount("none", root + "/memoria", "tmpfs", 0));
        touch(root + "/memoria/d.mp3");
        QVERIFY(QFile::exists(root + "/ligado/c.mp3"));
        // A mount point reached through a link is not entered either.
        QVERIFY(QFile::link(root + "/memoria", root + "/sub/atalho_memoria"));

        openConsoleOn(m, {});
        captureAsVolume(root);
        QCOMPARE(titles(), (QStringList{"A.MP3", "B.MP3"}));
    }

    void namesWithLineBreaksAreLeftOutAndCounted()
    {
        const QString root = freshFolder("quebras");
        touch(root + "/boa.mp3");
        touch(root + "/linha\npartida.mp3");
        touch(root + "/retorno\rcarro.mp3");
        touch(root + "/pasta\nquebrada/dentro.mp3");
        openConsoleOn(m, {});
        captureAsVolume(root);
        QCOMPARE(titles(), QStringList{"BOA.MP3"});
        QStringList lines;
        QCOMPARE(TextFile::readLines(library, &lines), TextFile::ReadStatus::Ok);
        QCOMPARE(lines, QStringList{"BOA.MP3#" + root + "/boa.mp3"});
        QVERIFY2(m->acervo->Label33->text().startsWith("Status") && m->acervo->Label33->text().contains("3"),
                 qPrintable(m->acervo->Label33->text()));
    }

    void aLatin1FileNamePlays()
    {
        const QString root = freshFolder("latin1");
        const QString good = tone("tom.mp3", 440, 3);
        const QByteArray raw = QFile::encodeName(root) + "/\xe9t\xe9.mp3"; // "été" in Latin-1
        QVERIFY(::rename(QFile::encodeName(good).constData(), raw.constData()) == 0);
        openConsoleOn(m, {});
        captureAsVolume(root);
        QCOMPARE(titles(), QStringList{QString::fromUtf8("ÉTÉ.MP3")});
        // The library file holds it so that it comes back to the very same bytes.
        m->acervo->carrega_biblioteca();
        const QString path = m->acervo->biblioteca->index(0, LibraryModel::PathColumn).data().toString();
        QCOMPARE(NativeName::encode(path), raw);
        QCOMPARE(NativeName::decode(raw), path);
        BoxAnswerer boxes;
        playGridRowOnDeckA(0);
        // The centre player pre-listens it from the grid.
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QVERIFY(m->acervo->canal_00->Playing);
        QCOMPARE(m->acervo->canal_00->FileName, path);
        m->acervo->BitBtn23Click();
        // A deck list saved as M3U finds it again.
        const QString m3u = root + "/lista.m3u";
        QVERIFY(PlaylistFormats::save(m3u, {"ÉTÉ"}, {path}));
        const PlaylistFormats::Opened back = PlaylistFormats::open(m3u);
        QCOMPARE(back.missing, 0);
        QCOMPARE(back.paths, QStringList{path});
        QCOMPARE(ListFile::titleFromPath(path), QString::fromUtf8("ÉTÉ.MP3"));
        QCOMPARE(boxes.texts, QStringList());
        m.reset();
        ::unlink(raw.constData()); // the temporary folder's own clean-up cannot name it
    }

    void aPathOf300CharactersPlays()
    {
        QString folder = freshFolder("longo");
        while (folder.size() < 290)
            folder += "/" + QString(60, QChar('p'));
        const QString path = folder + "/musica.mp3";
        QVERIFY(path.size() > 300);
        QDir().mkpath(folder);
        QVERIFY(QFile::copy(tone("longo.mp3", 440, 3), path));
        openConsoleOn(m, {"MUSICA.MP3#" + path});
        QCOMPARE(m->acervo->biblioteca->index(0, LibraryModel::PathColumn).data().toString(), path);
        BoxAnswerer boxes;
        playGridRowOnDeckA(0);
        QCOMPARE(m->deck_a->arquivos.value(0), path);
        QCOMPARE(boxes.texts, QStringList());
    }

    void gridKeysAndHints()
    {
        openConsoleOn(m, {"#/m/sem_titulo.mp3", "ZEBRA.MP3#/m/ZEBRA.MP3"});
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        m->acervo->StringGrid1->setFocus();
        m->acervo->StringGrid1->setCurrentIndex(m->acervo->biblioteca->index(0, LibraryModel::TitleColumn));
        // A row without a title ignores typing; the grid's own search does not jump either.
        QTest::keyClick(m->acervo->StringGrid1, Qt::Key_Z);
        QCOMPARE(m->acervo->StringGrid1->currentIndex().row(), 0);
        QVERIFY(m->acervo->prefixo_busca.isEmpty());
        QTest::keyClick(m->acervo->StringGrid1, Qt::Key_Down);
        QCOMPARE(m->acervo->StringGrid1->currentIndex().row(), 1);
        const QString hint = m->acervo->biblioteca->index(1, LibraryModel::TitleColumn).data(Qt::ToolTipRole).toString();
        QCOMPARE(hint.split('\n'), (QStringList{"/m/ZEBRA.MP3", "Dica: Arraste a música para os canais laterais ou para mini cartucheira"}));
        for (QWidget *counter : {static_cast<QWidget *>(m->deck_a->contador), static_cast<QWidget *>(m->deck_b->contador)})
            QCOMPARE(counter->toolTip(), QString("Total de músicas na lista"));
    }

    void closingTheConsoleEndsTheCapture()
    {
        const QString root = freshFolder("muitos");
        for (int i = 0; i < 3000; ++i)
            touch(root + QString("/d%1/f%2.mp3").arg(i % 6).arg(i, 4, 10, QChar('0')));
        const QStringList old = {"VELHA.MP3#/velha/VELHA.MP3"};
        openConsoleOn(m, old);
        m->acervo->DriveComboBox1->addItem(root + "/ [TESTE]");
        m->acervo->DriveComboBox1->setCurrentIndex(m->acervo->DriveComboBox1->count() - 1);
        m->acervo->captura_geral->setChecked(true);
        m->acervo->intervalo_contagem = 0;
        QElapsedTimer sinceClose;
        QTimer poll;
        poll.setInterval(0);
        BoxAnswerer yes(QMessageBox::Ok);
        connect(&poll, &QTimer::timeout, this, [&] {
            const QString head = "AGUARDE LOCALIZANDO MÍDIA... ";
            if (!m->acervo->capturando() || m->acervo->Label33->text().mid(head.size()).toInt() < 50)
                return;
            poll.stop();
            sinceClose.start();
            m->close();
        });
        poll.start();
        QTest::mouseClick(m->acervo->bitbtn13, Qt::LeftButton);
        QVERIFY2(sinceClose.isValid(), "the capture ended before the console was closed");
        QVERIFY2(sinceClose.elapsed() < 2000, qPrintable(QString::number(sinceClose.elapsed())));
        QCOMPARE(yes.texts, QStringList{"Deseja Sair do Quorvanti Velarix ??"});
        QVERIFY(!m->isVisible());
        QVERIFY(!m->acervo->capturando());
        QVERIFY(m->acervo->MixerScan1->SearchResult().size() < 3000);
        // Nothing was written after the exit was confirmed.
        QStringList lines;
        QCOMPARE(TextFile::readLines(library, &lines), TextFile::ReadStatus::Ok);
        QCOMPARE(lines, old);
    }
};

VELARIX_TEST_MAIN(TestCaptureRules)
#include "tst_capture_rules.moc"
