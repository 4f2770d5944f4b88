#include "app/cadenza.h"
#include "app/timesfile.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSlider>

// The start/stop state machine driven through the real window with key events,
// the auto-repeat rules, and the session edits under the history list.

namespace {

constexpr int restMs = 720; // a little over the 700 ms between keyboard starts and stops

void sendKey(Cadenza &w, QEvent::Type type, int key, ulong timestamp = 0, bool autoRepeat = false)
{
    QKeyEvent e(type, key, Qt::NoModifier, QString(), autoRepeat);
    e.setTimestamp(timestamp);
    QApplication::sendEvent(&w, &e);
}
void press(Cadenza &w, int key, ulong ts = 0, bool rep = false) { sendKey(w, QEvent::KeyPress, key, ts, rep); }
void release(Cadenza &w, int key, ulong ts = 0, bool rep = false) { sendKey(w, QEvent::KeyRelease, key, ts, rep); }

// The list rows are the history list's business; the row mapping under test
// only needs one row per solve.
void ensureRows(Cadenza &w)
{
    w.updateHistory();
    const int n = int(w.times.size());
    if (w.ui->historyList->count() != n) {
        w.ui->historyList->clear();
        for (int r = 0; r < n; ++r)
            w.ui->historyList->addItem(QString::number(r));
    }
}

SessionData threeSolves()
{
    SessionData s;
    s.append(10000, {0.1f, 1}, {}, QStringLiteral("R U"), 100, 0);
    s.append(20000, {0.2f, 2}, {1, 2}, QStringLiteral("L D"), 200, 0);
    s.append(30000, {0.3f, 3}, {3}, QStringLiteral("F B"), 300, 0);
    return s;
}

SessionData autosaved()
{
    QFile f(QString::fromLatin1(Cadenza::autosavePath));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return parseTimesFile(f.readAll(), 0);
}

} // namespace

class TimingTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }
    void init()
    {
        QFile::remove(QString::fromLatin1(Cadenza::autosavePath));
        QFile::remove(QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).fileName());
    }

    void spaceReleaseStartsAndAnyKeyStops()
    {
        Cadenza w;
        // Right after start-up the 700 ms rule holds back a start.
        press(w, Qt::Key_Space);
        release(w, Qt::Key_Space);
        QVERIFY(!w.running);

        QTest::qWait(restMs);
        press(w, Qt::Key_Space);
        QVERIFY(!w.running);
        release(w, Qt::Key_Space);
        QVERIFY(w.running);
        QCOMPARE(w.ui->startButton->text(), QStringLiteral("Stop"));
        QVERIFY(w.keyClock.elapsed() < 200);

        const QString scramble = w.currentScramble;
        QTest::qWait(50);
        press(w, Qt::Key_A);
        QVERIFY(!w.running);
        QCOMPARE(w.ui->startButton->text(), QStringLiteral("Start"));
        QCOMPARE(int(w.times.size()), 1);
        QVERIFY(w.times[0] >= 50 && w.times[0] < 5000);
        QCOMPARE(w.penalties[0], 0);
        QCOMPARE(w.scrambles[0], scramble);
        QVERIFY(qAbs(w.dates[0] - QDateTime::currentSecsSinceEpoch()) <= 2);
        QVERIFY(w.currentScramble != scramble);
        QVERIFY(w.splits[0].empty());

        // The stored solve is on disk as soon as the stop is done.
        const SessionData disk = autosaved();
        QCOMPARE(disk.size(), 1);
        QCOMPARE(disk.times[0], w.times[0]);
        QCOMPARE(disk.scrambles[0], scramble);

        // Releasing the letter, and the space bar right after a stop, start nothing.
        release(w, Qt::Key_A);
        release(w, Qt::Key_Space);
        QVERIFY(!w.running);
    }

    void stopBySpaceAndReleaseRules()
    {
        Cadenza w;
        w.on_startButton_clicked();
        QVERIFY(w.running);
        // A key release while running stops.
        release(w, Qt::Key_B);
        QVERIFY(!w.running);
        QCOMPARE(int(w.times.size()), 1);
        QVERIFY(w.keyClock.elapsed() < 200);

        // Stopping with the space bar: its release does not start again...
        QTest::qWait(restMs);
        release(w, Qt::Key_Space);
        QVERIFY(w.running);
        press(w, Qt::Key_Space);
        QVERIFY(!w.running);
        release(w, Qt::Key_Space);
        QVERIFY(!w.running);
        QCOMPARE(int(w.times.size()), 2);
        // ...but a release 700 ms after the stop does.
        QTest::qWait(restMs);
        release(w, Qt::Key_Space);
        QVERIFY(w.running);
    }

    void escapeCancels()
    {
        Cadenza w;
        const QString idleScramble = w.currentScramble;
        press(w, Qt::Key_Escape);
        QVERIFY(!w.running);
        QCOMPARE(w.currentScramble, idleScramble);

        w.on_startButton_clicked();
        QTest::qWait(30);
        const qint64 keyClockBefore = w.keyClock.elapsed();
        press(w, Qt::Key_Escape);
        QVERIFY(!w.running);
        QCOMPARE(w.ui->startButton->text(), QStringLiteral("Start"));
        QVERIFY(w.times.empty());
        QVERIFY(w.currentScramble != idleScramble);
        QCOMPARE(w.liveElapsedMs, 0);
        QVERIFY(w.keyClock.elapsed() >= keyClockBefore);
        // The release of Escape after the cancel starts or stores nothing.
        release(w, Qt::Key_Escape);
        QVERIFY(!w.running);
        QVERIFY(w.times.empty());
    }

    void mouseStartStopLeavesKeyClockAlone()
    {
        Cadenza w;
        QTest::qWait(restMs);
        QTest::mouseClick(w.ui->startButton, Qt::LeftButton);
        QVERIFY(w.running);
        QTest::mouseClick(w.ui->startButton, Qt::LeftButton);
        QVERIFY(!w.running);
        QCOMPARE(int(w.times.size()), 1);
        QVERIFY(w.keyClock.elapsed() >= 700);
        // So the space bar may start at once.
        release(w, Qt::Key_Space);
        QVERIFY(w.running);
    }

    void markedRepeatsDoNothing()
    {
        Cadenza w;
        QTest::qWait(restMs);
        // Idle, rested: a marked repeat release of the space bar starts nothing.
        release(w, Qt::Key_Space, 0, true);
        QVERIFY(!w.running);
        w.on_startButton_clicked();
        for (int i = 0; i < 5; ++i) {
            release(w, Qt::Key_A, 0, true);
            press(w, Qt::Key_A, 0, true);
        }
        QVERIFY(w.running);
        QVERIFY(w.times.empty());
    }

    void unmarkedRepeatsOfAHeldSpaceBar()
    {
        Cadenza w;
        w.levels = {1, 2, 3};
        w.levelTimes = {0, 10, 20};
        w.liveElapsedMs = 20;
        QTest::qWait(restMs);
        // Held space bar, as X delivers it: a press, then release/press pairs
        // with equal time stamps, some marked and some not, then the real release.
        ulong ts = 100000;
        press(w, Qt::Key_Space, ts);
        for (int i = 0; i < 20; ++i) {
            ts += 40;
            const bool marked = i % 3 == 0;
            release(w, Qt::Key_Space, ts, marked);
            press(w, Qt::Key_Space, ts, marked);
            QVERIFY(!w.running);
            if (i % 5 == 4)
                QTest::qWait(15); // ticks in between
        }
        QVERIFY(!w.running);
        QVERIFY(w.times.empty());
        QCOMPARE(w.ui->startButton->text(), QStringLiteral("Start"));
        // Every start taken back restored what it had replaced.
        QCOMPARE(w.levels, (std::vector<float>{1, 2, 3}));
        QCOMPARE(w.levelTimes, (std::vector<qint32>{0, 10, 20}));
        QCOMPARE(w.liveElapsedMs, 20);
        QVERIFY(w.keyClock.elapsed() >= 700);

        // The real release starts.
        release(w, Qt::Key_Space, ts + 300);
        QVERIFY(w.running);
        QTest::qWait(30);
        press(w, Qt::Key_A, ts + 400);
        QVERIFY(!w.running);
        QCOMPARE(int(w.times.size()), 1);
        QVERIFY(w.times[0] < 1000);
    }

    void releaseWhileRunningWaitsForItsRepeatPress()
    {
        Cadenza w;
        w.on_startButton_clicked();
        QTest::qWait(30);
        // A key held from before the start repeats: the run goes on.
        for (ulong ts = 5000; ts < 5400; ts += 40) {
            release(w, Qt::Key_C, ts);
            press(w, Qt::Key_C, ts);
        }
        QTest::qWait(60);
        QVERIFY(w.running);
        QVERIFY(w.times.empty());

        // Its real release stops the run at the moment of the release, even
        // though the stop is committed by a later tick.
        const qint64 atRelease = w.solveClock.elapsed();
        release(w, Qt::Key_C, 6000);
        QTRY_VERIFY_WITH_TIMEOUT(!w.running, 1000);
        QCOMPARE(int(w.times.size()), 1);
        QVERIFY(w.times[0] >= atRelease && w.times[0] <= atRelease + 5);
        QVERIFY(w.keyClock.elapsed() < 300);

        // A release then a press of another key: the stop is committed first,
        // the press in Idle does nothing.
        w.on_startButton_clicked();
        release(w, Qt::Key_D, 7000);
        press(w, Qt::Key_E, 7001);
        QVERIFY(!w.running);
        QCOMPARE(int(w.times.size()), 2);
    }

    void algsModeRunsAccumulate()
    {
        Cadenza w;
        w.ui->modeSlider->setValue(1);
        w.on_startButton_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(w.levels.size() >= 3, 2000);
        w.on_startButton_clicked();
        QVERIFY(w.times.empty());
        const std::size_t first = w.levels.size();
        QCOMPARE(w.levelTimes.size(), first);

        // A key-released start that turns out to be a repeat keeps the record.
        QTest::qWait(restMs);
        release(w, Qt::Key_Space, 900);
        QVERIFY(w.running);
        QTest::qWait(25);
        press(w, Qt::Key_Space, 900);
        QVERIFY(!w.running);
        QCOMPARE(w.levels.size(), first);

        w.on_startButton_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(w.levels.size() >= first + 3, 2000);
        w.on_startButton_clicked();
        QVERIFY(w.times.empty());
        // The second run's stamps start again near 0, after the first run's.
        QVERIFY(w.levelTimes[first] < w.levelTimes[first - 1] || w.levelTimes[first] < 50);
        QCOMPARE(w.levels.size(), w.levelTimes.size());
        w.on_clearButton_clicked();
        QVERIFY(w.levels.empty() && w.levelTimes.empty());
    }

    void withoutALevelSinkTheRecordHoldsSilence()
    {
        Cadenza w;
        w.audioDevice = nullptr; // as when no input device is usable
        w.on_startButton_clicked();
        QTRY_VERIFY_WITH_TIMEOUT(w.levels.size() >= 3, 2000);
        w.on_startButton_clicked();
        QCOMPARE(w.levels.size(), w.levelTimes.size());
        for (const float l : w.levels)
            QCOMPARE(l, 0.0f);
        QCOMPARE(int(w.times.size()), 1);
    }

    void penaltiesAndRowMapping()
    {
        Cadenza w;
        w.replaceSession(threeSolves());
        ensureRows(w);
        w.ui->historyList->setCurrentRow(-1);
        // No row: the newest solve.
        w.on_plusTwoButton_clicked();
        QCOMPARE(w.penalties, (std::vector<qint32>{0, 0, 1}));
        QCOMPARE(autosaved().penalties, w.penalties);
        w.on_plusTwoButton_clicked();
        QCOMPARE(w.penalties, (std::vector<qint32>{0, 0, 0}));
        w.on_dnfButton_clicked();
        w.on_plusTwoButton_clicked();
        QCOMPARE(w.penalties, (std::vector<qint32>{0, 0, 1}));
        w.on_dnfButton_clicked();
        QCOMPARE(w.penalties, (std::vector<qint32>{0, 0, -1}));
        QCOMPARE(autosaved().penalties, w.penalties);
        // Row 2 is the oldest solve; an odd penalty from a file becomes +2.
        w.penalties[0] = 7;
        w.ui->historyList->setCurrentRow(2);
        w.on_plusTwoButton_clicked();
        QCOMPARE(w.penalties[0], 1);

        // Refused while running; Remove is not.
        w.on_startButton_clicked();
        w.on_dnfButton_clicked();
        w.on_plusTwoButton_clicked();
        QCOMPARE(w.penalties, (std::vector<qint32>{1, 0, -1}));
        w.ui->historyList->setCurrentRow(1);
        w.on_removeButton_clicked();
        QCOMPARE(int(w.times.size()), 2);
        QVERIFY(w.running);
    }

    void removeKeepsTheArraysParallel()
    {
        Cadenza w;
        w.replaceSession(threeSolves());
        ensureRows(w);
        w.ui->historyList->setCurrentRow(-1);
        w.on_removeButton_clicked();
        QCOMPARE(int(w.times.size()), 3);

        w.ui->historyList->setCurrentRow(1); // the middle solve, index 1
        w.on_removeButton_clicked();
        QCOMPARE(w.times, (std::vector<float>{10000, 30000}));
        QCOMPARE(w.dates, (std::vector<qint64>{100, 300}));
        QCOMPARE(w.pauseStats[1].pauseCount, 3);
        QCOMPARE(w.splits[1], std::vector<qint32>{3});
        QCOMPARE(w.scrambles, (QStringList{QStringLiteral("R U"), QStringLiteral("F B")}));
        QCOMPARE(w.penalties.size(), std::size_t(2));
        QCOMPARE(autosaved().times, w.times);

        ensureRows(w);
        w.ui->historyList->setCurrentRow(0); // the newest
        w.on_removeButton_clicked();
        QCOMPARE(w.scrambles, QStringList{QStringLiteral("R U")});

        w.replaceSession(threeSolves());
        w.on_actionClear_Times_triggered();
        QVERIFY(w.times.empty() && w.dates.empty() && w.pauseStats.empty() && w.splits.empty()
                && w.scrambles.isEmpty() && w.penalties.empty());
        QCOMPARE(autosaved().size(), 0);
        QVERIFY(QFile::exists(QString::fromLatin1(Cadenza::autosavePath)));
        // With an empty session +2 and DNF find nothing to act on.
        w.on_plusTwoButton_clicked();
        w.on_dnfButton_clicked();
        QVERIFY(w.penalties.empty());
    }
};

QTEST_MAIN(TimingTest)
#include "test_timing.moc"
