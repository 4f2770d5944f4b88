#include "audio/statustext.h"

#include <QtTest>

class StatusTest : public QObject
{
    Q_OBJECT
private slots:
    void texts()
    {
        using namespace statustext;
        QVERIFY(timerText(1999) == QStringLiteral("2.00") && timerText(61000) == QStringLiteral("61.00"));
        QCOMPARE(pauseText({0.996f, 1}), QStringLiteral("idle: 100% (1 pauses)"));
        QVERIFY(splitsText({1000, 1500}) == QStringLiteral("Splits: 1.00 | 1.50") && splitsText({}) == QStringLiteral("Splits: "));
        const std::vector<float> stats{1.2f, 0.1f, 1.1f, 7.9f, 1.234f, 1.1f}; // algs mode; the count is truncated
        QCOMPARE(algTimerText(stats), QStringLiteral("1.23 (1.10)"));
        QCOMPARE(algPauseText(stats), QString::fromUtf8("7 reps (avg: 1.20 \u00b1 0.10, top25%: 1.10)"));
        QVERIFY(microphoneText(false) == QStringLiteral("Microphone unavailable")
                && microphoneText(true) == QStringLiteral("Microphone unavailable during this solve"));
        QCOMPARE(switchFailedText("usb", true), QStringLiteral("The input device \"usb\" could not be started. The previous input keeps running."));
        QCOMPARE(switchFailedText("usb", false), QStringLiteral("The input device \"usb\" could not be started."));
        QCOMPARE(algPauseText({}), QString::fromUtf8("0 reps (avg: 0.00 \u00b1 0.00, top25%: 0.00)"));
    }
};

QTEST_GUILESS_MAIN(StatusTest)
#include "test_status.moc"
