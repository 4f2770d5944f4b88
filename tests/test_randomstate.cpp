#include "puzzle/twophase.h"
#include "puzzle/permutation.h"
#include "testsupport.h"

#include <QtConcurrent/QtConcurrentMap>

using namespace cube;

static std::vector<int> moves(const char *text)
{
    std::vector<int> m;
    if (!parseMoves(QString::fromLatin1(text), m))
        qFatal("not a move sequence: %s", text);
    return m;
}

class RandomStateTest : public QObject
{
    Q_OBJECT
private slots:
    void turnsFormTheCubeGroup()
    {
        // How often a sequence must be applied to solve the cube again: a wrong turn table breaks these.
        const struct { const char *seq; int order; } orders[] = {{"R", 4}, {"L2", 2}, {"U'", 4}, {"D", 4}, {"F", 4},
            {"B2", 2}, {"R U R' U'", 6}, {"R U", 105}, {"R U2 D' B D'", 1260}};
        for (const auto &o : orders) {
            int n = 1;
            for (Cube c = applyMoves(Cube(), moves(o.seq)); c != Cube() && n < 5000; ++n)
                c = applyMoves(c, moves(o.seq));
            QVERIFY2(n == o.order, o.seq);
        }
        // Worked out with a cube in hand: which colour lands on one sticker (face, index row by row) after one turn.
        const struct { const char *seq; int face, index, colour; } stickers[] = {
            {"R", NetU, 2, NetF}, {"R", NetF, 2, NetD}, {"R", NetD, 2, NetB}, {"R", NetB, 6, NetU},
            {"R", NetL, 0, NetL}, {"R", NetR, 0, NetR}, {"U", NetF, 0, NetR}, {"U", NetL, 2, NetF},
            {"F", NetU, 6, NetL}, {"F", NetR, 0, NetU}, {"F", NetD, 0, NetR}, {"F", NetL, 2, NetD},
            {"B", NetU, 0, NetR}, {"L", NetU, 0, NetB}, {"D", NetF, 6, NetL}, {"U'", NetF, 0, NetL}};
        for (const auto &c : stickers)
            QVERIFY2(facelets(applyMoves(Cube(), moves(c.seq)))[std::size_t(c.face * 9 + c.index)] == c.colour, c.seq);
        // A sequence and its inverse cancel; each state reached is reachable.
        const std::vector<int> s = moves("R U2 D' B D' F L' B2 U R2");
        QCOMPARE(applyMoves(applyMoves(Cube(), s), inverseMoves(s)), Cube());
        QVERIFY(isSolvable(applyMoves(Cube(), s)));
        QCOMPARE(movesText(s), QStringLiteral("R U2 D' B D' F L' B2 U R2"));
        std::vector<int> bad;
        for (const char *text : {"R3", "X", "R2'", "r"})
            QVERIFY2(!parseMoves(QString::fromLatin1(text), bad), text);
    }

    void scramblesReachUniformStatesInAtMost21MovesAndOnlyReachableStatesSolve()
    {
        const std::shared_ptr<const twophase::Tables> tables = twophase::buildTables();
        // 6,000 scrambles, on every core; each draws from its own fixed seed, so the run is the same every time.
        std::vector<twophase::RandomScramble> drawn(6000);
        QtConcurrent::blockingMap(drawn, [&](twophase::RandomScramble &d) {
            std::mt19937_64 rng(std::uint64_t(&d - drawn.data() + 1) * 0x9e3779b97f4a7c15ull);
            d = twophase::randomStateScramble(*tables, rng);
        });
        // Each place on its own: which piece sits there, and how it is turned; and the corners' parity.
        const struct { const char *what; int places, bins; } kinds[] = {{"edge place", 12, 12}, {"edge flip", 12, 2},
            {"corner place", 8, 8}, {"corner twist", 8, 3}, {"parity", 1, 2}}; // places fall along the table
        long counts[5][12 * 12] = {}; // kind, place * bins + value
        for (const twophase::RandomScramble &d : drawn) {
            std::vector<int> s;
            QVERIFY(parseMoves(d.text, s) && !s.empty() && s.size() <= 21);
            QCOMPARE(applyMoves(Cube(), s), d.state);
            for (std::size_t i = 1; i < s.size(); ++i) { // no face twice in a row, no axis three times
                const int f = moveFace(s[i]), f1 = moveFace(s[i - 1]), f2 = i >= 2 ? moveFace(s[i - 2]) : -2;
                QVERIFY2(f != f1 && !(f / 2 == f1 / 2 && f1 / 2 == f2 / 2), qPrintable(d.text));
            }
            for (int p = 0; p < 12; ++p) {
                const int at[5] = {d.state.ep[p], d.state.eo[p], d.state.cp[p % 8], d.state.co[p % 8],
                                   permutation::parity(d.state.cp.data(), 8)};
                for (int k = 0; k < 5 && p < kinds[k].places; ++k)
                    ++counts[k][p * kinds[k].bins + at[k]];
            }
        }
        for (int k = 0; k < 5; ++k)
            for (int p = 0, bins = kinds[k].bins; p < kinds[k].places; ++p) {
                QVERIFY2(chiSquarePasses(std::vector<long>(counts[k] + p * bins, counts[k] + (p + 1) * bins)),
                         qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(kinds[k].what)).arg(p)));
            }
        // The check can fail: place 0 of a biased draw (one in ten keeps the first corner home) stands out.
        std::vector<long> biased(8);
        std::mt19937_64 rng(7);
        for (int i = 0; i < 6000; ++i)
            ++biased[std::size_t(i % 10 == 0 ? 0 : twophase::randomCube(rng).cp[0])];
        QVERIFY(!chiSquarePasses(biased));

        // Unreachable states have no solution; the superflip (every edge flipped) needs 20 moves.
        std::vector<int> solution;
        Cube unsolvable[3], superflip; // a twisted corner, a flipped edge, two edges swapped
        unsolvable[0].co[0] = unsolvable[1].eo[3] = 1;
        std::swap(unsolvable[2].ep[0], unsolvable[2].ep[1]);
        for (const Cube &c : unsolvable)
            QVERIFY(!isSolvable(c) && !twophase::solve(*tables, c, solution));
        superflip.eo.fill(1);
        QVERIFY(twophase::solve(*tables, superflip, solution) && solution.size() <= 21);
        QCOMPARE(applyMoves(superflip, solution), Cube());
        QVERIFY(twophase::solve(*tables, Cube(), solution) && solution.empty());

        // A search with no answer (the superflip in 19 moves) gives up after its node budget instead of
        // running for hours; a scramble whose search does so is one of the 21-move generator, and says so.
        std::uint64_t visited = 0;
        QVERIFY(!twophase::solve(*tables, superflip, solution, 19, 200000, &visited));
        QVERIFY2(visited > 200000 && visited < 200100, qPrintable(QString::number(visited)));
        std::mt19937_64 rng2(8);
        const twophase::RandomScramble fallback = twophase::randomStateScramble(*tables, rng2, 1);
        QVERIFY(!fallback.randomState && fallback.moves.size() == 21);
        QCOMPARE(applyMoves(Cube(), moves(qPrintable(fallback.text))), fallback.state);
    }
};

QTEST_MAIN(RandomStateTest)
#include "test_randomstate.moc"
