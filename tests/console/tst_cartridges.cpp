// The cartridge bank through the real console: drops from both grids and from the file
// manager, the bank file across restarts, hover, clearing, firing and stopping with the
// countdown, and what card 1 plays (recorded).
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "library/LibraryFile.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/TextFile.h"
#include "widgets/ColorButton.h"
#include "widgets/TColorBtn.h"

#include <QDir>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <cmath>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace testsupport;

namespace {

// Card 1's recording so far: interleaved stereo samples and the card's rate.
struct Gravacao
{
    int rate = 0;
    std::vector<int16_t> samples;
};

Gravacao le_gravacao(const QString &path)
{
    Gravacao g;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return g;
    const QByteArray all = f.readAll();
    if (all.size() < 44 || !all.startsWith("RIFF"))
        return g;
    auto u32 = [&](int at) { return quint32(quint8(all[at])) | quint32(quint8(all[at + 1])) << 8
                                    | quint32(quint8(all[at + 2])) << 16 | quint32(quint8(all[at + 3])) << 24; };
    g.rate = int(u32(24));
    const qsizetype bytes = qMin<qsizetype>(qsizetype(u32(40)), all.size() - 44) & ~qsizetype(3);
    g.samples.resize(size_t(bytes / 2));
    std::memcpy(g.samples.data(), all.constData() + 44, size_t(bytes));
    return g;
}

// Amplitude (0..1) of one frequency in the left channel of frames [from, to).
double amplitude(const Gravacao &g, qsizetype from, qsizetype to, double hz)
{
    double re = 0, im = 0;
    const double w = 2 * M_PI * hz / g.rate;
    for (qsizetype i = from; i < to; ++i) {
        const double v = g.samples[size_t(2 * i)] / 32767.0;
        re += v * std::cos(w * double(i));
        im -= v * std::sin(w * double(i));
    }
    return 2 * std::hypot(re, im) / double(to - from);
}

} // namespace

class TestCartridges : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    QStringList tracks, titles;
    QString longo; // 95 s
    std::unique_ptr<QMimeData> dragData;

    QString bancoPath() const { return DataFolder::filePath("CARTUCHEIRA.PFL"); }
    TColorBtn *btn(int n) { return m->cartucheira->cartuchos_btn[size_t(n - 1)]; }
    TMorvelBass *player(int n) { return m->cartucheira->canal_cartucho[size_t(n - 1)]; }
    QStringList bancoLines()
    {
        QStringList lines;
        TextFile::readLines(bancoPath(), &lines);
        return lines;
    }

    void abre()
    {
        m = std::make_unique<Tform_mixer>();
        m->executa_arrasto = [this](QWidget *, QMimeData *data) { dragData.reset(data); };
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
    }

    void reabre()
    {
        m.reset();
        abre();
    }

    // Starts a drag from a grid's row the way the operator does: press and move.
    void arrasta(QTableView *grade, int row)
    {
        dragData.reset();
        const QModelIndex idx = grade->model()->index(row, LibraryModel::TitleColumn);
        grade->setCurrentIndex(idx);
        const QPoint at = grade->visualRect(idx).center();
        QTest::mousePress(grade->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(0, 12)), grade->viewport()->mapToGlobal(QPointF(at + QPoint(0, 12))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(grade->viewport(), &move);
        QTest::mouseRelease(grade->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QVERIFY(dragData);
    }

    // Enter, move and drop on cartridge n; the drop is always taken as a copy.
    void solta(int n, const QMimeData *data, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
    {
        const QPoint at = btn(n)->rect().center();
        QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(btn(n), &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent over(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(btn(n), &over);
        QVERIFY(over.isAccepted());
        QDropEvent drop(QPointF(at), actions, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(btn(n), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
    }

    void arrastaPara(int row, int n, QTableView *grade = nullptr)
    {
        arrasta(grade ? grade : m->acervo->StringGrid1, row);
        solta(n, dragData.get());
    }

    void sobre(int n) { QTest::mouseMove(btn(n), btn(n)->rect().center()); }

    void clica(int n)
    {
        sobre(n);
        QTest::mouseClick(btn(n), Qt::LeftButton, Qt::NoModifier, btn(n)->rect().center());
    }

    int pontos(int n) { return btn(n)->font().pointSize(); }

private slots:
    void initTestCase()
    {
        const QString dir = fixtureDir() + "/vinhetas";
        QDir().mkpath(dir);
        tracks << tone(dir + "/abertura.wav", 1000, 5.0, 44100, 2, 0.3)
               << tone(dir + "/aplausos.wav", 660, 5.0, 44100, 2, 0.3)
               << tone(dir + "/deck.wav", 440, 30.0, 44100, 2, 0.3);
        titles << "VINHETA_DE_ABERTURA1" << "APLAUSOS.WAV" << "DECK.WAV";
        QStringList lines;
        for (int i = 0; i < tracks.size(); ++i)
            lines << titles[i] + "#" + tracks[i];
        QVERIFY(TextFile::writeLines(DataFolder::filePath(LibraryFile::fileName()), lines));
        longo = tone(dir + "/longo.wav", 500, 95.0, 22050, 1, 0.2);
        QVERIFY(!longo.isEmpty());
    }

    void init()
    {
        QFile::remove(bancoPath());
        QDir(bancoPath()).removeRecursively();
        abre();
    }

    void cleanup()
    {
        for (TMorvelBass *p : m->cartucheira->canal_cartucho)
            if (p->Playing)
                p->Stop();
        m.reset();
    }

    void dropFromTheLibraryIsKeptAcrossARestart()
    {
        QVERIFY(!QFile::exists(bancoPath()));
        for (int n = 1; n <= 10; ++n) {
            QCOMPARE(btn(n)->text(), QString());
            QCOMPARE(btn(n)->buttonColor(), QColor(166, 169, 170));
            QCOMPARE(btn(n)->numero(), QString("%1").arg(n, 2, 10, QChar('0')));
        }

        arrastaPara(0, 3);
        QCOMPARE(btn(3)->text(), QString("VINHETA_DE_AB"));
        QCOMPARE(btn(3)->toolTip(), titles[0]);
        QCOMPARE(btn(3)->buttonColor(), QColor(255, 255, 159));
        QVERIFY(player(3)->Loaded);
        QVERIFY(!player(3)->Playing);
        QStringList expected;
        for (int n = 1; n <= 10; ++n)
            expected << QString("%1#$$%%%").arg(n, 3, 10, QChar('0'));
        expected[2] = "003#VINHETA_DE_ABERTURA1$$" + tracks[0] + "%%%10485759";
        QCOMPARE(bancoLines(), expected);
        QVERIFY(readBytes(bancoPath()).endsWith("010#$$%%%\r\n"));

        // The same row again: still one clip there and ten lines.
        arrastaPara(0, 3);
        QCOMPARE(bancoLines(), expected);
        QCOMPARE(m->cartucheira->cartuchos[2].titulo, titles[0]);

        // From the search results: green.
        m->acervo->pesquisa->setLines({titles[1] + "#" + tracks[1]});
        m->acervo->StringGrid2->show();
        arrastaPara(0, 10, m->acervo->StringGrid2);
        QCOMPARE(btn(10)->text(), titles[1]);
        QCOMPARE(btn(10)->buttonColor(), QColor(128, 255, 128));
        expected[9] = "010#APLAUSOS.WAV$$" + tracks[1] + "%%%8454016";
        QCOMPARE(bancoLines(), expected);

        // A drag from a deck list or from nowhere changes nothing.
        QMimeData lista;
        lista.setData(Tform_mixer::tipoArrasto(), "ListBox1");
        lista.setText(tracks[2]);
        solta(5, &lista);
        QMimeData texto;
        texto.setText(tracks[2]);
        solta(5, &texto);
        QCOMPARE(btn(5)->text(), QString());
        QCOMPARE(bancoLines(), expected);

        reabre();
        QCOMPARE(btn(3)->text(), QString("VINHETA_DE_AB"));
        QCOMPARE(btn(3)->toolTip(), tracks[0]); // after a restart the hint is the path
        QCOMPARE(btn(3)->buttonColor(), QColor(255, 255, 159));
        QCOMPARE(btn(10)->buttonColor(), QColor(128, 255, 128));
        QCOMPARE(btn(4)->buttonColor(), QColor(166, 169, 170));
        QCOMPARE(m->cartucheira->cartuchos[2].arquivo, tracks[0]);
        QCOMPARE(bancoLines(), expected);
    }

    void dropFromTheFileManager()
    {
        const QString solto = tone(fixtureDir() + "/Sirene Solta.wav", 880, 1.0);
        QMimeData arquivos;
        arquivos.setUrls({QUrl::fromLocalFile(writeFile("capa.jpg", "nada")), QUrl::fromLocalFile(solto),
                          QUrl::fromLocalFile(tracks[1])});
        solta(6, &arquivos);
        QCOMPARE(btn(6)->text(), QString("SIRENE SOLTA."));
        QCOMPARE(m->cartucheira->cartuchos[5].arquivo, solto);
        QCOMPARE(bancoLines().value(5), "006#SIRENE SOLTA.WAV$$" + solto + "%%%10485759");
        // A drag that could only move the file is refused: the file manager would delete it.
        QMimeData mover;
        mover.setUrls({QUrl::fromLocalFile(tracks[1])});
        const QPoint at = btn(8)->rect().center();
        QDragEnterEvent enter(at, Qt::MoveAction, &mover, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(btn(8), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::MoveAction, &mover, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(btn(8), &drop);
        QVERIFY(!drop.isAccepted());
        QCOMPARE(btn(8)->text(), QString());

        QMimeData outro;
        outro.setUrls({QUrl::fromLocalFile(writeFile("notas.txt", "x")), QUrl("http://example.invalid/a.mp3")});
        solta(7, &outro);
        QCOMPARE(btn(7)->text(), QString());
        QCOMPARE(bancoLines().value(6), QString("007#$$%%%"));
    }

    void bankFileRules()
    {
        // Three lines in another order: line position decides, the number is ignored.
        TextFile::writeLines(bancoPath(), {"009#NONO$$" + tracks[1] + "%%%8454016",
                                           "001#UM $$ DOIS$$" + tracks[0] + "%%%vermelho",
                                           "005#CINCO$$" + tracks[2] + "%%%255"});
        reabre();
        QCOMPARE(btn(1)->text(), QString("NONO"));
        QCOMPARE(btn(1)->buttonColor(), QColor(128, 255, 128));
        QCOMPARE(btn(2)->text(), QString("UM $$ DOIS")); // the path starts where a whole path does
        QCOMPARE(m->cartucheira->cartuchos[1].arquivo, tracks[0]);
        QCOMPARE(btn(2)->buttonColor(), QColor(166, 169, 170));
        QCOMPARE(btn(3)->text(), QString("CINCO"));
        QCOMPARE(btn(3)->buttonColor(), QColor(255, 0, 0));
        for (int n = 4; n <= 10; ++n) {
            QCOMPARE(btn(n)->text(), QString());
            QCOMPARE(btn(n)->buttonColor(), QColor(166, 169, 170));
            QCOMPARE(m->cartucheira->cartuchos[size_t(n - 1)], CartridgeSlot{});
        }

        // Hover: the number alone over an empty cartridge, with the title over a full one.
        sobre(7);
        QCOMPARE(m->Label7->text(), QString("Cartucho 07"));
        QCOMPARE(m->cartucheira->botao_atual, btn(7));
        sobre(3);
        QCOMPARE(m->Label7->text(), QString("Cartucho 03 - CINCO"));
        QCOMPARE(m->cartucheira->botao_atual, btn(3));

        // Four-character group names are refused both ways.
        {
            BoxAnswerer box;
            m->cartucheira->carrega_grupo("ABCD");
            m->cartucheira->grava_grupo("WXYZ");
            QCOMPARE(box.texts, (QStringList{"Nome do GRUPO DE BOTÕES Inválido - Verifique !!",
                                             "Nome do Grupo de botões Inválido - Verifique !!"}));
        }
        QVERIFY(!QFile::exists(DataFolder::filePath("WXYZ")));
        QCOMPARE(btn(1)->text(), QString("NONO"));
    }

    void unreadableBankIsLeftAlone_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("a folder in its place") << true;
        QTest::newRow("a file that cannot be opened") << false; // a socket: even root cannot read it
    }
    void unreadableBankIsLeftAlone()
    {
        QFETCH(bool, folder);
        m.reset();
        const QByteArray path = QFile::encodeName(bancoPath());
        const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (folder) {
            QDir().mkpath(bancoPath() + "/dentro");
        } else {
            sockaddr_un at{};
            at.sun_family = AF_UNIX;
            QVERIFY(size_t(path.size()) < sizeof(at.sun_path));
            std::memcpy(at.sun_path, path.constData(), size_t(path.size()));
            QVERIFY(::bind(sock, reinterpret_cast<sockaddr *>(&at), sizeof(at)) == 0);
        }
        auto untouched = [&] {
            struct stat st;
            if (folder)
                return QFileInfo(bancoPath() + "/dentro").isDir();
            return ::stat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode);
        };
        {
            BoxAnswerer box;
            abre();
            QCOMPARE(box.texts.size(), 1);
            QVERIFY(box.texts[0].startsWith("Erro ao Ler a Cartucheira "));
        }
        for (int n = 1; n <= 10; ++n)
            QCOMPARE(btn(n)->text(), QString());
        QVERIFY(untouched());
        // The operator's drop is kept in memory, but the bank that could not be read is not
        // written over with nine empty cartridges.
        {
            BoxAnswerer box;
            arrastaPara(1, 2);
            QCOMPARE(box.texts, QStringList{"Não foi possível ler o arquivo de cartuchos CARTUCHEIRA.PFL\r"
                                            "Ele é mantido como está: este cartucho vale até o programa ser fechado"});
        }
        QCOMPARE(btn(2)->text(), titles[1]);
        QVERIFY(untouched());
        ::close(sock);
        QFile::remove(bancoPath());
        QDir(bancoPath()).removeRecursively();
    }

    void clearIsRefusedWhilePlaying()
    {
        arrastaPara(1, 1);
        arrastaPara(0, 4);
        const QByteArray antes = readBytes(bancoPath());
        clica(4);
        QVERIFY(player(4)->Playing);

        auto limpaPeloMenu = [this] {
            // What a right click gives the button (the offscreen platform makes none itself).
            const QPoint at = btn(2)->rect().center();
            QContextMenuEvent menu(QContextMenuEvent::Mouse, at, btn(2)->mapToGlobal(at));
            QApplication::sendEvent(btn(2), &menu);
            QTRY_VERIFY(m->cartucheira->PopupMenu1->isVisible());
            const QRect item = m->cartucheira->PopupMenu1->actionGeometry(m->cartucheira->LimparCartucheira1);
            QTest::mouseClick(m->cartucheira->PopupMenu1, Qt::LeftButton, Qt::NoModifier, item.center());
        };
        {
            BoxAnswerer box;
            limpaPeloMenu();
            QTRY_COMPARE(box.texts, QStringList{"Por favor aguardar o Término do cartucho em Execução"});
        }
        QCOMPARE(btn(1)->text(), titles[1]);
        QCOMPARE(btn(1)->buttonColor(), QColor(255, 255, 159));
        QCOMPARE(readBytes(bancoPath()), antes);
        QVERIFY(player(4)->Playing);

        clica(4);
        QVERIFY(!player(4)->Playing);
        {
            BoxAnswerer box;
            limpaPeloMenu();
            QTRY_VERIFY(!QFile::exists(bancoPath()));
            QVERIFY(box.texts.isEmpty());
        }
        for (int n = 1; n <= 10; ++n) {
            QCOMPARE(btn(n)->text(), QString());
            QCOMPARE(btn(n)->buttonColor(), QColor(166, 169, 170));
            QCOMPARE(m->cartucheira->cartuchos[size_t(n - 1)], CartridgeSlot{});
        }
        QCOMPARE(btn(4)->numero(), QString("04"));
        reabre();
        QCOMPARE(btn(1)->text(), QString());
    }

    void countdownOfA95SecondClip()
    {
        TextFile::writeLines(bancoPath(), {"001#LONGO$$" + longo + "%%%255"});
        reabre();
        QCOMPARE(pontos(1), 8);
        clica(1);
        QVERIFY(player(1)->Playing);
        QCOMPARE(btn(1)->text(), QString("00:00"));
        QCOMPARE(pontos(1), 15);
        QVERIFY(m->cartucheira->Timer_botonera->Enabled());

        // Each tick shows the time left and swaps the outline between thin black and thick red.
        QStringList textos;
        QVector<qint64> trocas;
        QElapsedTimer relogio;
        relogio.start();
        int largura = btn(1)->bordaWidth();
        while (relogio.elapsed() < 3300) {
            QTest::qWait(10);
            if (btn(1)->bordaWidth() != largura) {
                largura = btn(1)->bordaWidth();
                trocas << relogio.elapsed();
                textos << btn(1)->text();
                QCOMPARE(btn(1)->bordaCor(), largura == 10 ? QColor(255, 0, 0) : QColor(0, 0, 0));
            }
        }
        // Every half second on average; a busy machine may deliver one tick late.
        QVERIFY2(trocas.size() >= 5 && trocas.size() <= 7, qPrintable(QString::number(trocas.size())));
        const double media = double(trocas.last() - trocas.first()) / double(trocas.size() - 1);
        QVERIFY2(media > 420 && media < 650, qPrintable(QString::number(media)));
        QVERIFY2(textos.first() == "01:34" || textos.first() == "01:33", qPrintable(textos.join(' ')));
        QVERIFY2(textos.last() == "01:32" || textos.last() == "01:31", qPrintable(textos.join(' ')));
        for (int i = 1; i < textos.size(); ++i)
            QVERIFY(textos[i] <= textos[i - 1]);

        // Near the end: the last seconds, then the title and the thin outline come back.
        QVERIFY(player(1)->SetPosition(92500));
        QTRY_VERIFY_WITH_TIMEOUT(btn(1)->text() == "00:02" || btn(1)->text() == "00:01", 2000);
        QTRY_COMPARE_WITH_TIMEOUT(btn(1)->text(), QString("LONGO"), 5000);
        QVERIFY(!player(1)->Playing);
        QCOMPARE(pontos(1), 8);
        QCOMPARE(btn(1)->bordaWidth(), 1);
        QCOMPARE(btn(1)->bordaCor(), QColor(0, 0, 0));
        QTRY_VERIFY_WITH_TIMEOUT(!m->cartucheira->Timer_botonera->Enabled(), 1500);

        // It starts again from its beginning.
        clica(1);
        QVERIFY(player(1)->GetPosition() < 1000);
        clica(1);
        QCOMPARE(btn(1)->text(), QString("LONGO"));
    }

    void twoCartridgesAndADoubleClick()
    {
        TextFile::writeLines(bancoPath(), {"001#A$$" + longo + "%%%255", "002#B$$" + longo + "%%%255"});
        reabre();
        clica(1);
        QTest::qWait(300);
        clica(2);
        QVERIFY(player(1)->Playing && player(2)->Playing);
        QTRY_VERIFY_WITH_TIMEOUT(btn(1)->text().startsWith("01:3") && btn(2)->text().startsWith("01:3"), 2000);

        // Stopping one at once, without a fade; the other keeps counting.
        clica(1);
        QVERIFY(!player(1)->Playing);
        QCOMPARE(btn(1)->text(), QString("A"));
        QCOMPARE(pontos(1), 8);
        QVERIFY(player(2)->Playing);
        const QString agora = btn(2)->text();
        QTRY_VERIFY_WITH_TIMEOUT(btn(2)->text() != agora, 2500);
        QVERIFY(m->cartucheira->Timer_botonera->Enabled());
        QCOMPARE(btn(1)->text(), QString("A"));
        QCOMPARE(pontos(2), 15);

        // A quick double click on an idle cartridge starts it and stops it again.
        sobre(1);
        QTest::mouseDClick(btn(1), Qt::LeftButton, Qt::NoModifier, btn(1)->rect().center());
        QVERIFY(!player(1)->Playing);
        QCOMPARE(btn(1)->text(), QString("A"));
        QVERIFY(player(2)->Playing);
        clica(2);
        QCOMPARE(btn(2)->text(), QString("B"));
    }

    void missingAndBrokenFiles()
    {
        const QString sumido = fixtureDir() + "/sumido.wav";
        const QString quebrado = writeFile("quebrado.mp3", QByteArray(4000, 'z'));
        TextFile::writeLines(bancoPath(), {"001#SUMIDO$$" + sumido + "%%%255", "002#QUEBRADO$$" + quebrado + "%%%255"});
        reabre();
        {
            BoxAnswerer box;
            clica(1);
            QCOMPARE(box.texts, QStringList{"Arquivo:" + sumido + " Não encontrado"});
        }
        QCOMPARE(btn(1)->text(), QString("SUMIDO"));
        {
            BoxAnswerer box;
            clica(2);
            QCOMPARE(box.texts, QStringList{"Erro ao Carregar Mídia - Verifique !!"});
        }
        QVERIFY(!player(2)->Playing);
        QCOMPARE(btn(2)->text(), QString("QUEBRADO"));
        QCOMPARE(pontos(2), 8);
        QVERIFY(!m->cartucheira->Timer_botonera->Enabled());
        {
            BoxAnswerer box;
            clica(5); // empty: nothing at all
            QTest::qWait(50);
            QVERIFY(box.texts.isEmpty());
        }
        // A broken file dropped is reported at once and still kept in the bank.
        m->acervo->pesquisa->setLines({"QUEBRADO.MP3#" + quebrado});
        m->acervo->StringGrid2->show();
        {
            BoxAnswerer box;
            arrastaPara(0, 6, m->acervo->StringGrid2);
            QCOMPARE(box.texts, QStringList{"Erro ao Carregar Mídia - Verifique !!"});
        }
        QCOMPARE(bancoLines().value(5), "006#QUEBRADO.MP3$$" + quebrado + "%%%8454016");
    }

    void heardOnTheMusicCardOverADeck()
    {
        const QString placa = fixtureDir() + "/placas/card1.wav";
        arrastaPara(0, 1);
        fillDeck(*m, 1, {tracks[2]});
        m->deck_a->lista->setCurrentRow(0);
        m->ListBox1Click();
        QTest::mouseClick(m->deck_a->tocar, Qt::LeftButton);
        QVERIFY(m->deck_a->canal->Playing);
        m->Trackbar18->setFocus();

        // Measures 1 kHz (the cartridge) and 440 Hz (the deck) over the next second.
        auto mede = [&](double *cartucho, double *deck) {
            QTest::qWait(400);
            const qsizetype inicio = qsizetype(le_gravacao(placa).samples.size() / 2);
            QTest::qWait(1000);
            const Gravacao g = le_gravacao(placa);
            const qsizetype fim = qsizetype(g.samples.size() / 2);
            QVERIFY(fim - inicio > g.rate / 2);
            *cartucho = amplitude(g, inicio, fim, 1000);
            *deck = amplitude(g, inicio, fim, 440);
        };
        double c = 0, d = 0;
        QTest::keyClick(m->Trackbar18, Qt::Key_End); // towards deck B: deck A silent
        QCOMPARE(m->Trackbar18->value(), 200);
        clica(1);
        QVERIFY(player(1)->Playing);
        mede(&c, &d);
        QVERIFY2(std::fabs(c - 0.3) < 0.015 && d < 0.01, qPrintable(QString("%1 %2").arg(c).arg(d)));

        QTest::keyClick(m->Trackbar18, Qt::Key_Home); // deck A at the master volume
        QCOMPARE(m->Trackbar18->value(), 0);
        mede(&c, &d);
        const double deckCheio = 0.3 * m->Trackbar6->value() / 100.0;
        QVERIFY2(std::fabs(c - 0.3) < 0.015 && std::fabs(d - deckCheio) < 0.015, qPrintable(QString("%1 %2").arg(c).arg(d)));

        clica(1);
        mede(&c, &d);
        QVERIFY2(c < 0.01 && std::fabs(d - deckCheio) < 0.015, qPrintable(QString("%1 %2").arg(c).arg(d)));
        m->deck_a->canal->OnStop = nullptr;
        m->deck_a->canal->Stop();
    }
};

int main(int argc, char **argv)
{
    testsupport::prepareEnvironment();
    // Card 1 is recorded so the test hears what the operator would.
    qputenv("VELARIX_AUDIO", QFile::encodeName("record:" + testsupport::fixtureDir() + "/placas:2"));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestCartridges tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_cartridges.moc"
