#include "app/cadenza.h"
#include "app/inspection.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QSettings>

// Plays tokens: +K / -K press / release key K (S space, E Escape, else the letter), @stamp; M clicks
// Start; ~N waits N ms; >N moves the inspection's start N ms back and shows it; I / N / R expect Idle /
// inspecting / Running; =T expects the clock text T; CL its colour at warning level L; #N expects N
// solves; PX the newest solve's penalty X.
static QString play(Cadenza &w, const QString &script)
{
    for (const QString &t : script.split(' ', Qt::SkipEmptyParts)) {
        const QString arg = t.mid(1), state = w.running ? "R" : w.inspecting ? "N" : "I";
        const QString step = playKeyStep(&w, w.ui->startButton, t);
        if (step == "stalled")
            return step;
        if (step.isEmpty())
            continue;
        if (t[0] == '>') {
            w.inspectionStartMs -= arg.toLongLong();
            w.showInspection();
        } else {
            const QColor level = t[0] == 'C' ? inspection::warningColour(arg.toInt()) : QColor();
            const QColor want = level.isValid() ? level : w.palette().color(QPalette::Active, QPalette::WindowText);
            const bool ok = t[0] == '=' ? w.ui->timerLabel->text() == arg
                          : t[0] == 'C' ? w.ui->timerLabel->palette().color(QPalette::Active, QPalette::WindowText) == want
                          : t[0] == '#' ? int(w.times.size()) == arg.toInt()
                          : t[0] == 'P' ? !w.penalties.empty() && w.penalties.back() == arg.toInt()
                                        : t == state;
            if (!ok)
                return QStringLiteral("%1 failed: %2, clock '%3', %4 solves")
                    .arg(t, state, w.ui->timerLabel->text()).arg(w.times.size());
        }
    }
    return QString();
}
#define PLAY(w, script) do { const QString failed = play(w, script); if (failed == "stalled") SKIP_TEST("a timed step stalled"); QCOMPARE(failed, QString()); } while (0)

class InspectionTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }
    void init() // each window starts empty, with the settings' defaults
    {
        QFile::remove(Cadenza::sessionFilePath());
        QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).clear();
    }

    void ruleAtItsBoundaries()
    {
        // The clock text names the phase and the penalty: "+2" 1, "DNF" -1, a count 0.
        const struct { qint64 ms; const char *text; int level; } rows[] = {
            {-5, "15", 0}, {0, "15", 0}, {999, "15", 0}, {1000, "14", 0}, {7999, "8", 0}, {8000, "7", 1},
            {11999, "4", 1}, {12000, "3", 2}, {14001, "1", 2}, {15000, "1", 2}, {15001, "+2", 2}, {17000, "+2", 2},
            {17001, "DNF", 2}, {3600000, "DNF", 2}};
        for (const auto &r : rows) {
            const inspection::State s = inspection::at(r.ms);
            const bool plusTwo = !qstrcmp(r.text, "+2"), dnf = !qstrcmp(r.text, "DNF");
            using P = inspection::Phase;
            QVERIFY2(s.clockText == r.text && s.warningLevel == r.level && s.penalty == int(plusTwo) - int(dnf)
                         && s.phase == (plusTwo ? P::PlusTwo : dnf ? P::Dnf : P::Counting),
                     qPrintable(QStringLiteral("%1 ms: '%2', level %3, penalty %4").arg(r.ms).arg(s.clockText).arg(s.warningLevel).arg(s.penalty)));
        }
        const QColor one = inspection::warningColour(1), two = inspection::warningColour(2);
        QVERIFY(!inspection::warningColour(0).isValid()); // the clock's own colour
        QVERIFY(one.isValid() && two.isValid() && one != two);
    }

    void flow_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("release: inspection, next release: the solve") << "~720 +S -S N =15 C0 >8100 =7 C1 >4000 =3 C2 ~720 +S -S R C0 +A I #1 P0";
        QTest::newRow("started past 17 s: DNF") << "~720 +S -S N >17600 =DNF ~720 +S -S R +A I #1 P-1";
        QTest::newRow("Escape cancels, the clock shows the last time") << "~720 +S -S N >16000 +E I =0.00 C0 #0 -E I ~720 +S -S N";
        QTest::newRow("other keys and an early release do nothing") << "~720 +S -S N +A -A +S -S N ~720 +B -B N +S -S R";
        QTest::newRow("repeats take back both starts; the inspection goes on; started past 15 s: +2")
            << "~720 +S@1000 -S@2000 +S@2000 I -S@3000 N ~720 +S@4000 >16000 -S@5000 R +S@5000 N =+2 -S@6000 R +A@7000 I #1 P1";
        QTest::newRow("the mouse: Start inspects, then starts") << "M N >15500 M R M I #1 P1";
    }
    void flow()
    {
        QFETCH(QString, script);
        Cadenza w;
        w.ui->actionInspection->setChecked(true);
        if (w.keyClock.elapsed() > 400) SKIP_TEST("start-up stalled: the first keys must come well inside its 700 ms rest");
        PLAY(w, script);
    }

    void theSolveAloneIsTimedAndRecordedAndTheChoiceStored()
    {
        {
            Cadenza w;
            QVERIFY(w.ui->actionInspection->isCheckable() && !w.ui->actionInspection->isChecked());
            PLAY(w, "M R M I #1"); // off by default: Start starts the solve
            w.ui->actionInspection->trigger();
            w.levels = {1, 2, 3};
            w.levelTimes = {10, 20, 30};
            const QString scramble = w.currentScramble;
            PLAY(w, "~720 +S -S N ~50 +E I ~720 +S -S N ~50");
            QCOMPARE(w.levels, (std::vector<float>{1, 2, 3})); // untouched by inspecting and by a cancel
            QCOMPARE(w.currentScramble, scramble); // a cancel keeps the scramble for the next try
            PLAY(w, ">16000 ~720 +S -S R ~50 +A I #2 P1");
            QVERIFY(w.times[1] < 16000 && !w.levelTimes.empty() && w.levelTimes.back() < 16000);
            QCOMPARE(w.scrambles.value(1), scramble);
            w.ui->modeSlider->setValue(1); // an Algs run starts at once
            PLAY(w, "~720 +S -S R +A I #2"); // the timer's count stays
        }
        QCOMPARE(QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).value("actionInspection").toInt(), 1);
        Cadenza w;
        QVERIFY(w.ui->actionInspection->isChecked());
    }
};

CADENZA_TEST_MAIN(InspectionTest)
#include "test_inspection.moc"
