// File names kept as the file system's bytes: every byte string comes back whole, valid
// UTF-8 reads as itself, and titles show stray bytes as Latin-1 letters.
#include "TestSupport.h"
#include "library/NativeName.h"

#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

class TestNativeName : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QByteArray("/m/song.mp3");
        QTest::newRow("utf-8") << QByteArray("/m/\xc3\xa9t\xc3\xa9.mp3");
        QTest::newRow("latin-1") << QByteArray("/m/\xe9t\xe9.mp3");
        QTest::newRow("cut sequence") << QByteArray("/m/a\xc3");
        QTest::newRow("overlong slash") << QByteArray("/m/\xc0\xaf.mp3");
        QTest::newRow("encoded surrogate") << QByteArray("/m/\xed\xa0\x80.mp3");
        QTest::newRow("real kept-range character") << QByteArray("/m/\xee\xba\x80.mp3");
        QTest::newRow("four bytes") << QByteArray("/m/\xf0\x9f\x8e\xb5.mp3");
        QTest::newRow("past U+10FFFF") << QByteArray("/m/\xf4\x90\x80\x80");
    }
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        const QString name = NativeName::decode(bytes);
        QCOMPARE(NativeName::encode(name), bytes);
        // What survives a UTF-8 text file survives here too.
        QCOMPARE(NativeName::encode(QString::fromUtf8(name.toUtf8())), bytes);
    }

    void validNamesReadAsThemselves()
    {
        const QByteArray utf8("/m/\xc3\xa9t\xc3\xa9 \xf0\x9f\x8e\xb5.mp3");
        QCOMPARE(NativeName::decode(utf8), QString::fromUtf8(utf8));
        QCOMPARE(NativeName::encode(QString::fromUtf8(utf8)), utf8);
    }

    void titlesShowLatin1()
    {
        QCOMPARE(NativeName::displayed(NativeName::decode("\xe9t\xe9.mp3")), QString::fromUtf8("été.mp3"));
    }

    void existsByBytes()
    {
        const QByteArray raw = QFile::encodeName(testsupport::fixtureDir()) + "/\xe9t\xe9.txt";
        QFile f;
        QVERIFY(f.open(std::fopen(raw.constData(), "w"), QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        f.close();
        const QString path = NativeName::decode(raw);
        QVERIFY(NativeName::exists(path));
        QVERIFY(!QFileInfo::exists(path)); // what a plain Qt name would have missed
        QVERIFY(::unlink(raw.constData()) == 0);
        QVERIFY(!NativeName::exists(path));
    }
};

VELARIX_TEST_MAIN(TestNativeName)
#include "tst_nativename.moc"
