#include "app/cadenza.h"
#include "audio/analysis.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <limits>
#include <numeric>
#include <random>

Q_DECLARE_METATYPE(std::vector<qint32>)

namespace {
const float NaN = std::numeric_limits<float>::quiet_NaN();

// A level record from runs written as "count:value ...", e.g. "20:3 11:0.1".
std::vector<float> runs(const QString &spec)
{
    std::vector<float> v;
    for (const QString &run : spec.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        v.insert(v.end(), std::size_t(run.section(QLatin1Char(':'), 0, 0).toInt()),
                 run.endsWith(QLatin1String("nan")) ? NaN : run.section(QLatin1Char(':'), 1).toFloat());
    return v;
}
} // namespace

// Pauses, voice onsets and split times over level records.
class AnalysisTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }

    void pauses_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<int>("count");
        QTest::addColumn<float>("idle");
        QTest::newRow("11 silent samples") << "20:3 11:0.1 69:3" << false << 1 << 0.11f;
        QTest::newRow("10 are too few") << "20:3 10:0.1 70:3" << false << 0 << 0.0f;
        QTest::newRow("all silent") << "50:0.01" << false << 1 << 1.0f;
        QTest::newRow("all silent, too short") << "10:0.01" << false << 0 << 0.0f;
        QTest::newRow("at the threshold breaks a run") << "15:0.01 1:0.4 24:0.01" << false << 2 << 39.0f / 40;
        QTest::newRow("NaN breaks a run") << "15:0.01 1:nan 24:0.01" << false << 2 << 39.0f / 40;
        QTest::newRow("open at the end") << "49:2 11:0" << false << 1 << 11.0f / 60;
        QTest::newRow("full lengths") << "12:0.1 5:9 30:0.1 3:9" << false << 2 << 42.0f / 50;
        QTest::newRow("disabled") << "50:0.01" << true << 0 << 0.0f;
        QTest::newRow("empty") << "" << false << 0 << 0.0f;
    }
    void pauses()
    {
        QFETCH(QString, record);
        QFETCH(bool, disabled);
        const PauseStats p = analysis::pauseStats(runs(record), 0.4f, disabled);
        QTEST(p.pauseCount, "count");
        QTEST(p.idleFraction, "idle");
    }

    void onsets_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<float>("threshold");
        QTest::addColumn<int>("maxOnsets");
        QTest::addColumn<std::vector<qint32>>("onsets");
        const QString five = QStringLiteral("20:0.01 12:8 ").repeated(5) + QStringLiteral("1:0.01");
        const float plain = analysis::effectiveThreshold(5.0, false), boosted = analysis::effectiveThreshold(5.0, true);
        QTest::newRow("9 loud samples") << "100:0 9:6 50:0" << 5.0f << 0 << std::vector<qint32>{100};
        QTest::newRow("8 are too few") << "100:0 8:6 50:0" << 5.0f << 0 << std::vector<qint32>{};
        QTest::newRow("unfinished") << "100:0 20:6" << 5.0f << 0 << std::vector<qint32>{};
        QTest::newRow("at the threshold ends a burst") << "5:6 1:5 5:6 5:0" << 5.0f << 0 << std::vector<qint32>{};
        QTest::newRow("CFOP keeps three") << five << 5.0f << analysis::cfopMaxOnsets << std::vector<qint32>{20, 52, 84};
        QTest::newRow("free keeps all") << five << 5.0f << 0 << std::vector<qint32>{20, 52, 84, 116, 148};
        QTest::newRow("soft, no boost") << "10:0 10:2 10:0" << plain << 0 << std::vector<qint32>{};
        QTest::newRow("soft, boost") << "10:0 10:2 10:0" << boosted << 0 << std::vector<qint32>{10};
        QTest::newRow("empty") << "" << 5.0f << 0 << std::vector<qint32>{};
    }
    void onsets()
    {
        QFETCH(QString, record);
        QFETCH(float, threshold);
        QFETCH(int, maxOnsets);
        QTEST(analysis::voiceOnsets(runs(record), threshold, maxOnsets), "onsets");
    }

    void thresholdsAndSplits()
    {
        QCOMPARE(analysis::effectiveThreshold(0.4, false), 0.4f);
        QCOMPARE(analysis::effectiveThreshold(0.4, true), float(double(0.4f) / 5.0));
        std::vector<qint32> times;
        for (int t = 10; t <= 5000; t += 10)
            times.push_back(t);
        QCOMPARE(analysis::splitTimes(times, {99, 249, 399}), std::vector<qint32>({1000, 1500, 1500, 1000}));
        QCOMPARE(analysis::splitTimes(times, {}), std::vector<qint32>({4990}));
        QVERIFY(analysis::splitTimes({}, {}).empty());
        // An onset outside the record gives 0 and does not move the base.
        QCOMPARE(analysis::splitTimes(times, {99, 900, 249}), std::vector<qint32>({1000, 0, 1500, 2500}));
        const auto s = analysis::splitTimes(times, {10, 20, 30, 490});
        QCOMPARE(std::accumulate(s.begin(), s.end(), qint64(0)), qint64(5000));
    }

    // The walks take the record eight samples at a time; runs that start, end
    // or sit inside a group must come out as a sample-by-sample walk finds them.
    void groupedWalksMatchASampleBySampleWalk()
    {
        std::mt19937 rng(7);
        const float values[] = {0.01f, 0.3f, 0.4f, 2.0f, 5.0f, 7.0f, NaN};
        for (int trial = 0; trial < 400; ++trial) {
            std::vector<float> r;
            const int target = int(rng() % 300);
            while (int(r.size()) < target)
                r.insert(r.end(), std::size_t(1 + rng() % 25), values[rng() % 7]);

            int pauses = 0, idle = 0, run = 0, start = -1;
            std::vector<qint32> onsets;
            for (int i = 0; i <= int(r.size()); ++i) {
                const float x = i < int(r.size()) ? r[std::size_t(i)] : 1.0f; // the end closes a pause, not a word
                if (0.4f > x) ++run;
                else { if (run >= 11) { ++pauses; idle += run; } run = 0; }
                if (x > 5.0f) { if (start < 0) start = i; }
                else { if (start >= 0 && i - start >= 9 && i < int(r.size())) onsets.push_back(start); start = -1; }
            }
            const PauseStats p = analysis::pauseStats(r, 0.4f, false);
            QCOMPARE(p.pauseCount, pauses);
            QCOMPARE(p.idleFraction, r.empty() ? 0.0f : float(idle) / float(r.size()));
            QCOMPARE(analysis::voiceOnsets(r, 5.0f, 0), onsets);
            onsets.resize(std::min<std::size_t>(onsets.size(), 3));
            QCOMPARE(analysis::voiceOnsets(r, 5.0f, analysis::cfopMaxOnsets), onsets);
        }
    }

    // The window's operations read the record and the settings afresh.
    void windowOperationsReadTheControls()
    {
        Cadenza w;
        QVERIFY(w.computeSplitTimes().empty());
        w.levels = runs(QStringLiteral("30:0.01 12:2 ").repeated(4) + QStringLiteral("1:0.01"));
        for (std::size_t i = 0; i < w.levels.size(); ++i)
            w.levelTimes.push_back(qint32(10 * (i + 1)));
        w.ui->silenceSpin->setValue(0.4);
        w.ui->voiceSpin->setValue(5.0);
        w.ui->boostAudioCheck->setChecked(false);
        w.ui->disableAudioCheck->setChecked(false);
        PauseStats p = w.computePauseStats();
        QCOMPARE(p.pauseCount, 4);
        QCOMPARE(p.idleFraction, 120.0f / 169.0f);
        QVERIFY(w.findVoiceOnsets().empty());
        QCOMPARE(w.computeSplitTimes(), std::vector<qint32>({1680}));

        w.ui->boostAudioCheck->setChecked(true); // voice threshold 1.0
        w.ui->splitsCombo->setCurrentIndex(2);
        QCOMPARE(w.computeSplitTimes(), std::vector<qint32>({310, 420, 420, 420, 120}));
        w.ui->splitsCombo->setCurrentIndex(1);
        QCOMPARE(w.findVoiceOnsets(), std::vector<qint32>({30, 72, 114}));

        w.ui->disableAudioCheck->setChecked(true);
        QCOMPARE(w.computePauseStats().pauseCount, 0);
        QCOMPARE(w.findVoiceOnsets().size(), std::size_t(3)); // splits ignore "disable"
    }
};

QTEST_MAIN(AnalysisTest)
#include "test_analysis.moc"
