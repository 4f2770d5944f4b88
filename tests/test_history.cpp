#include "app/cadenza.h"
#include "exchange/clipboard.h"
#include "exchange/cstimer.h"
#include "stats/history.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QClipboard>

class HistoryTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("TZ", "Europe/Berlin"); tzset(); }

    void numberFormat() // the fast writer prints what Qt prints, without "-0.00"; no inf or nan on screen
    {
        std::mt19937 rng(99);
        for (int i = 0; i < 200000; ++i) {
            const float ms = i % 3 == 0 ? float(rng() % 2000000) / 8 : i % 3 == 1 ? std::ldexp(float(rng() % (1 << 24)), int(rng() % 40) - 20) : -float(rng() % 100000) / 3;
            const QString qt = QString::number(double(ms / 1000.0f), 'f', 2);
            QCOMPARE(formatSeconds(ms), qt == QLatin1String("-0.00") ? QStringLiteral("0.00") : qt);
        }
        QVERIFY(formatSeconds(INFINITY) == "-" && formatSeconds(NAN) == "-" && formatSeconds(-0.0f) == "0.00" && formatFixed(-0.04, 1) == "0.0");
    }

    void ages() // local midnights: 29 March 2026 has 23 hours, 25 October 25
    {
        const auto at = [](int m, int d, int h, int min, int s = 0) { return QDateTime(QDate(2026, m, d), QTime(h, min, s)).toSecsSinceEpoch(); };
        const qint64 spring = at(3, 30, 0, 30), autumn = at(10, 26, 0, 30), april = at(4, 12, 12, 0), early = at(6, 10, 0, 0, 30), late = at(6, 10, 23, 59, 59);
        const struct { qint64 now, then; const char *age; } cases[] = {
            {spring, at(3, 30, 0, 5), "today"}, {spring, at(3, 29, 23, 59), "yesterday"}, {spring, at(3, 28, 23, 30), "2 days ago"},
            {spring, at(3, 16, 12, 0), "2 weeks ago"}, {autumn, at(10, 25, 0, 10), "yesterday"}, {autumn, at(10, 24, 23, 50), "2 days ago"},
            {april, at(3, 30, 23, 30), "last week"}, {early, at(6, 9, 23, 59, 50), "yesterday"}, {early, at(6, 10, 0, 0), "today"},
            {late, at(6, 11, 0, 0, 1), "-1 days ago"}, {late, at(6, 4, 12, 0), "6 days ago"}, {late, at(6, 3, 12, 0), "last week"}};
        std::map<qint64, LocalDayCounter> counters; // one counter per "now", asked many times
        for (const auto &c : cases)
            QCOMPARE(ageText(counters.try_emplace(c.now, QDateTime::fromSecsSinceEpoch(c.now)).first->second.daysAgo(c.then)), QString(c.age));
        QVERIFY(counters.begin()->second.daysAgo(LLONG_MIN) > 100000 && counters.begin()->second.daysAgo(LLONG_MAX) < -100000);
    }

    void windowTexts()
    {
        Cadenza w;
        QListWidget *const list = w.ui->historyList;
        const auto load = [&w](SessionData d) { w.replaceSession(std::move(d)); w.updateHistory(); };
        const qint64 old = QDateTime::currentSecsSinceEpoch() - 24 * 86400; // "3 weeks ago" whatever the clock says
        SessionData d;
        d.append(15020.0f, {}, {}, QString(), old, 0);
        d.append(9000.0f, {0.5f, 2}, {1500, 2500}, QString(), old, -1);      // DNF: in the phases, not in the means
        d.append(10000.0f, {}, {5000}, QString(), old, 7);                   // one split, a code that is no penalty
        d.append(11000.0f, {0.25f, 1}, {}, QString(), old, 0);
        d.append(9340.0f, {0.15f, 3}, {2100, 5300, 3200, 1740, 900}, QString(), old, 1); // best single without its +2
        w.ui->splitsCombo->setCurrentIndex(1), load(d);
        const auto labels = [&w] { return w.ui->statsAvgLabel->text() + "\n" + w.ui->statsPBLabel->text() + "\n" + w.ui->statsLabel->text(); };
        QCOMPARE(labels(), QStringLiteral("9.34 | 12.45 | - | - | - | -\n9.34 | 12.45 | - | - | -\nAvg Pause: 1.13 sec (10%, 1.0x)\nSplits: 2.87 | 3.90 | 3.20 | 1.74"));
        QStringList rows; for (int r = 0; r < list->count(); ++r) rows << list->item(r)->text(); // newest first
        QCOMPARE(rows, QStringList({"3 weeks ago: 9.34(+2)\tsplits:2.10 5.30 3.20 1.74 0.90 \tpause: 1.40 (15%) 3x", "3 weeks ago: 11.00\tpause: 2.75 (25%) 1x",
                                    "3 weeks ago: 10.00\t", "3 weeks ago: (DNF)\tsplits:1.50 2.50 \tpause: 4.50 (50%) 2x", "3 weeks ago: 15.02\t"}));

        d.append(12000.0f, {}, {}, QString(), old, 0);

        SessionData dnfs = d; // every solve a DNF: dashes, never a garbage figure
        dnfs.penalties.assign(6, -1), dnfs.splits.assign(6, {}), load(dnfs);
        QCOMPARE(labels(), QStringLiteral("12.00 | - | - | - | - | -\n- | - | - | - | -\nAvg Pause: -\nSplits: - | - | - | -"));
        load(d); // Clear Times empties the list but leaves the two figure labels as they were
        const QString figures = labels().section('\n', 0, 1);
        w.currentScramble = QStringLiteral("L2 D"), w.on_actionClear_Times_triggered();
        QVERIFY(w.times.empty() && list->count() == 0 && w.ui->statsLabel->text().isEmpty() && w.ui->scrambleLabel->text() == "L2 D");
        QCOMPARE(labels(), figures + "\n");
    }

    // The first start's hint goes with the first solve. The row chosen stays on its solve through refreshes:
    // +2 and DNF on it, an import merging solves below and above it, a twin of it; a stored solve leaves no row
    // chosen (+2 then acts on it), a removed one neither.
    void choiceFollowsTheSolve()
    {
        Cadenza w;
        QListWidget *const list = w.ui->historyList;
        const auto session = [](std::initializer_list<qint64> dates) {
            SessionData d;
            for (qint64 date : dates)
                d.append(10000.0f + float(date % 100), {}, {}, QStringLiteral("R U"), date, 0);
            return d;
        };
        const auto chosen = [&] { return list->currentRow() < 0 ? qint64(-1) : w.dates[w.times.size() - 1 - std::size_t(list->currentRow())]; };
        QVERIFY(w.ui->hintLabel->isVisibleTo(&w)); // how to start, until the first solve is stored
        w.on_startButton_clicked(), w.on_startButton_clicked();
        QVERIFY(!w.ui->hintLabel->isVisibleTo(&w) && w.times.size() == 1);
        w.replaceSession(session({1000, 2000, 2000, 3000, 4000}));
        w.updateHistory();
        QCOMPARE(list->currentRow(), -1);
        list->setCurrentRow(2); // the twin of 2000 dated later in the list: the second of two alike
        QSignalSpy rowSpy(list, &QListWidget::currentRowChanged);
        w.on_plusTwoButton_clicked(), w.on_dnfButton_clicked();
        QVERIFY(chosen() == 2000 && list->currentRow() == 2 && w.penalties[2] == -1 && w.penalties[1] == 0);
        w.replaceSession(mergeInDateOrder(w.sessionView(), session({500, 1500, 2500, 5000})));
        w.updateHistory();
        QVERIFY(chosen() == 2000 && list->currentRow() == 4 && w.penalties[std::size_t(w.times.size() - 5)] == -1 && rowSpy.isEmpty());
        w.on_startButton_clicked(), w.on_startButton_clicked(); // a new solve: no row chosen, +2 on the newest
        QVERIFY(list->currentRow() == -1 && !w.chosenSolve);
        w.on_plusTwoButton_clicked();
        QCOMPARE(w.penalties.back(), 1);
        list->setCurrentRow(1);
        w.on_removeButton_clicked();
        QVERIFY(list->currentRow() == -1 && !w.chosenSolve && w.times.size() == 9);
    }

    void reportPadsMarksBestAndWorstAndJudgesDnfsAndPictureIsTheChartsSizeOnTransparency()
    {
        const struct { std::vector<float> ms; std::vector<qint32> pen; int n; QString want; } rows[] = {
            {{9000, 12100, 11020, 12500, 13940, 12800}, {0, 1, 0, 1, 0, 0}, 5, "avg of 5: 13.613\n\nTimeList:\n1. 12.10+2  S2\n"
             "2.(11.02)   S3\n3.(12.50+2) S4\n4. 13.94    S5\n5. 12.80    S6\tsplits: 1.00 | 2.50 | 3.30 | 6.00\n"},
            {{10000, 11000, 12000, 13000, 14000}, {0, -1, 0, -1, 1}, 5,
             "avg of 5: DNF\n\nTimeList:\n1.(10.00)   S1\n2. DNF      S2\n3. 12.00    S3\n4. DNF      S4\n5.(14.00+2) S5\n"},
            {{10000, 10000, 30000}, {0, 0, 0}, 12, "avg of 3: 10.000\n\nTimeList:\n1.(10.00)   S1\n2. 10.00    S2\n3.(30.00)   S3\n"},
            {{10000, 10100, 10200, 10300, 10400, 10500, 10600, 10700, 10800, 10900, 11000, 11100}, std::vector<qint32>(12), 12,
             "avg of 12: 10.550\n\nTimeList:\n1.(10.00)   S1\n2. 10.10    S2\n3. 10.20    S3\n4. 10.30    S4\n5. 10.40    S5\n"
             "6. 10.50    S6\n7. 10.60    S7\n8. 10.70    S8\n9. 10.80    S9\n10. 10.90   S10\n11. 11.00   S11\n12.(11.10)  S12\n"}};
        for (const auto &r : rows) {
            SessionData s;
            for (std::size_t i = 0; i < r.ms.size(); ++i) // a single split is not shown
                s.append(r.ms[i], {}, i == 5 && r.n == 5 ? std::vector<qint32>{1000, 2500, 3300, 6000} : std::vector<qint32>{1}, QString("S%1").arg(i + 1), i, r.pen[i]);
            QCOMPARE(averageReport(s.view(), r.n, QDate(2026, 3, 9)), "Generated By Orlo on 2026-03-09\n" + r.want);
        }
        QFile::remove(Cadenza::sessionFilePath()); // the solves of the test before go
        Cadenza w; // an empty session: too few solves for the chart, nothing is painted
        for (const QSize size : {QSize(300, 40), QSize(250, 130)}) {
            w.ui->statsDisplay->resize(size);
            w.ui->clipboardButton->click();
            const QImage image = QApplication::clipboard()->image().convertToFormat(QImage::Format_ARGB32);
            QCOMPARE(image.size(), size.expandedTo(QSize(0, 80)));
            for (int i = 0; i < image.width() * image.height(); ++i)
                QCOMPARE(qAlpha(image.pixel(i % image.width(), i / image.width())), 0);
        }
    }
};

CADENZA_TEST_MAIN(HistoryTest)
#include "test_history.moc"
