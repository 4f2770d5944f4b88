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

    // Returns the number of half turns, or -1 when a rule is broken.
    static int halfTurnsIfValid(const QString &scramble)
    {
        const QStringList moves = scramble.split(' ');
        const auto face = [&](int k) { return QStringLiteral("RLUDFB").indexOf(moves[k].at(0)); };
        int halves = 0, primes = 0;
        for (int k = 0; k < moves.size(); ++k) {
            const QString &m = moves[k];
            if (m.isEmpty() || m.size() > 2 || (m.size() == 2 && m[1] != '2' && m[1] != '\'') || face(k) < 0
                || (k >= 1 && face(k) == face(k - 1))
                || (k >= 2 && face(k) == face(k - 2) && face(k) / 2 == face(k - 1) / 2)) // R L R
                return -1;
            halves += m.endsWith('2');
            primes += m.endsWith('\'');
        }
        return moves.size() == 21 && halves >= 7 && halves <= 12 && primes <= 20 - halves ? halves : -1;
    }

private slots:
    void everyRuleHolds()
    {
        std::set<int> halfCounts;
        std::mt19937 rng(12345);
        for (int i = 0; i < 22000; ++i) {
            // Then the C library's generator, as the window uses it.
            if (i >= 20000)
                std::srand(unsigned(i - 20000));
            const QString s = i < 20000 ? makeScramble([&] { return int(rng() >> 1); })
                                        : makeScramble([] { return std::rand(); });
            const int halves = halfTurnsIfValid(s);
            QVERIFY2(halves >= 0, qPrintable(s));
            halfCounts.insert(halves);
        }
        QCOMPARE(halfCounts, (std::set<int>{7, 8, 9, 10, 11, 12}));
    }
};

QTEST_MAIN(ScrambleTest)
#include "test_scramble.moc"
