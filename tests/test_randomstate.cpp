#include "app/twophase.h"

#include <QtConcurrent/QtConcurrentMap>
#include <numeric>
#include <QtTest>
#include <cmath>

using cube::Cube;

namespace {

std::vector<int> moves(const char *text)
{
    std::vector<int> m;
    if (!cube::parseMoves(QString::fromLatin1(text), m))
        qFatal("not a move sequence: %s", text);
    return m;
}

// How often the sequence must be applied to the solved cube to solve it again.
int order(const std::vector<int> &seq)
{
    Cube c = cube::applyMoves(Cube(), seq);
    int n = 1;
    for (; c != Cube() && n < 5000; ++n)
        c = cube::applyMoves(c, seq);
    return n;
}

// Pearson's statistic against equal expected counts, and the value it exceeds
// with probability 0.001 for its degrees of freedom (Wilson-Hilferty).
bool looksUniform(const std::vector<long> &counts, double &statistic, double &critical)
{
    double total = 0;
    for (const long c : counts)
        total += double(c);
    const double expected = total / double(counts.size());
    statistic = 0;
    for (const long c : counts)
        statistic += (double(c) - expected) * (double(c) - expected) / expected;
    const double k = double(counts.size() - 1), z = 3.0902;
    critical = k * std::pow(1 - 2 / (9 * k) + z * std::sqrt(2 / (9 * k)), 3);
    return statistic <= critical;
}

struct Drawn
{
    std::uint64_t seed = 0;
    Cube state;
    std::vector<int> scramble;
};

} // namespace

class RandomStateTest : public QObject
{
    Q_OBJECT
private slots:
    void turnsFormTheCubeGroup()
    {
        // Orders known from the cube's group: a wrong turn table breaks them.
        const struct { const char *seq; int order; } cases[] = {
            {"R", 4}, {"L2", 2}, {"U'", 4}, {"D", 4}, {"F", 4}, {"B2", 2},
            {"R U R' U'", 6}, {"R U", 105}, {"R U2 D' B D'", 1260}, {"F B' U2 L R'", 0}};
        for (const auto &c : cases)
            if (c.order)
                QVERIFY2(order(moves(c.seq)) == c.order, c.seq);
        // A sequence and its inverse cancel; each state reached is reachable.
        const std::vector<int> s = moves("R U2 D' B D' F L' B2 U R2");
        QCOMPARE(cube::applyMoves(cube::applyMoves(Cube(), s), cube::inverseMoves(s)), Cube());
        QVERIFY(cube::isSolvable(cube::applyMoves(Cube(), s)));
        QCOMPARE(cube::movesText(s), QStringLiteral("R U2 D' B D' F L' B2 U R2"));
        std::vector<int> bad;
        for (const char *text : {"R3", "X", "R2'", "r"})
            QVERIFY2(!cube::parseMoves(QString::fromLatin1(text), bad), text);
    }

    void stickersAfterSingleTurns()
    {
        using namespace cube;
        // Worked out with a cube in hand: which colour lands on one sticker
        // (face, index row by row) after one turn.
        const struct { const char *seq; int face, index, colour; } cases[] = {
            {"R", NetU, 2, NetF}, {"R", NetF, 2, NetD}, {"R", NetD, 2, NetB}, {"R", NetB, 6, NetU},
            {"R", NetL, 0, NetL}, {"R", NetR, 0, NetR}, {"U", NetF, 0, NetR}, {"U", NetL, 2, NetF},
            {"F", NetU, 6, NetL}, {"F", NetR, 0, NetU}, {"F", NetD, 0, NetR}, {"F", NetL, 2, NetD},
            {"B", NetU, 0, NetR}, {"L", NetU, 0, NetB}, {"D", NetF, 6, NetL}, {"U'", NetF, 0, NetL}};
        for (const auto &c : cases) {
            const Facelets f = facelets(applyMoves(Cube(), moves(c.seq)));
            QVERIFY2(f[std::size_t(c.face * 9 + c.index)] == c.colour, c.seq);
        }
    }

    void scramblesReachUniformStatesInAtMost21Moves()
    {
        QElapsedTimer clock;
        clock.start();
        const std::shared_ptr<const twophase::Tables> tables = twophase::buildTables();
        const qint64 buildMs = clock.restart();

        // 20,000 scrambles, on every core; each draws from its own fixed seed,
        // so the run is the same every time.
        std::vector<Drawn> drawn(20000);
        for (std::size_t i = 0; i < drawn.size(); ++i)
            drawn[i].seed = std::uint64_t(i + 1) * 0x9e3779b97f4a7c15ull;
        QtConcurrent::blockingMap(drawn, [&](Drawn &d) {
            std::mt19937_64 rng(d.seed);
            const twophase::RandomScramble r = twophase::randomStateScramble(*tables, rng);
            d.state = r.state;
            cube::parseMoves(r.text, d.scramble);
        });
        qInfo("tables %lld ms, 20000 scrambles %lld ms", buildMs, clock.elapsed());

        std::vector<long> cornerAt(64), cornerTwist(24), edgeAt(144), edgeFlip(24), parity(2);
        for (const Drawn &d : drawn) {
            const std::vector<int> &s = d.scramble;
            QVERIFY(!s.empty() && s.size() <= 21);
            QCOMPARE(cube::applyMoves(Cube(), s), d.state);
            for (std::size_t i = 1; i < s.size(); ++i) {
                const int f = cube::moveFace(s[i]), f1 = cube::moveFace(s[i - 1]);
                QVERIFY2(f != f1, qPrintable(cube::movesText(s)));
                QVERIFY2(i < 2 || !(f / 2 == f1 / 2 && f1 / 2 == cube::moveFace(s[i - 2]) / 2),
                         qPrintable(cube::movesText(s)));
            }
            for (int i = 0; i < 8; ++i) {
                ++cornerAt[std::size_t(i * 8 + d.state.cp[i])];
                ++cornerTwist[std::size_t(i * 3 + d.state.co[i])];
            }
            for (int i = 0; i < 12; ++i) {
                ++edgeAt[std::size_t(i * 12 + d.state.ep[i])];
                ++edgeFlip[std::size_t(i * 2 + d.state.eo[i])];
            }
            ++parity[std::size_t(cube::permutationParity(d.state.cp.data(), 8))];
        }

        // Each place on its own: which piece sits there, and how it is turned.
        const auto check = [](const std::vector<long> &all, int places, int bins, const char *what) {
            for (int p = 0; p < places; ++p) {
                const std::vector<long> counts(all.begin() + p * bins, all.begin() + (p + 1) * bins);
                double x = 0, limit = 0;
                QVERIFY2(looksUniform(counts, x, limit), qPrintable(QStringLiteral("%1 %2: chi-square %3 > %4")
                                                                        .arg(QLatin1String(what)).arg(p).arg(x).arg(limit)));
            }
        };
        check(cornerAt, 8, 8, "corner place");
        check(cornerTwist, 8, 3, "corner twist");
        check(edgeAt, 12, 12, "edge place");
        check(edgeFlip, 12, 2, "edge flip");
        check(parity, 1, 2, "parity");

        // The check can fail: the pieces at place 0 of a biased draw (one in
        // ten draws keeps the first corner home) stand out.
        std::vector<long> biased(8);
        std::mt19937_64 rng(7);
        for (int i = 0; i < 20000; ++i)
            ++biased[std::size_t(i % 10 == 0 ? 0 : twophase::randomCube(rng).cp[0])];
        double x = 0, limit = 0;
        QVERIFY(!looksUniform(biased, x, limit));
    }

    void solvesOnlyReachableStates()
    {
        const std::shared_ptr<const twophase::Tables> tables = twophase::buildTables();
        std::vector<int> solution;
        Cube twisted, flipped, swapped;
        twisted.co[0] = 1;
        flipped.eo[3] = 1;
        std::swap(swapped.ep[0], swapped.ep[1]);
        for (const Cube &c : {twisted, flipped, swapped})
            QVERIFY(!cube::isSolvable(c) && !twophase::solve(*tables, c, solution));
        // The superflip (every edge flipped) needs 20 moves.
        Cube superflip;
        superflip.eo.fill(1);
        QVERIFY(twophase::solve(*tables, superflip, solution) && solution.size() <= 21);
        QCOMPARE(cube::applyMoves(superflip, solution), Cube());
        QVERIFY(twophase::solve(*tables, Cube(), solution) && solution.empty());
    }
};

QTEST_MAIN(RandomStateTest)
#include "test_randomstate.moc"
