// The analysis store and the background queue: which file goes next, results kept across a
// restart and redone for a changed file, a damaged database set aside, and a file that never
// answers holding up neither the queue nor its destruction.
#include "StuckPipe.h"
#include "TestSupport.h"
#include "library/AnalysisQueue.h"
#include "library/AnalysisStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <cmath>
#include <thread>

using namespace testsupport;
using audio::LoudnessResult;

class TestAnalysis : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    static LoudnessResult sample(double integrated, qint64 start)
    {
        LoudnessResult r;
        r.ok = true;
        r.integratedLufs = integrated;
        r.rangeLu = 4.5;
        r.truePeakDbtp = -0.25;
        r.audibleStartMs = start;
        r.audibleEndMs = start + 1000;
        r.lengthMs = 200123;
        return r;
    }

    // The results one queue delivers for `paths` asked as later() work, by path.
    struct Outcome
    {
        QHash<QString, LoudnessResult> results;
        QHash<QString, bool> fromStore;
        QStringList problems;
    };
    static void runQueue(const QString &db, const QStringList &paths, Outcome *o)
    {
        AnalysisQueue q(db);
        connect(&q, &AnalysisQueue::analysed, [o](const QString &p, const LoudnessResult &r, bool stored) {
            o->results.insert(p, r);
            o->fromStore.insert(p, stored);
        });
        connect(&q, &AnalysisQueue::storeProblem, [o](const QString &m) { o->problems << m; });
        QSignalSpy progress(&q, &AnalysisQueue::progress);
        q.later(paths);
        QTRY_VERIFY_WITH_TIMEOUT(!progress.isEmpty() && progress.last().at(0) == progress.last().at(1), 60000);
        QCOMPARE(progress.last().at(1).toInt(), paths.size());
        QCOMPARE(o->results.size(), paths.size());
    }

private slots:
    void order()
    {
        AnalysisOrder o;
        QCOMPARE(o.later({"a", "b", "c", "a"}), 3);
        QCOMPARE(o.urgent({"x"}), 1);
        // The latest call first, its own first path first; c moves up and waits once.
        QCOMPARE(o.urgent({"c", "y"}), 1);
        QCOMPARE(o.later({"y", "b"}), 0);
        QCOMPARE(o.waiting(), 5);
        QStringList out;
        for (QString p = o.next(); !p.isEmpty(); p = o.next())
            out << p;
        QCOMPARE(out, (QStringList{"c", "y", "x", "a", "b"}));
        // Taken paths may be asked for again; an urgent one asked twice comes once.
        QCOMPARE(o.later({"a"}), 1);
        QCOMPARE(o.urgent({"a", "a"}), 0);
        QCOMPARE(o.next(), QString("a"));
        QCOMPARE(o.next(), QString());
        o.urgent({"z"});
        o.clear();
        QCOMPARE(o.waiting(), 0);
        QCOMPARE(o.next(), QString());
    }

    void storeKeepsResultsPerFileVersion()
    {
        const QString db = m_dir.filePath("keep.db");
        const AnalysisStore::Key a{"/música/a.mp3", 1000, 1700000000000};
        const AnalysisStore::Key b{"/música/b.mp3", 2000, 1700000000000};
        LoudnessResult silent;
        silent.ok = true;
        silent.lengthMs = 5000;
        {
            AnalysisStore s(db);
            QVERIFY2(s.isOpen(), qPrintable(s.error()));
            QVERIFY(s.save(a, sample(-9.5, 1200)));
            QVERIFY(s.save(b, silent));
            QVERIFY(s.save(a, sample(-11.25, 300))); // measured again: replaces
        }
        // Another thread's connection writes beside this one's.
        AnalysisStore s(db);
        std::thread other([&] {
            AnalysisStore mine(db);
            for (int i = 0; i < 50; ++i)
                mine.save({QStringLiteral("/t/%1").arg(i), i, 1}, sample(-i, i));
        });
        for (int i = 0; i < 50; ++i)
            QVERIFY(s.save({QStringLiteral("/m/%1").arg(i), i, 1}, sample(-i, i)));
        other.join();
        for (int i = 0; i < 50; ++i) {
            QVERIFY(s.find({QStringLiteral("/t/%1").arg(i), i, 1}).has_value());
            QVERIFY(s.find({QStringLiteral("/m/%1").arg(i), i, 1}).has_value());
        }
        const auto ra = s.find(a);
        QVERIFY(ra.has_value());
        QCOMPARE(ra->integratedLufs, -11.25);
        QCOMPARE(ra->rangeLu, 4.5);
        QCOMPARE(ra->truePeakDbtp, -0.25);
        QCOMPARE(ra->audibleStartMs, 300);
        QCOMPARE(ra->audibleEndMs, 1300);
        QCOMPARE(ra->lengthMs, 200123);
        const auto rb = s.find(b);
        QVERIFY(rb.has_value() && rb->ok);
        QVERIFY(std::isinf(rb->integratedLufs) && rb->integratedLufs < 0);
        QVERIFY(std::isinf(rb->truePeakDbtp) && !rb->audible());
        // Another size or time is another file.
        QVERIFY(!s.find({a.path, a.size + 1, a.modifiedMs}).has_value());
        QVERIFY(!s.find({a.path, a.size, a.modifiedMs + 1000}).has_value());
        QVERIFY(!s.find({"/música/c.mp3", 1000, 1700000000000}).has_value());
    }

    void damagedDatabaseIsSetAside_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("garbage") << QByteArray(8192, '\x5a');
        QByteArray header("SQLite format 3");
        header.append('\0');
        QTest::newRow("cut after the header") << header + QByteArray(84, '\x10');
    }
    void damagedDatabaseIsSetAside()
    {
        QFETCH(QByteArray, contents);
        const QString db = m_dir.filePath(QStringLiteral("%1.db").arg(QTest::currentDataTag()).replace(' ', '_'));
        writeBytes(db, contents);
        const QString music = tone("aside.wav", 440, 1.0);
        Outcome o;
        runQueue(db, {music}, &o);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(o.problems.size(), 1);
        QVERIFY2(o.problems[0].contains("danificado"), qPrintable(o.problems[0]));
        QVERIFY(o.results.value(music).ok);
        // The damaged file is kept as it was, and the new database works.
        const QStringList aside = QDir(m_dir.path()).entryList({QFileInfo(db).fileName() + ".danificado-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readBytes(m_dir.filePath(aside[0])), contents);
        AnalysisStore again(db);
        QVERIFY(again.isOpen() && again.setAsidePath().isEmpty());
        QVERIFY(again.find(AnalysisStore::keyOf(music)).has_value());
    }

    void queueMeasuresOnceAndAgainWhenChanged()
    {
        const QString db = m_dir.filePath("queue.db");
        const QString a = tone("qa.mp3", 440, 2.0);
        const QString b = ffmpeg({"-f", "lavfi", "-i", "aevalsrc='if(gt(t,1.5),0.3*sin(2*PI*330*t),0)':s=44100:d=3"},
                                 "qb.wav");
        QVERIFY(QFile::copy(a, fixtureDir() + "/qa copy.mp3"));
        const QString copy = fixtureDir() + "/qa copy.mp3";
        const QString missing = fixtureDir() + "/nowhere.mp3";
        const QByteArray before = readBytes(a);

        Outcome first;
        runQueue(db, {a, b, copy, missing}, &first);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(first.results.size(), 4);
        QVERIFY(first.results[a].ok && first.results[copy].ok && first.results[b].ok);
        QVERIFY(!first.fromStore[a] && !first.fromStore[copy]);
        QVERIFY(std::llabs(first.results[b].audibleStartMs - 1500) <= 100);
        QVERIFY(!first.results[missing].ok);
        QCOMPARE(readBytes(a), before);

        Outcome second;
        runQueue(db, {a, b, copy, missing}, &second);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(second.fromStore[a] && second.fromStore[b] && second.fromStore[copy]);
        QCOMPARE(second.results[a].integratedLufs, first.results[a].integratedLufs);
        QVERIFY(!second.fromStore[missing] && !second.results[missing].ok);

        QFile touched(copy);
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
        touched.close();
        Outcome third;
        runQueue(db, {a, copy}, &third);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(third.fromStore[a] && !third.fromStore[copy] && third.results[copy].ok);

        // What came through is looked up without touching the disk; nothing else is.
        AnalysisQueue q(db);
        QSignalSpy done(&q, &AnalysisQueue::analysed);
        QVERIFY(!q.lookup(a).has_value());
        q.urgent({a});
        QTRY_COMPARE(done.size(), 1);
        QCOMPARE(q.lookup(a)->integratedLufs, first.results[a].integratedLufs);
        QVERIFY(!q.lookup(b).has_value());
    }

    void aFileThatNeverAnswersHoldsNothingUp()
    {
        const QString good = tone("after the pipe.wav", 440, 1.0);
        QList<LoudnessResult> results;
        QStringList paths;
        {
            auto pipe = std::make_unique<StuckPipe>(fixtureDir() + "/dead drive.wav", 0, 44100);
            QVERIFY(pipe->ok());
            {
                AnalysisQueue q(m_dir.filePath("stuck.db"));
                q.setStuckAfterMs(1500);
                connect(&q, &AnalysisQueue::analysed, [&](const QString &p, const LoudnessResult &r) {
                    paths << p;
                    results << r;
                });
                q.later({pipe->path(), good});
                QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 30000);
                QCOMPARE(paths, (QStringList{pipe->path(), good}));
                QVERIFY(!results[0].ok && !results[0].error.isEmpty());
                QVERIFY(results[1].ok);
                // A second stuck file in the queue's life is left the same way.
                q.urgent({pipe->path()});
                QTRY_COMPARE_WITH_TIMEOUT(results.size(), 3, 30000);
                QVERIFY(!results[2].ok);
            } // destroyed while both reads still hang
            QVERIFY(AnalysisQueue::running() >= 2);
        } // the pipe's writer goes: the left threads end by themselves
        QTRY_COMPARE_WITH_TIMEOUT(AnalysisQueue::running(), 0, 30000);
    }
};

VELARIX_TEST_MAIN(TestAnalysis)
#include "tst_analysis.moc"
