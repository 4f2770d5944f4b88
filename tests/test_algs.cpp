#include "app/cadenza.h"
#include "audio/algs.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

namespace {

// A record with one sample per 10 ms (sample i at 10 (i + 1) ms), built from
// runs of sound (level 5) and silence (level 0.1), sound first.
struct Record
{
    std::vector<float> levels;
    std::vector<qint32> times;
    void add(int count, float level, int startMs = -1)
    {
        qint32 t = startMs >= 0 ? startMs : (times.empty() ? 10 : times.back() + 10);
        for (int i = 0; i < count; ++i, t += 10) {
            levels.push_back(level);
            times.push_back(t);
        }
    }
    std::vector<float> reps(float threshold = 0.4f) const
    {
        return algs::findRepetitions(levels, times, threshold, 500, 500);
    }
};

Record runs(std::initializer_list<int> lengths)
{
    Record r;
    bool sound = true;
    for (int len : lengths) {
        r.add(len, sound ? 5.0f : 0.1f);
        sound = !sound;
    }
    return r;
}

void fuzzyCompare(const std::vector<float> &got, const std::vector<float> &want)
{
    QCOMPARE(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        QVERIFY2(std::abs(got[i] - want[i]) < 1e-4f, qPrintable(QString("%1: %2 vs %3").arg(i).arg(got[i]).arg(want[i])));
}

// Answers the next input dialog: notes what it proposed and offered, then
// accepts it with a text (or the preselected item) or cancels it.
struct DialogAnswer : QObject
{
    QString proposed;
    QStringList items;
    int shown = 0;
    QString text;
    bool accept = true;
    bool keepText = false;
    QTimer timer;
    DialogAnswer()
    {
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            ++shown;
            proposed = dialog->textValue();
            items = dialog->comboBoxItems();
            if (!accept) {
                dialog->reject();
                return;
            }
            if (!keepText)
                dialog->setTextValue(text);
            dialog->accept();
        });
        timer.start();
    }
};

} // namespace

class AlgsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }
    // Each case starts from the form's defaults, not from what the window
    // of the previous case stored at its end.
    void init() { QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).clear(); }

    void repetitionsAreCut()
    {
        // The segment closes at the first silent sample 500 ms after the
        // first silent one: index 130, not 129.
        QVERIFY(runs({80, 50}).reps().empty());
        fuzzyCompare(runs({80, 51}).reps(), {0.79f});
        // A shorter silence is bridged.
        fuzzyCompare(runs({40, 30, 40, 60}).reps(), {1.09f});
        // At least the minimum: 51 samples last exactly 500 ms, 50 do not.
        fuzzyCompare(runs({51, 60}).reps(), {0.5f});
        QVERIFY(runs({50, 60}).reps().empty());
        QVERIFY(runs({30, 60}).reps().empty());
        // An open segment at the end is not reported.
        fuzzyCompare(runs({80, 60, 80}).reps(), {0.79f});
        // A single loud sample is a segment of its own, closed and dropped;
        // it must not stretch the next repetition.
        fuzzyCompare(runs({0, 60, 1, 60, 80, 60}).reps(), {0.79f});
        QVERIFY(algs::findRepetitions({}, {}, 0.4f, 500, 500).empty());
    }

    void thresholdAndBoost()
    {
        Record r;
        r.add(80, 0.4f); // exactly at the threshold: sound
        r.add(60, 0.39f);
        fuzzyCompare(r.reps(0.4f), {0.79f});
        QCOMPARE(algs::effectiveThreshold(0.4, false), 0.4f);
        QCOMPARE(algs::effectiveThreshold(0.4, true), float(double(0.4f) / 5.0));
        Record quiet;
        quiet.add(80, 0.1f);
        quiet.add(60, 0.01f);
        QVERIFY(quiet.reps(algs::effectiveThreshold(0.4, false)).empty());
        fuzzyCompare(quiet.reps(algs::effectiveThreshold(0.4, true)), {0.79f});
    }

    void silenceAcrossTwoRunsIsNegative()
    {
        // First run: silence, then sound from stamp 1010 to 1800, then only
        // 200 ms of silence before the stop. The second run's stamps start
        // again at 10: the silence across the boundary never reaches 500 ms,
        // the sound of the second run extends the old segment, and its
        // duration (500 - 1010 ms) is negative and dropped.
        Record r;
        r.add(100, 0.1f);
        r.add(80, 5.0f);
        r.add(20, 0.1f);
        r.add(10, 0.1f, 10);
        r.add(40, 5.0f);
        r.add(60, 0.1f);
        QVERIFY(r.reps().empty());
        // Had the second run's sound gone on past the old start stamp, that
        // repetition would be measured from the first run's start.
        Record longer;
        longer.add(100, 0.1f);
        longer.add(80, 5.0f);
        longer.add(20, 0.1f);
        longer.add(10, 0.1f, 10);
        longer.add(150, 5.0f);
        longer.add(60, 0.1f);
        fuzzyCompare(longer.reps(), {(1600 - 1010) / 1000.0f});
    }

    void statistics()
    {
        const std::vector<float> s = algs::repetitionStats({1.0f, 2.0f, 3.0f});
        fuzzyCompare(s, {2.0f, 0.8164966f, 2.0f, 3.0f, 3.0f, 1.0f});
        fuzzyCompare(algs::repetitionStats({}), std::vector<float>(6, 0.0f));
    }

    void windowReadsItsSettings()
    {
        Cadenza w;
        Record r = runs({80, 60, 120, 60});
        w.levels = r.levels;
        w.levelTimes = r.times;
        fuzzyCompare(w.findAlgRepetitions(), {0.79f, 1.19f});
        w.ui->minAlgSpin->setValue(1000);
        fuzzyCompare(w.findAlgRepetitions(), {1.19f});
        w.ui->gapSpin->setValue(700);
        QVERIFY(w.findAlgRepetitions().empty());
        w.ui->gapSpin->setValue(500);
        w.ui->silenceSpin->setValue(6.0);
        QVERIFY(w.findAlgRepetitions().empty());
        w.ui->boostAudioCheck->setChecked(true);
        fuzzyCompare(w.computeAlgStats(), {1.19f, 0.0f, 1.19f, 1.0f, 1.19f, 1.19f});
    }

    void storeAndRemoveThroughTheirDialogs()
    {
        Cadenza w;
        w.ui->modeSlider->setValue(1);
        {
            DialogAnswer answer;
            w.on_algStoreButton_clicked(); // no repetitions: no dialog
            w.on_algRemoveButton_clicked(); // nothing stored: no dialog
            QCOMPARE(answer.shown, 0);
        }
        Record r = runs({80, 60, 100, 60});
        w.levels = r.levels;
        w.levelTimes = r.times;
        QCOMPARE(w.findAlgRepetitions().size(), std::size_t(2));
        {
            DialogAnswer answer;
            answer.text = "T perm";
            w.on_algStoreButton_clicked();
            QCOMPARE(answer.shown, 1);
            QCOMPARE(answer.proposed, QString("Alg 1"));
        }
        QCOMPARE(w.algLabels, QStringList({"T perm"}));
        QCOMPARE(w.algSequences.size(), std::size_t(1));
        fuzzyCompare(w.algSequences[0], {0.79f, 0.99f});
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 77);
        {
            DialogAnswer answer;
            answer.accept = false;
            w.on_algStoreButton_clicked();
            QCOMPARE(answer.proposed, QString("Alg 2"));
        }
        QCOMPARE(w.algLabels.size(), 1);
        for (const char *label : {"Y perm", "T perm"}) {
            DialogAnswer answer;
            answer.text = label;
            w.on_algStoreButton_clicked();
        }
        QCOMPARE(w.algLabels, QStringList({"T perm", "Y perm", "T perm"}));
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 109);
        // Changing what the newest row holds tells the two "T perm" apart.
        w.algSequences[2] = {4.0f};
        {
            DialogAnswer answer;
            answer.keepText = true; // the preselected item: the last label
            w.on_algRemoveButton_clicked();
            QCOMPARE(answer.items, QStringList({"T perm", "Y perm", "T perm"}));
            QCOMPARE(answer.proposed, QString("T perm"));
        }
        // The older of the two went.
        QCOMPARE(w.algLabels, QStringList({"Y perm", "T perm"}));
        fuzzyCompare(w.algSequences[1], {4.0f});
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 93);
        {
            DialogAnswer answer;
            answer.accept = false;
            w.on_algRemoveButton_clicked();
        }
        QCOMPARE(w.algLabels.size(), 2);
        {
            DialogAnswer answer;
            answer.text = "";
            w.on_algStoreButton_clicked();
            QCOMPARE(answer.proposed, QString("Alg 3"));
        }
        QCOMPARE(w.algLabels, QStringList({"Y perm", "T perm", ""}));
    }

    void warningNote()
    {
        Cadenza w;
        QString title;
        QString text;
        QTimer timer;
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                text = box->text();
                box->accept();
            }
        });
        timer.start();
        w.on_warningButton_clicked();
        QCOMPARE(title, QString("A note about the estimation of algs duration"));
        QVERIFY(text.startsWith("The software uses sound and silence"));
        QVERIFY(text.contains("execution.\n\nFortunately"));
    }
};

QTEST_MAIN(AlgsTest)
#include "test_algs.moc"
