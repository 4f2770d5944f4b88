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

qint64 localSecs(int y, int m, int d, int h, int min, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::LocalTime).toSecsSinceEpoch();
}

QDateTime localTime(int y, int m, int d, int h, int min, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::LocalTime);
}

// Runs a block with the local time zone set to `zone`, then restores it.
class TimeZone
{
public:
    explicit TimeZone(const char *zone)
        : old(qgetenv("TZ")), had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZone()
    {
        if (had)
            qputenv("TZ", old);
        else
            qunsetenv("TZ");
        tzset();
    }

private:
    QByteArray old;
    bool had;
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

QStringList listTexts(const QListWidget *list)
{
    QStringList texts;
    for (int r = 0; r < list->count(); ++r)
        texts << list->item(r)->text();
    return texts;
}

// The twelve-solve session of the label examples: newest 12.34, current Ao5
// 12.00, Ao12 13.10, best single 9.00.
SessionData twelveSolves(qint64 date)
{
    SessionData d;
    const float times[] = {9000, 20000, 14400, 14400, 14400, 14400, 14400, 10000, 11660, 12000, 13000, 12340};
    for (float t : times)
        d.append(t, {}, {}, QStringLiteral("R U"), date, 0);
    return d;
}

} // namespace

class HistoryTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }

    void numberFormat()
    {
        QCOMPARE(formatSeconds(12345.0f), QStringLiteral("12.35"));
        QCOMPARE(formatSeconds(9870.0f), QStringLiteral("9.87"));
        QCOMPARE(formatSeconds(0.0f), QStringLiteral("0.00"));
        QCOMPARE(formatSeconds(125.0f), QStringLiteral("0.13")); // halves away from zero
        QCOMPARE(formatSeconds(-12345.0f), QStringLiteral("-12.35"));
        QCOMPARE(formatSeconds(3.5e9f), QStringLiteral("3500000.00"));
        // Nothing on screen is a negative zero, an infinity or a NaN.
        QCOMPARE(formatSeconds(-1.0f), QStringLiteral("0.00"));
        QCOMPARE(formatSeconds(-0.0f), QStringLiteral("0.00"));
        QCOMPARE(formatSeconds(std::numeric_limits<float>::infinity()), QStringLiteral("-"));
        QCOMPARE(formatSeconds(std::numeric_limits<float>::quiet_NaN()), QStringLiteral("-"));
        QCOMPARE(formatFixed(-0.3, 0), QStringLiteral("0"));
        QCOMPARE(formatFixed(-0.04, 1), QStringLiteral("0.0"));
        QCOMPARE(formatFixed(2.5, 1), QStringLiteral("2.5"));
        QCOMPARE(formatFixed(std::nan(""), 1), QStringLiteral("-"));
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

    void ageTexts()
    {
        QCOMPARE(ageText(0), QStringLiteral("today"));
        QCOMPARE(ageText(1), QStringLiteral("yesterday"));
        QCOMPARE(ageText(6), QStringLiteral("6 days ago"));
        QCOMPARE(ageText(7), QStringLiteral("last week"));
        QCOMPARE(ageText(8), QStringLiteral("last week"));
        QCOMPARE(ageText(13), QStringLiteral("last week"));
        QCOMPARE(ageText(14), QStringLiteral("2 weeks ago"));
        QCOMPARE(ageText(20), QStringLiteral("2 weeks ago"));
        QCOMPARE(ageText(21), QStringLiteral("3 weeks ago"));
        QCOMPARE(ageText(-1), QStringLiteral("-1 days ago"));
    }

    // Ages count local midnights, not periods of 24 hours.
    void calendarDaysAcrossDaylightSaving()
    {
        TimeZone zone("Europe/Berlin");
        {
            // Spring: 29 March 2026 has 23 hours.
            LocalDayCounter days(localTime(2026, 3, 30, 0, 30));
            QCOMPARE(days.daysAgo(localSecs(2026, 3, 30, 0, 5)), qint64(0));
            QCOMPARE(days.daysAgo(localSecs(2026, 3, 29, 23, 59)), qint64(1));
            QCOMPARE(days.daysAgo(localSecs(2026, 3, 29, 0, 10)), qint64(1));
            QCOMPARE(days.daysAgo(localSecs(2026, 3, 28, 23, 30)), qint64(2));
            QCOMPARE(days.daysAgo(localSecs(2026, 3, 16, 12, 0)), qint64(14));
        }
        {
            // Autumn: 25 October 2026 has 25 hours.
            LocalDayCounter days(localTime(2026, 10, 26, 0, 30));
            QCOMPARE(days.daysAgo(localSecs(2026, 10, 25, 0, 10)), qint64(1));
            QCOMPARE(days.daysAgo(localSecs(2026, 10, 24, 23, 50)), qint64(2));
            QCOMPARE(days.daysAgo(localSecs(2026, 10, 26, 0, 0)), qint64(0));
        }
        {
            // Weeks counted over the change.
            LocalDayCounter days(localTime(2026, 4, 12, 12, 0));
            QCOMPARE(days.daysAgo(localSecs(2026, 3, 29, 0, 30)), qint64(14));
            QCOMPARE(days.daysAgo(localSecs(2026, 3, 30, 23, 30)), qint64(13));
        }
    }

    void calendarDaysAroundMidnightAndInTheFuture()
    {
        TimeZone zone("Europe/Berlin");
        LocalDayCounter justAfter(localTime(2026, 6, 10, 0, 0, 30));
        QCOMPARE(justAfter.daysAgo(localSecs(2026, 6, 9, 23, 59, 50)), qint64(1));
        QCOMPARE(justAfter.daysAgo(localSecs(2026, 6, 10, 0, 0, 0)), qint64(0));
        LocalDayCounter justBefore(localTime(2026, 6, 10, 23, 59, 59));
        QCOMPARE(justBefore.daysAgo(localSecs(2026, 6, 10, 0, 0, 0)), qint64(0));
        QCOMPARE(justBefore.daysAgo(localSecs(2026, 6, 11, 0, 0, 1)), qint64(-1));
        QCOMPARE(justBefore.daysAgo(localSecs(2026, 6, 12, 18, 0)), qint64(-2));
        // Far from now, or nonsense, gives a number and no failure.
        QCOMPARE(justBefore.daysAgo(localSecs(2016, 6, 10, 12, 0)), qint64(3652));
        QVERIFY(justBefore.daysAgo(std::numeric_limits<qint64>::min()) > 100000);
        QVERIFY(justBefore.daysAgo(std::numeric_limits<qint64>::max()) < -100000);
    }

    void rowTexts()
    {
        TimeZone zone("Europe/Berlin");
        const QDateTime now = localTime(2026, 6, 10, 15, 0);
        SessionData d;
        d.append(15020.0f, {}, {}, QString(), localSecs(2026, 5, 20, 12, 0), 0);       // 21 days
        d.append(9000.0f, {}, {}, QString(), localSecs(2026, 6, 9, 8, 0), -1);         // yesterday, DNF
        d.append(10000.0f, {}, {5000}, QString(), localSecs(2026, 6, 10, 9, 0), 7);    // one split, odd code
        d.append(11000.0f, {0.25f, 1234567}, {}, QString(), localSecs(2026, 6, 3, 9, 0), 0);
        d.append(12340.0f, {0.12f, 3}, {2100, 5310, 3200, 1740}, QString(), localSecs(2026, 6, 10, 14, 0), 1);
        const QStringList rows = historyRowTexts(d.view(), now);
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows[0], QStringLiteral("today: 12.34(+2)\tsplits:2.10 5.31 3.20 1.74 \tpause: 1.48 (12%) 3x"));
        QCOMPARE(rows[1], QStringLiteral("last week: 11.00\tpause: 2.75 (25%) 1.23457e+06x"));
        QCOMPARE(rows[2], QStringLiteral("today: 10.00\t"));
        QCOMPARE(rows[3], QStringLiteral("yesterday: (DNF)\t"));
        QCOMPARE(rows[4], QStringLiteral("3 weeks ago: 15.02\t"));
        LocalDayCounter days(now);
        QCOMPARE(historyRowText(d.view(), 4, days), rows[0]);
    }

    void figureTexts()
    {
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
        QCOMPARE(statsPauseText(computeSessionFigures(two.view(), 1)),
                 QStringLiteral("Avg Pause: 1.23 sec (10%, 2.5x)\nSplits: 2.10 | 5.31 | - | -"));
        QCOMPARE(statsPauseText(computeSessionFigures(two.view(), 2)),
                 QStringLiteral("Avg Pause: 1.23 sec (10%, 2.5x)\nSplits: 2.10 | 5.31"));
        QCOMPARE(statsPauseText(computeSessionFigures(two.view(), 0)), QStringLiteral("Avg Pause: 1.23 sec (10%, 2.5x)"));
    }

    void windowShowsLabelsAndRows()
    {
        Cadenza w;
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        // Three weeks and a half back: "3 weeks ago" whatever the clock says.
        const qint64 old = now - 24 * 86400;
        SessionData one;
        one.append(12340.0f, {}, {}, QStringLiteral("R"), old, 0);
        setSession(w, one);
        w.currentScramble = QStringLiteral("F2 U' B");
        w.updateHistory();
        QCOMPARE(w.ui->statsAvgLabel->text(), QStringLiteral("12.34 | - | - | - | - | -"));
        QCOMPARE(w.ui->statsPBLabel->text(), QStringLiteral("12.34 | - | - | - | -"));
        QCOMPARE(w.ui->statsLabel->text(), QStringLiteral("Avg Pause: 0.00 sec (0%, 0.0x)"));
        QCOMPARE(listTexts(w.ui->historyList), QStringList{QStringLiteral("3 weeks ago: 12.34\t")});
        QCOMPARE(w.ui->scrambleLabel->text(), QStringLiteral("F2 U' B"));

        setSession(w, twelveSolves(old));
        w.updateHistory();
        QCOMPARE(w.ui->statsAvgLabel->text(), QStringLiteral("12.34 | 12.00 | 13.10 | - | - | -"));
        QCOMPARE(w.ui->statsPBLabel->text(), QStringLiteral("9.00 | 12.00 | 13.10 | - | -"));
        QCOMPARE(w.ui->historyList->count(), 12);
        QCOMPARE(w.ui->historyList->item(0)->text(), QStringLiteral("3 weeks ago: 12.34\t"));
        QCOMPARE(w.ui->historyList->item(11)->text(), QStringLiteral("3 weeks ago: 9.00\t"));

        // A DNF as newest solve: its recorded time still leads the label.
        w.penalties.back() = -1;
        w.updateHistory();
        QVERIFY(w.ui->statsAvgLabel->text().startsWith(QStringLiteral("12.34 | ")));
        QCOMPARE(w.ui->historyList->item(0)->text(), QStringLiteral("3 weeks ago: (DNF)\t"));

        // The splits line follows the splits selection, not the stored splits.
        SessionData splitSolves;
        for (int i = 0; i < 2; ++i)
            splitSolves.append(12300.0f, {0.1f, 2 + i}, {2100, 5310, 3200, 1750}, QString(), old, 0);
        setSession(w, splitSolves);
        w.ui->splitsCombo->setCurrentIndex(0);
        w.updateHistory();
        QCOMPARE(w.ui->statsLabel->text(), QStringLiteral("Avg Pause: 1.23 sec (10%, 2.5x)"));
        w.ui->splitsCombo->setCurrentIndex(1);
        w.updateHistory();
        QCOMPARE(w.ui->statsLabel->text(),
                 QStringLiteral("Avg Pause: 1.23 sec (10%, 2.5x)\nSplits: 2.10 | 5.31 | 3.20 | 1.75"));
    }

    void rowKeptByPositionWithoutSignals()
    {
        Cadenza w;
        const qint64 old = QDateTime::currentSecsSinceEpoch() - 24 * 86400;
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
        // A new solve arrives: row 3 stays selected and now shows the solve
        // that was in row 2.
        w.times.push_back(9000.0f);
        w.dates.push_back(old);
        w.pauseStats.push_back({});
        w.splits.push_back({});
        w.scrambles.append(QString());
        w.penalties.push_back(0);
        w.updateHistory();
        QCOMPARE(list->currentRow(), 3);
        QCOMPARE(list->item(3)->text(), formerRow2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("3 weeks ago: 9.00\t"));
        QCOMPARE(rowSpy.count(), 0);
        QCOMPARE(selectionSpy.count(), 0);
        QCOMPARE(itemSpy.count(), 0);
        QVERIFY(!list->signalsBlocked());
    }

    void clearingKeepsTheFigureLabels()
    {
        Cadenza w;
        setSession(w, twelveSolves(QDateTime::currentSecsSinceEpoch()));
        w.updateHistory();
        const QString avg = w.ui->statsAvgLabel->text();
        const QString pb = w.ui->statsPBLabel->text();
        QVERIFY(!w.ui->statsLabel->text().isEmpty());
        w.currentScramble = QStringLiteral("L2 D");
        w.on_actionClear_Times_triggered();
        QVERIFY(w.times.empty());
        QCOMPARE(w.ui->historyList->count(), 0);
        QCOMPARE(w.ui->statsLabel->text(), QString());
        QCOMPARE(w.ui->statsAvgLabel->text(), avg);
        QCOMPARE(w.ui->statsPBLabel->text(), pb);
        QCOMPARE(w.ui->scrambleLabel->text(), QStringLiteral("L2 D"));
    }

    // One size for all rows must not change what the list shows: the same
    // horizontal scroll range and row height as measuring every row.
    void uniformRowSizeKeepsTheScrollRange()
    {
        Cadenza w;
        w.resize(900, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const qint64 old = QDateTime::currentSecsSinceEpoch() - 24 * 86400;
        // A first session of short rows sets a row size; the second one must
        // replace it. Its widest row sits between short ones.
        SessionData narrow;
        for (int i = 0; i < 40; ++i)
            narrow.append(10000.0f, {}, {}, QString(), old, 0);
        setSession(w, narrow);
        w.updateHistory();
        QCoreApplication::processEvents();
        SessionData d;
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
