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

// A level record sampled every 10 ms; add() continues the stamps unless told where to restart.
struct Record
{
    std::vector<float> levels;
    std::vector<qint32> times;
    Record &add(int count, float level, int startMs = -1)
    {
        qint32 t = startMs >= 0 ? startMs : (times.empty() ? 10 : times.back() + 10);
        for (int i = 0; i < count; ++i, t += 10) {
            levels.push_back(level);
            times.push_back(t);
        }
        return *this;
    }
    std::vector<float> reps() const { return algs::findRepetitions(levels, times, 0.4f, 500, 500); }
};

// Alternating runs of sound (level 5) and silence (level 0.1), sound first.
Record runs(const std::vector<int> &lengths)
{
    Record r;
    for (std::size_t k = 0; k < lengths.size(); ++k)
        r.add(lengths[k], k % 2 ? 0.1f : 5.0f);
    return r;
}

bool same(const std::vector<float> &got, const std::vector<float> &want)
{
    auto close = [](float a, float b) { return std::abs(a - b) < 1e-4f; };
    return got.size() == want.size() && std::equal(got.begin(), got.end(), want.begin(), close);
}

// What the input dialogs showed: how many, the last one's proposal and choices.
struct Seen { int shown = 0; QString proposed; QStringList items; };

// Runs `act`, answering each input dialog it opens: types `reply` unless it is null, then accepts
// (or rejects) it.
template <class F> Seen answering(F act, const QString &reply = QString(), bool accept = true)
{
    Seen seen;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *d = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
        if (!d)
            return;
        ++seen.shown;
        seen.proposed = d->textValue();
        seen.items = d->comboBoxItems();
        if (!reply.isNull())
            d->setTextValue(reply);
        accept ? d->accept() : d->reject();
    });
    timer.start(10);
    act();
    return seen;
}

} // namespace

class AlgsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }
    void init() { QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).clear(); }

    void repetitionsAreCut()
    {
        const struct { std::vector<int> runs; std::vector<float> want; } cases[] = {
            {{80, 50}, {}}, // closes at the silent sample 500 ms after the first silent one (index 130)
            {{80, 51}, {0.79f}},
            {{40, 30, 40, 60}, {1.09f}}, // a shorter silence is bridged
            {{51, 60}, {0.5f}},          // at least the minimum: exactly 500 ms counts
            {{50, 60}, {}},
            {{80, 60, 80}, {0.79f}},          // the open segment at the end is not reported
            {{0, 60, 1, 60, 80, 60}, {0.79f}}, // a single loud sample is closed and dropped, not merged
            {{}, {}},
        };
        for (const auto &c : cases)
            QVERIFY2(same(runs(c.runs).reps(), c.want), qPrintable(QString("case %1").arg(&c - cases)));
        // A level exactly at the threshold is sound.
        QVERIFY(same(Record().add(80, 0.4f).add(60, 0.39f).reps(), {0.79f}));

        // Two runs without a Clear: the second run's stamps restart at 10 ms, so the silence across the
        // boundary never reaches the gap, the segment runs on, and its duration across the runs is negative.
        auto twoRuns = [](int sound) {
            return Record().add(100, 0.1f).add(80, 5.0f).add(20, 0.1f).add(10, 0.1f, 10).add(sound, 5.0f).add(60, 0.1f);
        };
        QVERIFY(twoRuns(40).reps().empty());
        // Once the second run's stamps overtake the old start, it is measured from there (1010 ms).
        QVERIFY(same(twoRuns(150).reps(), {(1600 - 1010) / 1000.0f}));
    }

    void statistics()
    {
        QVERIFY(same(algs::repetitionStats({1.0f, 2.0f, 3.0f}), {2.0f, 0.8164966f, 2.0f, 3.0f, 3.0f, 1.0f}));
        QVERIFY(same(algs::repetitionStats({}), std::vector<float>(6, 0.0f)));
    }

    void windowReadsItsSettings()
    {
        Cadenza w;
        const Record r = runs({80, 60, 120, 60});
        w.levels = r.levels;
        w.levelTimes = r.times;
        QVERIFY(same(w.findAlgRepetitions(), {0.79f, 1.19f}));
        w.ui->minAlgSpin->setValue(1000);
        QVERIFY(same(w.findAlgRepetitions(), {1.19f}));
        w.ui->gapSpin->setValue(700);
        QVERIFY(w.findAlgRepetitions().empty());
        w.ui->gapSpin->setValue(500);
        w.ui->silenceSpin->setValue(6.0);
        QVERIFY(w.findAlgRepetitions().empty());
        w.ui->boostAudioCheck->setChecked(true); // 6 / 5 lies below the sound
        QVERIFY(same(w.computeAlgStats(), {1.19f, 0.0f, 1.19f, 1.0f, 1.19f, 1.19f}));
    }

    void storeAndRemoveThroughTheirDialogs()
    {
        Cadenza w;
        w.ui->modeSlider->setValue(1);
        auto store = [&](const QString &reply, bool accept = true) {
            return answering([&] { w.on_algStoreButton_clicked(); }, reply, accept);
        };
        auto remove = [&](bool accept) { return answering([&] { w.on_algRemoveButton_clicked(); }, {}, accept); };
        // Nothing to store and nothing stored: no dialog.
        QCOMPARE(store("x").shown + remove(true).shown, 0);
        const Record r = runs({80, 60, 100, 60});
        w.levels = r.levels;
        w.levelTimes = r.times;
        QCOMPARE(store("T perm").proposed, QString("Alg 1"));
        QCOMPARE(w.algLabels, QStringList({"T perm"}));
        QVERIFY(w.algSequences.size() == 1 && same(w.algSequences[0], {0.79f, 0.99f}));
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 77);
        QCOMPARE(store("x", false).proposed, QString("Alg 2"));
        QCOMPARE(w.algLabels.size(), 1);
        store("Y perm");
        store("T perm");
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 109);
        w.algSequences[2] = {4.0f}; // tells the two "T perm" apart
        const Seen removed = remove(true); // the preselected item: the last label
        QCOMPARE(removed.items, QStringList({"T perm", "Y perm", "T perm"}));
        QCOMPARE(removed.proposed, QString("T perm"));
        // The older of the two went.
        QCOMPARE(w.algLabels, QStringList({"Y perm", "T perm"}));
        QVERIFY(same(w.algSequences[1], {4.0f}));
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 93);
        remove(false);
        QCOMPARE(w.algLabels.size(), 2);
        QCOMPARE(store("").proposed, QString("Alg 3"));
        QCOMPARE(w.algLabels, QStringList({"Y perm", "T perm", ""}));
    }

    void warningButtonOpensTheNote()
    {
        Cadenza w;
        QString title;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                title = box->windowTitle();
                box->accept();
            }
        });
        timer.start(10);
        QTest::mouseClick(w.ui->warningButton, Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("A note about the estimation of algs duration"));
        QVERIFY(!w.ui->actionCalibrate_Echo_Delay->isEnabled());
    }
};

QTEST_MAIN(AlgsTest)
#include "test_algs.moc"
