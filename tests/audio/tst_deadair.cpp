// When silence on the air counts as dead air: fed on a made-up clock, as the console's
// watch feeds it four times a second.
#include "audio/DeadAir.h"

#include <QtTest>

using audio::DeadAir;

namespace {

// Feeds `peakDb` every 250 ms from `from` to `to` (inclusive); returns the times it fired.
QList<int64_t> run(DeadAir &d, int64_t from, int64_t to, double peakDb, bool armed = true)
{
    QList<int64_t> fired;
    for (int64_t t = from; t <= to; t += 250)
        if (d.feed(t, peakDb, armed))
            fired.append(t);
    return fired;
}

} // namespace

class TestDeadAir : public QObject
{
    Q_OBJECT
private slots:
    void firesOnceAfterEightSecondsUnderTheFloorThenCountsAgain()
    {
        DeadAir d;
        QVERIFY(run(d, 0, 10000, -20).isEmpty());
        // Just under the floor is silence; the stretch starts at the first quiet feed.
        QCOMPARE(run(d, 10250, 30000, DeadAir::kFloorDb - 0.1), (QList<int64_t>{18250, 26250}));
    }

    void soundOrDisarmingStartsTheCountOver()
    {
        DeadAir d;
        QVERIFY(run(d, 0, 7750, -90).isEmpty());
        QVERIFY(!d.feed(8000, DeadAir::kFloorDb, true)); // at the floor is sound
        QVERIFY(run(d, 8250, 16000, -90).isEmpty());
        QVERIFY(!d.feed(16250, -90, false)); // the operator stopped, or a fade runs
        QVERIFY(run(d, 16500, 24250, -90).isEmpty());
        QCOMPARE(run(d, 24500, 24500, -90), QList<int64_t>{24500});
        // Disarmed, silence never fires, however long.
        QVERIFY(run(d, 24750, 100000, -120, false).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestDeadAir)
#include "tst_deadair.moc"
