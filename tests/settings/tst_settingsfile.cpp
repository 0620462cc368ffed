// The settings file and the shortcut file without any window: key lookup, the reading order
// and its stop at a bad value, the 30 written lines, and the shortcut file's rules.
#include "TestSupport.h"
#include "cartridge/Shortcuts.h"
#include "settings/Extras.h"
#include "settings/SettingsFile.h"

#include <QDir>

using namespace testsupport;
using namespace SettingsFile;

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void keyLookup()
    {
        const QStringList linhas = {"BT_CAPTURAGR=1", "CAPTURAGR=0", "xx AUTOMIXAR=0", "WAV =1",
                                    "FADE=12=13", "MP3=1", "MP3=0", "low=1"};
        // Found anywhere in a line: the first line holding the key and "=" wins.
        QCOMPARE(le_chave(linhas, "CAPTURAGR", "9"), QString("1"));
        QCOMPARE(le_chave(linhas, "AUTOMIXAR", "1"), QString("0"));
        QCOMPARE(le_chave(linhas, "MP3", "5"), QString("1"));
        // A blank between the key and "=" is not the key; the case must match.
        QCOMPARE(le_chave(linhas, "WAV", "0"), QString("0"));
        QCOMPARE(le_chave(linhas, "LOW", "7"), QString("7"));
        // The value is what follows the line's first "=".
        QCOMPARE(le_chave(linhas, "FADE", "6000"), QString("12=13"));
        QCOMPARE(le_chave({}, "FADE", "6000"), QString("6000"));
        const QString longo(300, QChar('7'));
        QCOMPARE(le_chave({"FADE=" + longo}, "FADE", ""), longo.left(255));
    }

    void integers()
    {
        int n = 0;
        QVERIFY(inteiro("12", &n) && n == 12);
        QVERIFY(inteiro(" -5 ", &n) && n == -5);
        QVERIFY(inteiro("+7", &n) && n == 7);
        QVERIFY(inteiro("-2147483648", &n) && n == std::numeric_limits<int>::min());
        for (const char *bad : {"", " ", "abc", "1.5", "12a", "2147483648", "-", "1 2"})
            QVERIFY2(!inteiro(bad, &n), bad);
    }

    void readingStopsAtTheFirstBadValue()
    {
        Valores v;
        v.fade = 5000;
        v.eq_volume = 100; // the window's own value
        v.bt_capturagr = 1;
        const QStringList linhas = {"AUTOMIXAR=0", "TEMPO_MIX=abc", "GRAFICO01=1", "DEVICE_CUE=2",
                                    "VLR_SENSOR=45", "DRIVE=0", "FADE=abc", "BT_CAPTURAGR=0",
                                    "EQ_VOLUME=30", "EQ_BANDA01=3", "OGG=1"};
        QStringList lidas;
        QCOMPARE(le_valores(linhas, &v, &lidas), QString("FADE"));
        // Read before the bad value.
        QCOMPARE(v.automixar, 0);
        QCOMPARE(v.grafico01, 1);
        QCOMPARE(v.device_cue, 2);
        QCOMPARE(v.vlr_sensor, 45);
        QCOMPARE(v.drive, 0);
        QVERIFY(lidas.contains("DRIVE"));
        // TEMPO_MIX's text is only kept; it is converted later with its own check.
        QCOMPARE(v.tempo_mix_texto, QString("abc"));
        // The bad one and everything after it keep what they held.
        QCOMPARE(v.fade, 5000);
        QCOMPARE(v.bt_capturagr, 1);
        QCOMPARE(v.eq_volume, 100);
        QCOMPARE(v.eq_banda[0], 10);
        QCOMPARE(v.ogg, 0);
        QVERIFY(!lidas.contains("FADE") && !lidas.contains("OGG"));

        // CLIPS is otherwise ignored but must still be a number.
        Valores w;
        QCOMPARE(le_valores({"CLIPS=x", "GRAFICO01=1"}, &w), QString("CLIPS"));
        QCOMPARE(w.grafico01, 0);
        // An empty value is an error like any other.
        QCOMPARE(le_valores({"EQ_BANDA07="}, &w), QString("EQ_BANDA07"));
    }

    void missingFileGivesTheTableDefaults()
    {
        Valores v;
        v.fade = 5000;
        v.eq_volume = 100;
        v.bt_capturagr = 1;
        v.eq_banda.fill(3);
        QVERIFY(le_valores({}, &v).isEmpty());
        QCOMPARE(v.fade, 6000);
        QCOMPARE(v.eq_volume, 75);
        QCOMPARE(v.bt_capturagr, 0);
        QCOMPARE(v.eq_banda[9], 10);
        QCOMPARE(v.tempo_mix_texto, QString("3000"));
    }

    void thirtyLinesInTheirOrder()
    {
        Valores v;
        v.fade = 6000;
        const QStringList esperado = {
            "CAPTURAGR=0", "AUTOMIXAR=1", "WAV=0", "MP3=1", "OGG=0", "WMA=0", "CLIPS=0", "TEMPO_MIX=3000",
            "GRAFICO01=0", "GRAFICO02=0", "DEVICE_TRANSMISSAO=1", "DEVICE_CUE=1", "ATIVA_SENSOR=1",
            "VLR_SENSOR=20", "DRIVE=1", "BUFFERS=1000", "FADE=6000", "BT_CAPTURAGR=0", "EQ_ATIVA=0",
            "EQ_VOLUME=75", "EQ_BANDA01=10", "EQ_BANDA02=10", "EQ_BANDA03=10", "EQ_BANDA04=10", "EQ_BANDA05=10",
            "EQ_BANDA06=10", "EQ_BANDA07=10", "EQ_BANDA08=10", "EQ_BANDA09=10", "EQ_BANDA10=10"};
        QCOMPARE(monta_linhas(v), esperado);
        // What is written reads back the same.
        Valores w;
        w.eq_banda = {0, 1, 2, 3, 4, 5, 6, 7, 8, 20};
        w.device_cue = -3;
        w.fade = 12000;
        Valores r;
        QVERIFY(le_valores(monta_linhas(w), &r).isEmpty());
        QCOMPARE(r.eq_banda, w.eq_banda);
        QCOMPARE(r.device_cue, -3);
        QCOMPARE(r.fade, 12000);
    }

    void shortcutFile()
    {
        const QString dir = fixtureDir() + "/atalhos";
        QDir().mkpath(dir);
        const QString path = dir + "/" + Atalhos::nomeArquivo();

        Atalhos a;
        QCOMPARE(a.le(path), Atalhos::Leitura::Ausente);
        QVERIFY(a.todasVazias());

        // Four lines set four entries; the file goes back as ten lines, the last six empty.
        writeBytes(path, "/m/um.mp3\r\n/m/dois.mp3\n  \r/m/quatro.wav");
        QCOMPARE(a.le(path), Atalhos::Leitura::Lido);
        QCOMPARE(a.entrada(1), QString("/m/um.mp3"));
        QCOMPARE(a.entrada(3), QString("  ")); // as it stands, no trimming
        QCOMPARE(a.entrada(4), QString("/m/quatro.wav"));
        QCOMPARE(a.entrada(5), QString());
        QVERIFY(a.grava(path));
        QCOMPARE(readBytes(path), QByteArray("/m/um.mp3\r\n/m/dois.mp3\r\n  \r\n/m/quatro.wav\r\n\r\n\r\n\r\n\r\n\r\n\r\n"));

        // Lines after the tenth are ignored.
        QByteArray doze;
        for (int i = 1; i <= 12; ++i)
            doze += "/m/f" + QByteArray::number(i) + ".mp3\r\n";
        writeBytes(path, doze);
        Atalhos b;
        b.le(path);
        QCOMPARE(b.entrada(10), QString("/m/f10.mp3"));
        QVERIFY(b.grava(path));
        QCOMPARE(readBytes(path).count("\r\n"), 10);
        QVERIFY(!readBytes(path).contains("f11"));

        // A full disk: the old file stays whole and the failure is told.
        {
            FileSizeLimit limite(16);
            QString erro;
            QVERIFY(!b.grava(path, &erro));
            QVERIFY(!erro.isEmpty());
        }
        QCOMPARE(readBytes(path).count("\r\n"), 10);

        // All blank: the file is deleted; a missing file is no error.
        writeBytes(path, " \r\n\t\r\n");
        Atalhos c;
        c.le(path);
        QVERIFY(c.todasVazias());
        QVERIFY(c.grava(path));
        QVERIFY(!QFile::exists(path));
        QVERIFY(c.grava(path));

        // A file that cannot be read is neither replaced nor deleted.
        QVERIFY(QDir().mkpath(path));
        Atalhos d;
        QCOMPARE(d.le(path), Atalhos::Leitura::Ilegivel);
        QVERIFY(!d.grava(path));
        QVERIFY(QFileInfo(path).isDir());
        QDir(path).removeRecursively();
    }

    void extrasFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("EXTRAS.INI");
        Extras::Valores v = Extras::carrega(path);
        QVERIFY(!v.normalizar && !v.cortar_silencio);
        QCOMPARE(v.alvo_lufs, -14);

        v = {true, -18, true};
        QVERIFY(Extras::grava(v, path));
        QCOMPARE(readBytes(path), QByteArray("NORMALIZAR=1\r\nALVO_LUFS=-18\r\nCORTAR_SILENCIO=1\r\nANALISAR_ACERVO=0\r\n"));
        const Extras::Valores lido = Extras::carrega(path);
        QVERIFY(lido.normalizar && lido.cortar_silencio);
        QCOMPARE(lido.alvo_lufs, -18);

        // Each value that makes no sense falls back on its own default.
        writeBytes(path, "\xff\xfe garbage\nNORMALIZAR=2\nALVO_LUFS=loud\nCORTAR_SILENCIO= 1 \n");
        v = Extras::carrega(path);
        QVERIFY(!v.normalizar && v.cortar_silencio);
        QCOMPARE(v.alvo_lufs, -14);
        QCOMPARE(Extras::le_linhas({"ALVO_LUFS=-40"}).alvo_lufs, -23);
        QCOMPARE(Extras::le_linhas({"ALVO_LUFS=0"}).alvo_lufs, -8);
        QCOMPARE(Extras::le_linhas({"ALVO_LUFS=-9999999999"}).alvo_lufs, -14);
        QCOMPARE(Extras::monta_linhas({false, 5, false})[1], QString("ALVO_LUFS=-8"));
    }
};

VELARIX_TEST_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
