#include "app/cadenza.h"
#include "audio/statustext.h"
#include "testsupport.h"
#include "ui_cadenza.h"

// The live status lines: their texts, and what the window shows in each mode.
class StatusTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }

    void texts()
    {
        using namespace statustext;
        QCOMPARE(timerText(12340), QStringLiteral("12.34"));
        QCOMPARE(timerText(1999), QStringLiteral("2.00"));
        QCOMPARE(timerText(61000), QStringLiteral("61.00"));
        QCOMPARE(pauseText({0.23f, 4}), QStringLiteral("idle: 23% (4 pauses)"));
        QCOMPARE(pauseText({0.996f, 1}), QStringLiteral("idle: 100% (1 pauses)"));
        QCOMPARE(splitsText({1000, 1500, 1500, 1000}), QStringLiteral("Splits: 1.00 | 1.50 | 1.50 | 1.00"));
        QCOMPARE(splitsText({}), QStringLiteral("Splits: "));
        // Algs mode: [mean, deviation, median, count, last, lower quartile].
        const std::vector<float> stats{1.2f, 0.1f, 1.1f, 12.0f, 1.234f, 1.1f};
        QCOMPARE(algTimerText(stats), QStringLiteral("1.23 (1.10)"));
        QCOMPARE(algPauseText(stats), QString::fromUtf8("12 reps (avg: 1.20 \u00b1 0.10, top25%: 1.10)"));
        QCOMPARE(algPauseText({}), QString::fromUtf8("0 reps (avg: 0.00 \u00b1 0.00, top25%: 0.00)"));
        QCOMPARE(algPauseText({0, 0, 0, 7.9f, 0, 0}).left(6), QStringLiteral("7 reps")); // truncated
    }

    void windowLines()
    {
        Cadenza w;
        w.ui->modeSlider->setValue(0);
        w.ui->splitsCombo->setCurrentIndex(1);
        w.updateStatusLines(0);
        QCOMPARE(w.ui->pauseLabel->text(), QStringLiteral("idle: 0% (0 pauses)"));
        QCOMPARE(w.ui->splitLabel->text(), QStringLiteral("Splits: "));

        // One word and one pause.
        w.levels.assign(20, 0.01f);
        w.levels.insert(w.levels.end(), 10, 9.0f);
        w.levels.insert(w.levels.end(), 10, 2.0f);
        for (std::size_t i = 0; i < w.levels.size(); ++i)
            w.levelTimes.push_back(qint32(10 * (i + 1)));
        w.updateStatusLines(400);
        QCOMPARE(w.liveElapsedMs, 400);
        QCOMPARE(w.ui->timerLabel->text(), QStringLiteral("0.40"));
        QCOMPARE(w.ui->pauseLabel->text(), QStringLiteral("idle: 50% (1 pauses)"));
        QCOMPARE(w.ui->splitLabel->text(), QStringLiteral("Splits: 0.21 | 0.19"));

        // With splits off the last splits text stays.
        w.ui->splitsCombo->setCurrentIndex(0);
        w.levels.clear();
        w.levelTimes.clear();
        w.updateStatusLines(50);
        QCOMPARE(w.ui->timerLabel->text(), QStringLiteral("0.05"));
        QCOMPARE(w.ui->splitLabel->text(), QStringLiteral("Splits: 0.21 | 0.19"));

        // Algs mode: the alg figures; splits and the live elapsed time stay.
        w.ui->modeSlider->setValue(1);
        w.updateStatusLines(777);
        QCOMPARE(w.liveElapsedMs, 50);
        const std::vector<float> stats = w.computeAlgStats();
        QCOMPARE(w.ui->timerLabel->text(), statustext::algTimerText(stats));
        QCOMPARE(w.ui->pauseLabel->text(), statustext::algPauseText(stats));
        QCOMPARE(w.ui->splitLabel->text(), QStringLiteral("Splits: 0.21 | 0.19"));
    }
};

QTEST_MAIN(StatusTest)
#include "test_status.moc"
