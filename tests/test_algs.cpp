#include "app/cadenza.h"
#include "audio/algs.h"
#include "testsupport.h"
#include "ui_cadenza.h"

// Appends alternating runs of sound and silence (0.1), sound first, stamped every 10 ms from 10 ms.
static void runs(std::vector<float> &levels, std::vector<qint32> &times, std::vector<int> lengths, float sound = 5)
{
    for (std::size_t k = 0, t = 10; k < lengths.size(); ++k)
        for (int i = 0; i < lengths[k]; ++i, t += 10)
            levels.push_back(k % 2 ? 0.1f : sound), times.push_back(qint32(t));
}

class AlgsTest : public QObject
{
    Q_OBJECT
private slots:

    void repetitionsAndStatistics()
    {
        const struct { std::vector<int> first, second; std::vector<float> want; float sound = 5; } cases[] = {
            {{80, 50}, {}, {}}, {{80, 51}, {}, {0.79f}}, // closes 500 ms after the first silent sample
            {{40, 30, 40, 60}, {}, {1.09f}}, {{51, 60}, {}, {0.5f}}, {{50, 60}, {}, {}}, // bridged gap; at least 500 ms
            {{80, 60}, {}, {0.79f}, 0.4f}, {{80, 60, 80}, {}, {0.79f}}, // the threshold is sound; the open end is dropped
            {{0, 60, 1, 60, 80, 60}, {}, {0.79f}}, {{}, {}, {}}, // a single loud sample is closed and dropped, not merged
            // A second run without a Clear restarts the stamps: the duration across is negative and dropped
            // until the new stamps overtake the old start, then measured from there (1010 ms).
            {{0, 100, 80, 20}, {0, 10, 40, 60}, {}}, {{0, 100, 80, 20}, {0, 10, 150, 60}, {(1600 - 1010) / 1000.0f}},
        };
        for (const auto &c : cases) {
            std::vector<float> levels;
            std::vector<qint32> times;
            runs(levels, times, c.first, c.sound), runs(levels, times, c.second);
            QVERIFY2(algs::findRepetitions(levels, times, 0.4f, 500, 500) == c.want, qPrintable(QString::number(&c - cases)));
        }
        auto stats = algs::repetitionStats({1.0f, 2.0f, 3.0f});
        QCOMPARE(std::exchange(stats.at(1), 0.0f), 0.8164966f); // the standard deviation, fuzzily
        QCOMPARE(stats, std::vector<float>({2, 0, 2, 3, 3, 1}));
        QCOMPARE(algs::repetitionStats({}), std::vector<float>(6, 0.0f));
    }

    void stopStoresNothingAndClearEmptiesTheRecord()
    {
        Cadenza w;
        const auto run = [&](int mode, bool solve) {
            w.ui->modeSlider->setValue(mode), runs(w.levels, w.levelTimes, {80, 60});
            if (solve) w.startRun(), w.stopRun(1500);
        };
        run(1, true); // in Algs mode a run carries the record on, and its stop stores nothing
        QVERIFY(w.levels.size() == 140 && w.times.empty() && w.dates.empty() && w.splits.empty() && w.scrambles.isEmpty() && w.penalties.empty());
        QVERIFY(!QFile::exists(Cadenza::sessionFilePath()));
        w.on_clearButton_clicked();
        QVERIFY(w.levels.empty() && w.levelTimes.empty());
        run(0, true); // the same run in Solves mode: a fresh record and one solve stored
        QVERIFY(w.levels.empty() && w.times == std::vector<float>{1500} && QFile::exists(Cadenza::sessionFilePath()));
        run(1, false);
        w.on_clearButton_clicked(); // Clear empties the record only
        QVERIFY(w.levels.empty() && w.levelTimes.empty() && w.times.size() == 1);
    }

    void dialogs()
    {
        Cadenza w;
        w.ui->modeSlider->setValue(1);
        const auto store = [&](const QString &reply) { return answering([&] { w.on_algStoreButton_clicked(); }, {reply}); };
        QVERIFY(store("x").isEmpty() && answering([&] { w.on_algRemoveButton_clicked(); }).isEmpty()); // nothing to store or remove: no dialog
        runs(w.levels, w.levelTimes, {80, 60, 100, 60});
        for (const QString &r : QStringList({"T perm", "", "Y perm", "T perm"})) { // a cancel in between
            const QString proposed = store(r).value(0).section('|', 2, 2);
            QCOMPARE(proposed, QString("Alg %1").arg(w.algLabels.size() + r.isEmpty()));
        }
        QVERIFY(w.algLabels == QStringList({"T perm", "Y perm", "T perm"}) && w.algSequences[0] == std::vector<float>({0.79f, 0.99f}));
        w.algSequences[2] = {4.0f}; // tells the two "T perm" apart
        // The last label preselected; the older of the two goes.
        QCOMPARE(answering([&] { w.on_algRemoveButton_clicked(); }).value(0).section('|', 2), "T perm|T perm|Y perm|T perm");
        QVERIFY(w.algLabels == QStringList({"Y perm", "T perm"}) && w.algSequences[1] == std::vector<float>({4.0f}));
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 93);
        answering([&] { w.on_algRemoveButton_clicked(); }, {""}); // cancelled
        QCOMPARE(w.algLabels.size(), 2);
        const QString note = answering([&] { QTest::mouseClick(w.ui->warningButton, Qt::LeftButton); }).value(0);
        QVERIFY(note.startsWith("A note about the estimation of algs duration|") && !w.ui->actionCalibrate_Echo_Delay->isEnabled());
    }
};

CADENZA_TEST_MAIN(AlgsTest)
#include "test_algs.moc"
