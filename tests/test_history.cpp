#include "app/cadenza.h"
#include "stats/history.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>
#include <cmath>
#include <ctime>
#include <limits>
#include <random>

Q_DECLARE_METATYPE(QListWidgetItem *)

namespace {

QDateTime localTime(int y, int m, int d, int h, int min, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::LocalTime);
}
qint64 localSecs(int y, int m, int d, int h, int min, int s = 0)
{
    return localTime(y, m, d, h, min, s).toSecsSinceEpoch();
}

// Sets the local time zone for the life of the object.
struct TimeZone
{
    QByteArray old = qgetenv("TZ");
    bool had = qEnvironmentVariableIsSet("TZ");
    explicit TimeZone(const char *zone) { qputenv("TZ", zone); tzset(); }
    ~TimeZone() { had ? qputenv("TZ", old) : qunsetenv("TZ"); tzset(); }
};

void setSession(Cadenza &w, const SessionData &d)
{
    w.times = d.times;
    w.dates = d.dates;
    w.pauseStats = d.pauseStats;
    w.splits = d.splits;
    w.scrambles = d.scrambles;
    w.penalties = d.penalties;
}

// Newest 12.34, current Ao5 12.00, Ao12 13.10, best single 9.00.
SessionData twelveSolves(qint64 date)
{
    SessionData d;
    for (float t : {9000, 20000, 14400, 14400, 14400, 14400, 14400, 10000, 11660, 12000, 13000, 12340})
        d.append(t, {}, {}, QStringLiteral("R U"), date, 0);
    return d;
}

const qint64 twentyFourDays = 24 * 86400; // 24 days: "3 weeks ago" whatever the clock says

} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }

    void numberAndAgeTexts()
    {
        const float inf = std::numeric_limits<float>::infinity();
        const std::pair<float, const char *> seconds[] = {
            {12345, "12.35"}, {9870, "9.87"}, {0, "0.00"}, {125, "0.13"} /* halves away from zero */,
            {-12345, "-12.35"}, {3.5e9f, "3500000.00"}, {-1, "0.00"}, {-0.0f, "0.00"}, {inf, "-"}, {std::nanf(""), "-"}};
        for (const auto &c : seconds)
            QCOMPARE(formatSeconds(c.first), QString::fromLatin1(c.second));
        QCOMPARE(formatFixed(-0.3, 0), QStringLiteral("0"));
        QCOMPARE(formatFixed(-0.04, 1), QStringLiteral("0.0"));
        QCOMPARE(formatFixed(2.5, 1), QStringLiteral("2.5"));
        QCOMPARE(formatFixed(std::nan(""), 1), QStringLiteral("-"));

        const std::pair<int, const char *> ages[] = {{0, "today"}, {1, "yesterday"}, {6, "6 days ago"},
            {7, "last week"}, {13, "last week"}, {14, "2 weeks ago"}, {20, "2 weeks ago"}, {21, "3 weeks ago"},
            {-1, "-1 days ago"}};
        for (const auto &c : ages)
            QCOMPARE(ageText(c.first), QString::fromLatin1(c.second));
    }

    // The fast formatter writes what QString::number writes for every float.
    void numberFormatMatchesQt()
    {
        std::mt19937 rng(99);
        for (int i = 0; i < 200000; ++i) {
            float ms;
            switch (i % 4) {
            case 0: ms = float(rng() % 100000); break;                        // whole milliseconds
            case 1: ms = float(rng() % 2000000) / 8.0f; break;                // exact halves of 0.01 s
            case 2: ms = std::ldexp(float(rng() % (1 << 24)), int(rng() % 40) - 20); break;
            default: ms = -float(rng() % 100000) / 3.0f; break;
            }
            QString expected = QString::number(double(ms / 1000.0f), 'f', 2);
            if (expected == QStringLiteral("-0.00"))
                expected = QStringLiteral("0.00");
            QCOMPARE(formatSeconds(ms), expected);
        }
    }

    // Ages count local midnights, not periods of 24 hours.
    void calendarDays()
    {
        TimeZone zone("Europe/Berlin");
        struct Case { QDateTime now; qint64 then; qint64 days; };
        const QDateTime spring = localTime(2026, 3, 30, 0, 30), autumn = localTime(2026, 10, 26, 0, 30),
                        april = localTime(2026, 4, 12, 12, 0), early = localTime(2026, 6, 10, 0, 0, 30),
                        late = localTime(2026, 6, 10, 23, 59, 59);
        const Case cases[] = {
            // 29 March 2026 has 23 hours, 25 October 25 hours.
            {spring, localSecs(2026, 3, 30, 0, 5), 0}, {spring, localSecs(2026, 3, 29, 23, 59), 1},
            {spring, localSecs(2026, 3, 29, 0, 10), 1}, {spring, localSecs(2026, 3, 28, 23, 30), 2},
            {spring, localSecs(2026, 3, 16, 12, 0), 14}, {autumn, localSecs(2026, 10, 25, 0, 10), 1},
            {autumn, localSecs(2026, 10, 24, 23, 50), 2}, {autumn, localSecs(2026, 10, 26, 0, 0), 0},
            {april, localSecs(2026, 3, 29, 0, 30), 14}, {april, localSecs(2026, 3, 30, 23, 30), 13},
            // Around midnight, and in the future.
            {early, localSecs(2026, 6, 9, 23, 59, 50), 1}, {early, localSecs(2026, 6, 10, 0, 0, 0), 0},
            {late, localSecs(2026, 6, 10, 0, 0, 0), 0}, {late, localSecs(2026, 6, 11, 0, 0, 1), -1},
            {late, localSecs(2026, 6, 12, 18, 0), -2}, {late, localSecs(2016, 6, 10, 12, 0), 3652},
        };
        for (const Case &c : cases)
            QCOMPARE(LocalDayCounter(c.now).daysAgo(c.then), c.days);
        // Several lookups on one counter, and nonsense dates, give numbers and no failure.
        LocalDayCounter days(spring);
        QCOMPARE(days.daysAgo(localSecs(2026, 3, 28, 23, 30)), qint64(2));
        QCOMPARE(days.daysAgo(localSecs(2026, 3, 29, 23, 59)), qint64(1));
        QCOMPARE(days.daysAgo(localSecs(2026, 3, 28, 0, 30)), qint64(2));
        QVERIFY(days.daysAgo(std::numeric_limits<qint64>::min()) > 100000);
        QVERIFY(days.daysAgo(std::numeric_limits<qint64>::max()) < -100000);
    }

    void rowAndFigureTexts()
    {
        TimeZone zone("Europe/Berlin");
        const QDateTime now = localTime(2026, 6, 10, 15, 0);
        SessionData d;
        d.append(15020.0f, {}, {}, QString(), localSecs(2026, 5, 20, 12, 0), 0);    // 21 days
        d.append(9000.0f, {}, {}, QString(), localSecs(2026, 6, 9, 8, 0), -1);      // yesterday, DNF
        d.append(10000.0f, {}, {5000}, QString(), localSecs(2026, 6, 10, 9, 0), 7); // one split, odd code
        d.append(11000.0f, {0.25f, 1234567}, {}, QString(), localSecs(2026, 6, 3, 9, 0), 0);
        d.append(12340.0f, {0.12f, 3}, {2100, 5310, 3200, 1740}, QString(), localSecs(2026, 6, 10, 14, 0), 1);
        const QStringList rows = historyRowTexts(d.view(), now);
        QCOMPARE(rows, QStringList({QStringLiteral("today: 12.34(+2)\tsplits:2.10 5.31 3.20 1.74 \tpause: 1.48 (12%) 3x"),
                              QStringLiteral("last week: 11.00\tpause: 2.75 (25%) 1.23457e+06x"),
                              QStringLiteral("today: 10.00\t"), QStringLiteral("yesterday: (DNF)\t"),
                              QStringLiteral("3 weeks ago: 15.02\t")}));
        LocalDayCounter days(now);
        QCOMPARE(historyRowText(d.view(), 4, days), rows.first());

        // Every solve a DNF: dashes, never a garbage figure.
        SessionData dnfs;
        for (int i = 0; i < 6; ++i)
            dnfs.append(12000.0f, {0.0f, 0}, {}, QString(), 0, -1);
        const SessionStats s = computeSessionStats(dnfs.times, dnfs.penalties);
        const SessionFigures f = computeSessionFigures(dnfs.view(), 1);
        QCOMPARE(statsAvgText(dnfs.times.back(), s), QStringLiteral("12.00 | - | - | - | - | -"));
        QCOMPARE(statsPBText(f, s), QStringLiteral("- | - | - | - | -"));
        QCOMPARE(statsPauseText(f), QStringLiteral("Avg Pause: -\nSplits: - | - | - | -"));

        // A phase that no solve reaches shows a dash.
        SessionData two;
        two.append(12300.0f, {0.1f, 2}, {2100, 5310}, QString(), 0, 0);
        two.append(12300.0f, {0.1f, 3}, {2100, 5310}, QString(), 0, 0);
        const QString pause = QStringLiteral("Avg Pause: 1.23 sec (10%, 2.5x)");
        QCOMPARE(statsPauseText(computeSessionFigures(two.view(), 1)), pause + "\nSplits: 2.10 | 5.31 | - | -");
        QCOMPARE(statsPauseText(computeSessionFigures(two.view(), 2)), pause + "\nSplits: 2.10 | 5.31");
        QCOMPARE(statsPauseText(computeSessionFigures(two.view(), 0)), pause);
    }

    void windowShowsLabelsAndRows()
    {
        Cadenza w;
        const qint64 old = QDateTime::currentSecsSinceEpoch() - twentyFourDays;
        setSession(w, twelveSolves(old));
        w.currentScramble = QStringLiteral("F2 U' B");
        w.updateHistory();
        QCOMPARE(w.ui->scrambleLabel->text(), QStringLiteral("F2 U' B"));
        QCOMPARE(w.ui->statsAvgLabel->text(), QStringLiteral("12.34 | 12.00 | 13.10 | - | - | -"));
        QCOMPARE(w.ui->statsPBLabel->text(), QStringLiteral("9.00 | 12.00 | 13.10 | - | -"));
        QCOMPARE(w.ui->statsLabel->text(), QStringLiteral("Avg Pause: 0.00 sec (0%, 0.0x)"));
        QCOMPARE(w.ui->historyList->count(), 12);
        QCOMPARE(w.ui->historyList->item(11)->text(), QStringLiteral("3 weeks ago: 9.00\t"));
        w.penalties.back() = -1; // a DNF as newest solve: its recorded time still leads the label
        w.updateHistory();
        QVERIFY(w.ui->statsAvgLabel->text().startsWith(QStringLiteral("12.34 | ")));
        QCOMPARE(w.ui->historyList->item(0)->text(), QStringLiteral("3 weeks ago: (DNF)\t"));

        // The splits line follows the splits selection, not the stored splits.
        SessionData splitSolves;
        for (int i = 0; i < 2; ++i)
            splitSolves.append(12300.0f, {0.1f, 2 + i}, {2100, 5310, 3200, 1750}, QString(), old, 0);
        setSession(w, splitSolves);
        w.ui->splitsCombo->setCurrentIndex(1);
        w.updateHistory();
        QCOMPARE(w.ui->statsLabel->text(),
                 QStringLiteral("Avg Pause: 1.23 sec (10%, 2.5x)\nSplits: 2.10 | 5.31 | 3.20 | 1.75"));

        // Clear Times empties the list but leaves the two figure labels as they were.
        setSession(w, twelveSolves(old));
        w.updateHistory();
        const QString avg = w.ui->statsAvgLabel->text(), pb = w.ui->statsPBLabel->text();
        w.currentScramble = QStringLiteral("L2 D");
        w.on_actionClear_Times_triggered();
        QVERIFY(w.times.empty());
        QCOMPARE(w.ui->historyList->count(), 0);
        QCOMPARE(w.ui->statsLabel->text(), QString());
        QCOMPARE(w.ui->statsAvgLabel->text(), avg);
        QCOMPARE(w.ui->statsPBLabel->text(), pb);
        QCOMPARE(w.ui->scrambleLabel->text(), QStringLiteral("L2 D"));
    }

    void rowKeptByPositionWithoutSignals()
    {
        Cadenza w;
        const qint64 old = QDateTime::currentSecsSinceEpoch() - twentyFourDays;
        SessionData d;
        for (int i = 0; i < 10; ++i)
            d.append(float(10000 + 100 * i), {}, {}, QString(), old, 0);
        setSession(w, d);
        w.updateHistory();
        QListWidget *list = w.ui->historyList;
        list->setCurrentRow(3);
        const QString formerRow2 = list->item(2)->text();

        qRegisterMetaType<QListWidgetItem *>();
        QSignalSpy rowSpy(list, &QListWidget::currentRowChanged);
        QSignalSpy selectionSpy(list, &QListWidget::itemSelectionChanged);
        QSignalSpy itemSpy(list, &QListWidget::currentItemChanged);
        // A new solve: row 3 stays selected and now shows the solve that was in row 2.
        d.append(9000.0f, {}, {}, QString(), old, 0);
        setSession(w, d);
        w.updateHistory();
        QCOMPARE(list->currentRow(), 3);
        QCOMPARE(list->item(3)->text(), formerRow2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("3 weeks ago: 9.00\t"));
        QVERIFY(rowSpy.isEmpty() && selectionSpy.isEmpty() && itemSpy.isEmpty());
        QVERIFY(!list->signalsBlocked());
    }

    // One size for all rows must give the horizontal scroll range and row
    // height that measuring every row gives.
    void uniformRowSizeKeepsTheScrollRange()
    {
        Cadenza w;
        w.resize(900, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const qint64 old = QDateTime::currentSecsSinceEpoch() - twentyFourDays;
        // A first session of short rows sets a row size the second one must
        // replace; its widest row sits between short ones.
        SessionData narrow, d;
        for (int i = 0; i < 40; ++i)
            narrow.append(10000.0f, {}, {}, QString(), old, 0);
        setSession(w, narrow);
        w.updateHistory();
        QCoreApplication::processEvents();
        for (int i = 0; i < 31; ++i) {
            if (i == 12)
                d.append(11000.0f, {0.3f, 4}, {1000, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 11000},
                         QString(), old, 1);
            else
                d.append(float(10000 + i), {}, {}, QString(), old, 0);
        }
        setSession(w, d);
        w.updateHistory();
        QListWidget *list = w.ui->historyList;
        QTRY_VERIFY(list->horizontalScrollBar()->maximum() > 0);
        const int uniformRange = list->horizontalScrollBar()->maximum();
        const int uniformHeight = list->visualItemRect(list->item(30)).height();

        list->setUniformItemSizes(false);
        list->item(30)->setData(Qt::SizeHintRole, QVariant());
        list->doItemsLayout();
        QCoreApplication::processEvents();
        QCOMPARE(list->horizontalScrollBar()->maximum(), uniformRange);
        QCOMPARE(list->visualItemRect(list->item(30)).height(), uniformHeight);
        QCOMPARE(list->visualItemRect(list->item(0)).height(), uniformHeight);
    }
};

QTEST_MAIN(HistoryTest)
#include "test_history.moc"
