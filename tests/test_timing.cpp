#include "app/cadenza.h"
#include "app/inspection.h"
#include "session/timesfile.h"
#include "audio/audiolevelsiodevice.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QSettings>

// Plays the steps of playKeyStep, keys going to the target widget or to the window; >N moves the
// inspection's start N ms back and shows it; I / N / R expect Idle / inspecting / Running; =T expects the
// clock text T; CL its colour at warning level L; #N expects N solves; PX the newest solve's penalty X.
static QString play(Cadenza &w, const QString &script, QWidget *target = nullptr)
{
    for (const QString &t : script.split(' ', Qt::SkipEmptyParts)) {
        const QString arg = t.mid(1), state = w.running ? "R" : w.inspecting ? "N" : "I";
        const QString step = playKeyStep(target ? target : static_cast<QWidget *>(&w), w.ui->startButton, t);
        if (step == "stalled")
            return step;
        if (step.isEmpty())
            continue;
        if (t[0] == '>') {
            w.inspectionStartMs -= arg.toLongLong();
            w.showInspection();
            continue;
        }
        const QColor level = t[0] == 'C' ? inspection::warningColour(arg.toInt()) : QColor();
        const QColor want = level.isValid() ? level : w.palette().color(QPalette::Active, QPalette::WindowText);
        const bool ok = t[0] == '=' ? w.ui->timerLabel->text() == arg
                      : t[0] == 'C' ? w.ui->timerLabel->palette().color(QPalette::Active, QPalette::WindowText) == want
                      : t[0] == '#' ? int(w.times.size()) == arg.toInt()
                      : t[0] == 'P' ? !w.penalties.empty() && w.penalties.back() == arg.toInt()
                                    : t == state;
        if (!ok)
            return QStringLiteral("%1 failed: %2, clock '%3', %4 solves").arg(t, state, w.ui->timerLabel->text()).arg(w.times.size());
    }
    return QString();
}
#define PLAY(w, ...) do { const QString failed = play(w, __VA_ARGS__); if (failed == "stalled") SKIP_TEST("a timed step stalled"); QCOMPARE(failed, QString()); } while (0)

class TimingTest : public QObject
{
    Q_OBJECT
    static SessionData autosaved() { return parseTimesFile(readAll(Cadenza::sessionFilePath()), 0); }
private slots:
    void init() // each window starts empty, with the settings' defaults
    {
        QFile::remove(Cadenza::sessionFilePath());
        QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).clear();
    }

    void keyStateMachine_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("700 ms after start-up; any key stops") << "+S -S I ~720 +S I -S R ~50 +A I #1 -A -S I";
        QTest::newRow("the mouse leaves the key clock alone") << "~720 M R M I #1 +S -S R";
        QTest::newRow("a release stops; space rests 700 ms") << "~720 M -B ~300 +S -S I ~420 +S -S R +S I -S I #2 ~720 +S -S R";
        QTest::newRow("Escape cancels, its release does nothing") << "+E I M ~30 +E I #0 -E I #0";
        QTest::newRow("marked repeats do nothing") << "~720 -S* I M -A* +A* -A* +A* R #0 +A I #1";
        QTest::newRow("a release then another key's press: one stop") << "M -D@7000 +F@7001 I #1";
        QTest::newRow("paired release/press: a repeat") << "M ~30 -C@5000 +C@5000 -C@5040 +C@5040 ~60 R #0 -C@6000 ~100 I #1";
    }
    void keyStateMachine()
    {
        QFETCH(QString, script);
        Cadenza w;
        if (w.keyClock.elapsed() > 400) SKIP_TEST("start-up stalled: the first keys must come well inside its 700 ms rest");
        PLAY(w, script);
    }

    // The control clicked last keeps the focus: the space bar still starts the next solve and a key
    // still stops it, and the control stays as it was. While idle it keeps its other keys. One control of
    // each kind (the timer takes the keys whatever widget has them): the buttons that would change the
    // solves, a check box, the slider, the combo box, the list and a spin box.
    void timerKeysWhateverTheFocus_data()
    {
        QTest::addColumn<QString>("control");
        for (const char *name : {"plusTwoButton", "removeButton", "showStatsCheck", "modeSlider", "splitsCombo", "historyList", "silenceSpin"})
            QTest::newRow(name) << name;
    }
    void timerKeysWhateverTheFocus()
    {
        QFETCH(QString, control);
        Cadenza w;
        if (w.keyClock.elapsed() > 400) SKIP_TEST("start-up stalled: the first keys must come well inside its 700 ms rest");
        w.replaceSession(parseTimesFile("10000|0.1|1[]R U|100|0\n", 0));
        w.updateHistory();
        auto *c = w.findChild<QWidget *>(control);
        QVERIFY(c);
        const auto controls = [&] {
            QStringList s{QString::number(w.ui->modeSlider->value()), QString::number(w.ui->splitsCombo->currentIndex()),
                          QString::number(w.ui->silenceSpin->value()), QString::number(w.ui->historyList->currentRow())};
            for (const QCheckBox *box : w.findChildren<QCheckBox *>())
                s << QString::number(box->checkState());
            return s.join('|');
        };
        const QString before = controls();
        PLAY(w, "~720 +S -S R ~30 +> I #2 -> -S I +S -S I", c); // space starts, Right stops, space too soon
        QCOMPARE(w.penalties, (std::vector<qint32>{0, 0}));
        QCOMPARE(controls(), before);
        if (control == "silenceSpin") { // idle, an arrow key is the control's own after the rest
            const double v = w.ui->silenceSpin->value();
            QTest::keyClick(c, Qt::Key_Up);
            QCOMPARE(w.ui->silenceSpin->value(), v);
            QTest::qWait(720);
            QTest::keyClick(c, Qt::Key_Up);
            QVERIFY(!w.running && w.ui->silenceSpin->value() > v);
        }
    }

    // Another window (a dialog) keeps its keys, even the space bar, even during a solve.
    void otherWindowsKeepTheirKeys()
    {
        Cadenza w;
        QLineEdit other;
        w.on_startButton_clicked();
        QTest::keyClicks(&other, QStringLiteral("a b"));
        QVERIFY(w.running && other.text() == QStringLiteral("a b"));
    }

    // A menu item chosen with the space bar: the menu takes the press, and the release starts nothing.
    void aSpaceThatChoseAMenuItemStartsNothing()
    {
        Cadenza w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        PLAY(w, "~720");
        QMenu *menu = w.ui->menuSettings;
        menu->popup(w.mapToGlobal(QPoint(0, 0)));
        QTRY_VERIFY(menu->isVisible());
        QTest::keyPress(menu, Qt::Key_Space); // the menu's press (styles that choose an item with it, and close)
        w.ui->actionShow_Scramble_Picture->trigger(), menu->hide();
        PLAY(w, "-S I +S I -S R"); // only a press of its own starts it
    }

    // Without capture the record grows with silence that was not heard: the status says so and the solve
    // is stored without pause or split figures, whatever that silence would give.
    void withoutCaptureNoSoundFigures()
    {
        Cadenza w;
        w.dropCapture();
        w.ui->splitsCombo->setCurrentIndex(1);
        QCOMPARE(w.ui->pauseLabel->text(), QStringLiteral("Microphone unavailable"));
        PLAY(w, "M ~300 R");
        QVERIFY(!w.levels.empty() && w.levels.size() == w.levelTimes.size());
        QVERIFY(std::all_of(w.levels.begin(), w.levels.end(), [](float v) { return v == 0.0f; }));
        QCOMPARE(w.ui->pauseLabel->text(), QStringLiteral("Microphone unavailable"));
        QCOMPARE(w.ui->splitLabel->text(), QStringLiteral("Splits: "));
        PLAY(w, "M I #1");
        QCOMPARE(autosaved().pauseStats, std::vector<PauseStats>{PauseStats()});
        QCOMPARE(autosaved().splits, std::vector<std::vector<qint32>>{{}});
        w.audioDevice = new AudioLevelsIODevice(&w); // a capture back after the solve: that record was still not heard
        w.updateStatusLines(w.liveElapsedMs);
        QCOMPARE(w.ui->pauseLabel->text(), QStringLiteral("Microphone unavailable during this solve"));
        PLAY(w, "M ~300 M #2"); // heard: the silence is one pause
        QCOMPARE(w.pauseStats.back().pauseCount, 1);
    }

    void aHeldSpaceBarAddsNothingThenEditsAreSavedAtOnce()
    {
        Cadenza w;
        w.levels = {1, 2, 3};
        QString held = QStringLiteral("~720 +S@100000"); // then pairs of equal stamps, some marked, ticks between
        for (int i = 1; i <= 20; ++i)
            held += QStringLiteral(" -S@%1%2 +S@%1%2 I%3").arg(100000 + 40 * i).arg(i % 3 ? "" : "*", i % 5 ? "" : " ~15");
        PLAY(w, held + " #0");
        QCOMPARE(w.levels, (std::vector<float>{1, 2, 3})); // every start taken back restored what it replaced
        PLAY(w, "-S@101000 R ~30 +A@101100 I #1"); // the real release starts
        QCOMPARE(autosaved().times, w.times); // on disk as soon as the stop is done
        const QString scramble = w.currentScramble;
        PLAY(w, "M ~30 +E I #1");
        QVERIFY(w.currentScramble != scramble && w.liveElapsedMs == 0);

        w.replaceSession(parseTimesFile("10000|0.1|1[]R U|100|0\n20000|0.2|2|1|2[]L D|200|1\n30000|0.3|3|3[]F B|300|-1\n", 0));
        w.updateHistory();
        for (int step = 0; step < 5; ++step) { // on the newest: +2 on a DNF, +2 twice, +2 then DNF, DNF twice; each on disk at once
            step < 3 ? w.on_plusTwoButton_clicked() : w.on_dnfButton_clicked();
            QCOMPARE(autosaved().penalties, (std::vector<qint32>{0, 1, QVector<qint32>{1, 0, 1, -1, 0}.at(step)}));
        }
        w.ui->historyList->setCurrentRow(2); // the oldest solve
        w.on_startButton_clicked(); // while running Remove works, +2 and DNF are refused
        w.on_removeButton_clicked();
        w.on_plusTwoButton_clicked();
        QCOMPARE(formatTimesFile(autosaved().view()), QByteArray("20000|0.2|2|1|2[]L D|200|1\n30000|0.3|3|3[]F B|300|0\n"));
        w.on_actionClear_Times_triggered();
        QVERIFY(w.times.empty() && w.dates.empty() && w.pauseStats.empty() && w.splits.empty() && w.scrambles.isEmpty() && w.penalties.empty());
        QVERIFY(QFile::exists(Cadenza::sessionFilePath()) && autosaved().size() == 0); // saved, not deleted
    }

    void inspectionRuleAtItsBoundaries()
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

    void inspectionFlow_data()
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
    void inspectionFlow()
    {
        QFETCH(QString, script);
        Cadenza w;
        w.ui->actionInspection->setChecked(true);
        if (w.keyClock.elapsed() > 400) SKIP_TEST("start-up stalled: the first keys must come well inside its 700 ms rest");
        PLAY(w, script);
    }

    void inspectionTimesTheSolveAlone()
    {
        Cadenza w;
        PLAY(w, "M R M I #1"); // off: Start starts the solve
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
};

CADENZA_TEST_MAIN(TimingTest)
#include "test_timing.moc"
