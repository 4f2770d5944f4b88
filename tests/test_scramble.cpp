#include "app/scramble.h"

#include <QStringList>
#include <QtTest>
#include <cstdlib>
#include <random>
#include <set>

// Every rule of the scramble generator, over many generated scrambles.
class ScrambleTest : public QObject
{
    Q_OBJECT

    static int face(const QString &move) { return QStringLiteral("RLUDFB").indexOf(move.at(0)); }

    static void checkRules(const QString &scramble, std::set<int> &halfCounts)
    {
        QVERIFY2(!scramble.startsWith(' ') && !scramble.endsWith(' ') && !scramble.contains(QLatin1String("  ")),
                 qPrintable(scramble));
        const QStringList moves = scramble.split(' ');
        QCOMPARE(moves.size(), 21);
        int halves = 0, primes = 0;
        for (int k = 0; k < 21; ++k) {
            const QString &m = moves[k];
            QVERIFY2(m.size() == 1 || (m.size() == 2 && (m[1] == '2' || m[1] == '\'')), qPrintable(scramble));
            const int f = face(m);
            QVERIFY2(f >= 0, qPrintable(scramble));
            halves += m.endsWith('2');
            primes += m.endsWith('\'');
            if (k >= 1)
                QVERIFY2(f != face(moves[k - 1]), qPrintable(scramble));
            if (k >= 2 && f == face(moves[k - 2]))
                QVERIFY2(f / 2 != face(moves[k - 1]) / 2, qPrintable(scramble));
        }
        QVERIFY2(halves >= 7 && halves <= 12, qPrintable(scramble));
        QVERIFY2(primes <= 20 - halves, qPrintable(scramble));
        halfCounts.insert(halves);
    }

private slots:
    void everyRuleHolds()
    {
        std::set<int> halfCounts;
        std::mt19937 rng(12345);
        for (int i = 0; i < 20000; ++i) {
            checkRules(makeScramble([&] { return int(rng() >> 1); }), halfCounts);
            if (QTest::currentTestFailed())
                return;
        }
        // The C library's generator, as the window uses it.
        for (unsigned seed = 0; seed < 2000; ++seed) {
            std::srand(seed);
            checkRules(makeScramble([] { return std::rand(); }), halfCounts);
            if (QTest::currentTestFailed())
                return;
        }
        QCOMPARE(halfCounts, (std::set<int>{7, 8, 9, 10, 11, 12}));
    }
};

QTEST_MAIN(ScrambleTest)
#include "test_scramble.moc"
