// The bank file on its own: the line format, the cutting rules on odd lines, colours, and
// reading and writing the file.
#include "TestSupport.h"
#include "cartridge/CartridgeBank.h"
#include "settings/TextFile.h"

#include <QDir>

using namespace testsupport;

class TestCartridgeBank : public QObject
{
    Q_OBJECT

private slots:
    void linesAsWrittenAndReadBack()
    {
        CartridgeBank::Slots banco{};
        banco[0] = {"VINHETA ÁGUA", "/m/vinheta água.mp3", "10485759", "x", "y"};
        banco[9] = {"FIM", "/m/fim.wav", "8454016", {}, {}};
        banco[1] = {"KE$$HA - TIK TOK.MP3", "/m/KE$$HA - TIK TOK.mp3", "10485759", {}, {}};
        banco[2] = {"MIX 100%%% BRASIL.MP3", "/m/$$/Mix 100%%% Brasil.mp3", "8454016", {}, {}};
        const QStringList ls = CartridgeBank::linhas(banco);
        QCOMPARE(ls.size(), 10);
        QCOMPARE(ls[0], QString("001#VINHETA ÁGUA$$/m/vinheta água.mp3%%%10485759"));
        QCOMPARE(ls[4], QString("005#$$%%%"));
        QCOMPARE(ls[9], QString("010#FIM$$/m/fim.wav%%%8454016"));
        const CartridgeBank::Slots lido = CartridgeBank::cortaLinhas(ls);
        // The two reserved fields are never carried by the file.
        QCOMPARE(lido[0], (CartridgeSlot{"VINHETA ÁGUA", "/m/vinheta água.mp3", "10485759", {}, {}}));
        QCOMPARE(lido[9], banco[9]);
        QCOMPARE(lido[1], banco[1]);
        QCOMPARE(lido[2], banco[2]);
        QCOMPARE(lido[4], CartridgeSlot{});
    }

    void cuttingRules_data()
    {
        QTest::addColumn<QString>("linha");
        QTest::addColumn<QString>("titulo");
        QTest::addColumn<QString>("arquivo");
        QTest::addColumn<QString>("cor");
        // File names hold the separators: the path starts where a whole path starts, the colour
        // after the last "%%%".
        QTest::newRow("dollars in the title") << "001#AB$$CD$$/m/x.mp3%%%255" << "AB$$CD" << "/m/x.mp3" << "255";
        QTest::newRow("dollars in both") << "001#KE$$HA.MP3$$/m/KE$$HA.mp3%%%10485759" << "KE$$HA.MP3"
                                         << "/m/KE$$HA.mp3" << "10485759";
        QTest::newRow("percents in both") << "002#MIX 100%%% BR$$/m/Mix 100%%% Br.mp3%%%8454016"
                                          << "MIX 100%%% BR" << "/m/Mix 100%%% Br.mp3" << "8454016";
        QTest::newRow("drive path") << "003#A$$B$$C:\\m\\x.mp3%%%1" << "A$$B" << "C:\\m\\x.mp3" << "1";
        QTest::newRow("relative path") << "004#T$$x$$y.mp3%%%1" << "T" << "x$$y.mp3" << "1";
        QTest::newRow("number ignored") << "007#SETE$$/s.wav%%%1" << "SETE" << "/s.wav" << "1";
        QTest::newRow("short number") << "1#ABCDE$$/p%%%2" << "CDE$$" << "/p" << "2";
        QTest::newRow("no colour separator") << "001#T$$/p" << "T" << "" << "1#T$$/p";
        QTest::newRow("no dollars") << "001#T%%%9" << "" << "01#T" << "9";
        QTest::newRow("blank") << "" << "" << "" << "";
        QTest::newRow("percent in the path") << "002#T$$/a%%%b%%%3" << "T" << "/a%%%b" << "3";
        QTest::newRow("long colour") << "003#T$$/p%%%" + QString(300, '7') << "T" << "/p" << QString(255, '7');
    }

    void cuttingRules()
    {
        QFETCH(QString, linha);
        const CartridgeSlot s = CartridgeBank::cortaLinha(linha);
        QTEST(s.titulo, "titulo");
        QTEST(s.arquivo, "arquivo");
        QTEST(s.cor, "cor");
    }

    void coloursAndCaptions()
    {
        QCOMPARE(CartridgeBank::corBotao("10485759"), QColor(255, 255, 159));
        QCOMPARE(CartridgeBank::corBotao("8454016"), QColor(128, 255, 128));
        QCOMPARE(CartridgeBank::corBotao(""), QColor(166, 169, 170));
        QCOMPARE(CartridgeBank::corBotao("amarelo"), QColor(166, 169, 170));
        QCOMPARE(CartridgeBank::corBotao("255x"), QColor(166, 169, 170));
        QCOMPARE(CartridgeBank::corBotao("99999999999"), QColor(166, 169, 170));
        QCOMPARE(CartridgeBank::legenda("12345678901234567890"), QString("1234567890123"));
        QCOMPARE(CartridgeBank::legenda("CURTO"), QString("CURTO"));
        QVERIFY(CartridgeBank::nomeInvalido("ABCD"));
        QVERIFY(!CartridgeBank::nomeInvalido(CartridgeBank::fileName()));
    }

    void fileReadingAndWriting()
    {
        const QString dir = fixtureDir() + "/banco";
        QDir().mkpath(dir);
        const QString path = dir + "/CARTUCHEIRA.PFL";
        CartridgeBank::Slots banco{};
        banco[0].titulo = "X";
        QCOMPARE(CartridgeBank::load(path, &banco), CartridgeBank::LoadResult::Missing);
        QCOMPARE(banco[0], CartridgeSlot{}); // emptied even when there is no file

        // Twelve lines in LF, CR and CR LF: lines eleven and twelve never reach a slot.
        QByteArray bytes;
        for (int k = 1; k <= 12; ++k) {
            const QByteArray n = QByteArray::number(k);
            bytes += n.rightJustified(3, '0') + "#T" + n + "$$/p" + n + "%%%" + n;
            bytes += k % 3 == 0 ? "\r" : k % 3 == 1 ? "\n" : "\r\n";
        }
        writeBytes(path, bytes);
        QCOMPARE(CartridgeBank::load(path, &banco), CartridgeBank::LoadResult::Loaded);
        for (int k = 1; k <= 10; ++k)
            QCOMPARE(banco[size_t(k - 1)].titulo, QString("T%1").arg(k));

        // A file written on Windows keeps its accents.
        writeBytes(path, "001#CAN\xc7\xc3O$$C:\\m\\can\xe7\xe3o.mp3%%%255\r\n");
        QCOMPARE(CartridgeBank::load(path, &banco), CartridgeBank::LoadResult::Loaded);
        QCOMPARE(banco[0].titulo, QString("CANÇÃO"));
        QCOMPARE(banco[0].arquivo, QString("C:\\m\\canção.mp3"));

        QVERIFY(CartridgeBank::save(path, banco));
        const QByteArray escrito = readBytes(path);
        QVERIFY(escrito.startsWith("001#CAN\xc3\x87\xc3\x83O$$"));
        QCOMPARE(escrito.count("\r\n"), 10);
        QVERIFY(escrito.endsWith("010#$$%%%\r\n"));

        // A write that fails leaves the previous bank whole.
        {
            FileSizeLimit full(40);
            banco[1] = {QString(200, 'L'), "/longo.mp3", "1", {}, {}};
            QString erro;
            QVERIFY(!CartridgeBank::save(path, banco, &erro));
            QVERIFY(!erro.isEmpty());
        }
        QCOMPARE(readBytes(path), escrito);
        QCOMPARE(QDir(dir).entryList(QDir::Files), QStringList{"CARTUCHEIRA.PFL"});

        // Something that cannot be read as a file.
        const QString pasta = dir + "/PASTA.PFL";
        QDir().mkpath(pasta);
        QString erro;
        QCOMPARE(CartridgeBank::load(pasta, &banco, &erro), CartridgeBank::LoadResult::Unreadable);
        QVERIFY(!erro.isEmpty());
        QCOMPARE(banco[0], CartridgeSlot{});
    }
};

VELARIX_TEST_MAIN(TestCartridgeBank)
#include "tst_cartridgebank.moc"
