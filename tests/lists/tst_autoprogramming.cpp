// The dealing of the library to the two decks and the generator behind the random order,
// checked against a plain shrinking pool driven by the generator's formula written out here.
#include "TestSupport.h"

#include "lists/AutoProgramming.h"

using namespace AutoProgramming;

namespace {

// The pool as a list that really shrinks, with the draws computed from the formula itself.
std::vector<int> poolOrder(int n, quint32 seed)
{
    quint32 state = seed;
    std::vector<int> pool(size_t(qMax(n, 0)));
    for (int i = 0; i < n; ++i)
        pool[size_t(i)] = i;
    std::vector<int> out;
    while (!pool.empty()) {
        state = state * 134775813u + 1u;
        const auto k = size_t((quint64(pool.size()) * state) >> 32);
        out.push_back(pool[k]);
        pool.erase(pool.begin() + qsizetype(k));
    }
    return out;
}

struct Library
{
    QStringList titles, paths;
    int rows() const { return int(titles.size()); }
    Celula title() const { return [this](int r) { return titles.value(r); }; }
    Celula path() const { return [this](int r) { return paths.value(r); }; }
};

Library numbered(int n)
{
    Library l;
    for (int i = 0; i < n; ++i) {
        l.titles << QStringLiteral("T%1.MP3").arg(i, 5, 10, QLatin1Char('0'));
        l.paths << QStringLiteral("/m/%1.mp3").arg(i);
    }
    return l;
}

} // namespace

class TestAutoProgramming : public QObject
{
    Q_OBJECT

private slots:
    void generatorSteps()
    {
        semeia(0);
        // A draw below n is always below n; the first one since a zero state is 0.
        QCOMPARE(sorteia(1000), 0u);
        QCOMPARE(estado(), 1u);
        QCOMPARE(sorteia(0x80000000u), quint32((quint64(0x80000000u) * 134775814u) >> 32));
        QCOMPARE(estado(), 134775814u);
        semeia(0xFFFFFFFFu);
        QCOMPARE(sorteia(7), quint32((7ull * quint32(0xFFFFFFFFu * 134775813u + 1u)) >> 32));
        for (int i = 0; i < 1000; ++i)
            QVERIFY(sorteia(3) < 3);
    }

    void clockSeedDiffersBetweenStarts()
    {
        semeiaDoRelogio();
        const quint32 first = estado();
        QTest::qWait(5);
        semeiaDoRelogio();
        QVERIFY(estado() != first);
    }

    void orderMatchesTheShrinkingPool_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<quint32>("seed");
        for (int n : {0, 1, 2, 3, 17, 1000, 12000})
            QTest::addRow("n=%d seed 0", n) << n << 0u;
        QTest::newRow("n=5000 other seed") << 5000 << 0xDEADBEEFu;
        QTest::newRow("n=4097 seed -1") << 4097 << 0xFFFFFFFFu;
    }

    void orderMatchesTheShrinkingPool()
    {
        QFETCH(int, n);
        QFETCH(quint32, seed);
        const std::vector<int> expected = poolOrder(n, seed);
        semeia(seed);
        QCOMPARE(ordemAleatoria(n), expected);
    }

    void randomDealAlternatesFromDeckB()
    {
        semeia(0);
        Library one = numbered(1);
        Distribuicao d = aleatoria(one.rows(), one.title(), one.path());
        QVERIFY(d.executou && d.seleciona);
        QCOMPARE(d.titulosB, QStringList{"T00000.MP3"});
        QCOMPARE(d.caminhosB, QStringList{"/m/0.mp3"});
        QVERIFY(d.titulosA.isEmpty());

        // Three tracks from a zero state: every draw is 0, so library order, B first.
        semeia(0);
        Library three = numbered(3);
        d = aleatoria(three.rows(), three.title(), three.path());
        QCOMPARE(d.titulosB, (QStringList{"T00000.MP3", "T00002.MP3"}));
        QCOMPARE(d.titulosA, QStringList{"T00001.MP3"});
        QCOMPARE(d.caminhosA, QStringList{"/m/1.mp3"});
    }

    void randomDealTrimsAndSkipsUntitledRows()
    {
        Library l;
        l.titles = {"  UM.MP3 ", "", "   ", "DOIS.MP3"};
        l.paths = {" /m/um.mp3  ", "/m/x.mp3", "/m/y.mp3", "/m/dois.mp3"};
        semeia(0);
        const Distribuicao d = aleatoria(l.rows(), l.title(), l.path());
        QCOMPARE(d.titulosB, QStringList{"UM.MP3"});
        QCOMPARE(d.caminhosB, QStringList{"/m/um.mp3"});
        QCOMPARE(d.titulosA, QStringList{"DOIS.MP3"});

        // Nothing at all when the first row has no title.
        l.titles[0].clear();
        const quint32 before = estado();
        const Distribuicao none = aleatoria(l.rows(), l.title(), l.path());
        QVERIFY(!none.executou && none.titulosA.isEmpty() && none.titulosB.isEmpty());
        QCOMPARE(estado(), before);
    }

    void alphabeticalDealKeepsRowsAsTheyAre()
    {
        Library l = numbered(5);
        l.titles[2] = " C ";
        const Distribuicao d = alfabetica(l.rows(), l.title(), l.path());
        QCOMPARE(d.titulosA, (QStringList{"T00000.MP3", " C ", "T00004.MP3"}));
        QCOMPARE(d.titulosB, (QStringList{"T00001.MP3", "T00003.MP3"}));
        QCOMPARE(d.caminhosB, (QStringList{"/m/1.mp3", "/m/3.mp3"}));
        QVERIFY(d.seleciona);
        QCOMPARE(d.linhaAtual, 4);
    }

    void alphabeticalDealStopsAtAnEmptyTitle()
    {
        Library l = numbered(6);
        l.titles[3].clear();
        const Distribuicao d = alfabetica(l.rows(), l.title(), l.path());
        QCOMPARE(d.titulosA, (QStringList{"T00000.MP3", "T00002.MP3"}));
        QCOMPARE(d.titulosB, QStringList{"T00001.MP3"});
        QVERIFY(d.executou && !d.seleciona);
        QCOMPARE(d.linhaAtual, 3);
    }

    void alphabeticalDealStopsAfterItsLimit_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("dealt");
        QTest::addColumn<bool>("selects");
        QTest::newRow("10000") << 10000 << 10000 << true;
        QTest::newRow("10001") << 10001 << 10001 << false;
        QTest::newRow("12000") << 12000 << 10001 << false;
    }

    void alphabeticalDealStopsAfterItsLimit()
    {
        QFETCH(int, rows);
        QFETCH(int, dealt);
        QFETCH(bool, selects);
        const Library l = numbered(rows);
        const Distribuicao d = alfabetica(l.rows(), l.title(), l.path());
        QCOMPARE(int(d.titulosA.size() + d.titulosB.size()), dealt);
        QCOMPARE(d.seleciona, selects);
        QCOMPARE(d.titulosA.last(), l.titles.at(((dealt - 1) / 2) * 2));
        QCOMPARE(d.linhaAtual, qMin(dealt, rows - 1));
    }
};

VELARIX_TEST_MAIN(TestAutoProgramming)
#include "tst_autoprogramming.moc"
