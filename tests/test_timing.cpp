#include "app/cadenza.h"
#include "session/timesfile.h"
#include "audio/audiolevelsiodevice.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>

// Plays the steps of playKeyStep, keys going to the target widget or to the window; R / I expect Running /
// Idle; #N expects N solves.
static QString play(Cadenza &w, const QString &script, QWidget *target = nullptr)
{
    for (const QString &t : script.split(' ', Qt::SkipEmptyParts)) {
        const QString check = playKeyStep(target ? target : static_cast<QWidget *>(&w), w.ui->startButton, t);
        if (check == "stalled")
            return check;
        if (!check.isEmpty() && (t[0] == '#' ? int(w.times.size()) != t.mid(1).toInt() : t != (w.running ? "R" : "I")))
            return QStringLiteral("%1 failed, %2 solves").arg(t).arg(w.times.size());
    }
    return QString();
}
#define PLAY(w, ...) do { const QString failed = play(w, __VA_ARGS__); if (failed == "stalled") SKIP_TEST("a timed step stalled"); QCOMPARE(failed, QString()); } while (0)

class TimingTest : public QObject
{
    Q_OBJECT
    static SessionData autosaved() { QFile f(Cadenza::sessionFilePath()); return f.open(QIODevice::ReadOnly) ? parseTimesFile(f.readAll(), 0) : SessionData(); }
private slots:
    void initTestCase() { requireIsolation(); }
    void init() { QFile::remove(Cadenza::sessionFilePath()); } // each window starts empty

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
    // still stops it, and the control stays as it was. While idle it keeps its other keys.
    void timerKeysWhateverTheFocus_data()
    {
        QTest::addColumn<QString>("control");
        for (const char *name : {"plusTwoButton", "dnfButton", "removeButton", "clipboardButton", "clipboardAO5Button",
                                 "showStatsCheck", "disableAudioCheck", "modeSlider", "splitsCombo", "historyList", "silenceSpin"})
            QTest::newRow(name) << name;
    }
    void timerKeysWhateverTheFocus()
    {
        QFETCH(QString, control);
        Cadenza w;
        if (w.keyClock.elapsed() > 400) SKIP_TEST("start-up stalled: the first keys must come well inside its 700 ms rest");
        w.replaceSession(parseTimesFile("10000|0.1|1[]R U|100|0\n", 0));
        w.updateHistory();
        QApplication::clipboard()->setText(QStringLiteral("before"));
        auto *c = w.findChild<QWidget *>(control);
        QVERIFY(c);
        const auto controls = [&] {
            QStringList s{QString::number(w.ui->modeSlider->value()), QString::number(w.ui->splitsCombo->currentIndex()),
                          QString::number(w.ui->silenceSpin->value()), QString::number(w.ui->historyList->currentRow()),
                          QApplication::clipboard()->text()};
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
};

CADENZA_TEST_MAIN(TimingTest)
#include "test_timing.moc"
