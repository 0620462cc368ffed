// Finding titles, the audio files of a folder and the start-up parameter's parts.
#include "TestSupport.h"

#include "library/Search.h"

#include <QDir>
#include <QTemporaryDir>

class TestSearch : public QObject
{
    Q_OBJECT

    static QVector<int> find(const QStringList &titles, const QString &text)
    {
        return Search::procura(int(titles.size()), [&](int r) { return titles.at(r); }, text);
    }

private slots:
    void matchesSubstringsWithinTheTitleSpan_data()
    {
        const QString pad47 = QString(47, QLatin1Char('X'));
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVector<int>>("rows");
        const QStringList abc = {"BACH.MP3", "ACDC.MP3", "MAGIC.WAV"};
        QTest::newRow("substring, not prefix") << abc << "AC" << QVector<int>{0, 1};
        QTest::newRow("lower case typed") << abc << "ac" << QVector<int>{0, 1};
        QTest::newRow("lower case title") << QStringList{"bach.mp3", "Magic.wav"} << "AC" << QVector<int>{0};
        QTest::newRow("accents") << QStringList{"canção.mp3", "CANCAO.MP3"} << "ÇÃ" << QVector<int>{0};
        QTest::newRow("ends at char 50") << QStringList{pad47 + "QAC"} << "AC" << QVector<int>{0};
        QTest::newRow("reaches char 51") << QStringList{pad47 + "QQAC"} << "AC" << QVector<int>{};
        QTest::newRow("trailing blank") << QStringList{"AC DC.MP3", "ACDC.MP3", "BACH .MP3"} << "AC " << QVector<int>{0};
        QTest::newRow("blank text") << abc << "   " << QVector<int>{};
        QTest::newRow("empty text") << abc << "" << QVector<int>{};
        QTest::newRow("no match") << abc << "ZZ" << QVector<int>{};
    }

    void matchesSubstringsWithinTheTitleSpan()
    {
        QFETCH(QStringList, titles);
        QFETCH(QString, text);
        QFETCH(QVector<int>, rows);
        QCOMPARE(find(titles, text), rows);
    }

    void listsAudioFilesOfAFolder()
    {
        QTemporaryDir dir;
        for (const char *name : {"song.mp3", "INTRO.WAV", "notes.txt", ".hidden.mp3", "b.Mp3", "a.wav.bak"}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir("folder.mp3"));
        const QVector<Search::ArquivoAudio> found = Search::lista_arquivos_audio(dir.path() + "/");
        QStringList titles, names;
        for (const auto &a : found) {
            titles << a.titulo;
            names << a.nome;
        }
        QCOMPARE(titles, (QStringList{"B.MP3", "INTRO.WAV", "SONG.MP3"}));
        QCOMPARE(names, (QStringList{"b.Mp3", "INTRO.WAV", "song.mp3"}));
        QVERIFY(Search::lista_arquivos_audio(dir.path() + "/missing/").isEmpty());
    }

    void splitsTheStartupParameter()
    {
        Search::PartesInicio p = Search::separa_parametro(" /srv/minha pasta/som bom.mp3");
        QCOMPARE(p.pasta, QString(" /srv/minha pasta/"));
        QCOMPARE(p.nome, QString("som bom.mp3"));
        p = Search::separa_parametro(" song.mp3");
        QCOMPARE(p.pasta, QString());
        QCOMPARE(p.nome, QString(" song.mp3"));
        p = Search::separa_parametro("/d/" + QString(300, QLatin1Char('n')));
        QCOMPARE(p.nome.size(), 255);
    }
};

VELARIX_TEST_MAIN(TestSearch)
#include "tst_search.moc"
