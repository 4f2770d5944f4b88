#include "display/puzzlepicture.h"
#include "puzzle/clock.h"
#include "puzzle/cube.h"
#include "puzzle/eventscramble.h"
#include "puzzle/square1.h"
#include "puzzle/puzzles.h"
#include "puzzle/randomscrambler.h"

#include "testsupport.h"

#include <QRegularExpression>
#include <QSignalSpy>

using events::Event;
using twisty::Puzzle;
using twisty::State;

namespace {

State after(const Puzzle &p, const char *scramble)
{
    State s;
    if (!p.afterScramble(QString::fromLatin1(scramble), s))
        qFatal("not a scramble: %s", scramble);
    return s;
}

int order(const Puzzle &p, const char *sequence)
{
    const State once = after(p, sequence);
    std::vector<int> m;
    p.parse(QString::fromLatin1(sequence), m);
    int n = 1;
    for (State s = once; s != p.solved() && n < 10000; ++n)
        s = p.apply(s, m);
    return n;
}

// Which piece and twist each place holds over many positions, each place
// against the pieces its place can hold (the places the moves carry it to)
// and every twist, where the place moves at all. False names the first place
// that fails.
QString piecesUniform(const Puzzle &p, const twisty::Orbit &orbit, const std::vector<int> &moves,
                      const std::vector<twisty::Pieces> &seen)
{
    const std::size_t n = orbit.places.size();
    const int twists = int(orbit.places[0].size());
    std::vector<twisty::PieceMove> pm(moves.size());
    for (std::size_t m = 0; m < moves.size(); ++m)
        twisty::pieceMove(p, orbit, moves[m], pm[m]);
    for (std::size_t place = 0; place < n; ++place) {
        std::vector<bool> reach(n);
        reach[place] = true;
        bool moved = false;
        for (bool grew = true; grew;) {
            grew = false;
            for (const twisty::PieceMove &m : pm)
                for (std::size_t t = 0; t < n; ++t) {
                    moved = moved || (t == place && (m.from[t] != t || m.twist[t] != 0));
                    if (reach[t] && !reach[m.from[t]])
                        grew = reach[m.from[t]] = true;
                }
        }
        std::vector<long> pieces(n), twist(static_cast<std::size_t>(twists));
        for (const twisty::Pieces &s : seen) {
            ++pieces[s.at[place]];
            ++twist[s.twist[place]];
        }
        std::vector<long> reachable;
        for (std::size_t i = 0; i < n; ++i)
            if (reach[i])
                reachable.push_back(pieces[i]);
        if (!moved)
            continue;
        if ((reachable.size() > 1 && !chiSquarePasses(reachable)) || (twists > 1 && !chiSquarePasses(twist)))
            return QStringLiteral("place %1").arg(place);
    }
    return QString();
}

} // namespace

class PuzzlesTest : public QObject
{
    Q_OBJECT
private slots:
    void modelsTurnAndUndo()
    {
        std::mt19937_64 rng(1);
        // The NxN model against the 3x3x3 cubie model (pieces and twists), and 2x2x2 against its corners.
        for (int i = 0; i < 100; ++i) {
            const QString s = eventscramble::randomMoveScramble(Event::Cube333, rng);
            cube::Cube c;
            QVERIFY(cube::cubeAfterScramble(s, c));
            const cube::Facelets f = cube::facelets(c);
            State three, two;
            QVERIFY(twisty::nxn(3).afterScramble(s, three));
            QVERIFY(std::equal(f.begin(), f.end(), three.begin()));
            const QString corners = eventscramble::randomMoveScramble(Event::Cube222, rng);
            QVERIFY(cube::cubeAfterScramble(corners, c) && twisty::nxn(2).afterScramble(corners, two));
            for (int k = 0; k < 24; ++k) // sticker (row, col) of a 2x2x2 face is (2 row, 2 col) of a 3x3x3 one
                QCOMPARE(two[std::size_t(k)], cube::facelets(c)[std::size_t(k / 4 * 9 + k % 4 / 2 * 6 + k % 2 * 2)]);
        }
        // Turning half of an even cube from both sides is a turn of the whole cube: solved, yet moved.
        for (const auto &[n, seq] : {std::pair<int, const char *>{4, "Rw Lw'"}, {6, "3Uw 3Dw'"}, {2, "F B'"}}) {
            const State s = after(twisty::nxn(n), seq);
            QVERIFY2(twisty::nxn(n).isSolved(s) && s != twisty::nxn(n).solved(), seq);
        }
        const struct { const Puzzle &p; const char *seq; int order; } orders[] = {
            {twisty::nxn(5), "Rw", 4}, {twisty::nxn(7), "3Fw2", 2}, {twisty::nxn(3), "R U", 105},
            {twisty::pyraminx(), "U", 3}, {twisty::pyraminx(), "u'", 3}, {twisty::skewb(), "R", 3},
            {twisty::megaminx(), "U", 5}, {twisty::megaminx(), "R++", 5}, {twisty::megaminx(), "D--", 5}};
        for (const auto &o : orders)
            QVERIFY2(order(o.p, o.seq) == o.order, o.seq);
        // Every model: a scramble and its inverse cancel, the scramble alone does not; words that are no move fail.
        for (const Event e : {Event::Cube222, Event::Cube444, Event::Cube555, Event::Cube666, Event::Cube777,
                              Event::Pyraminx, Event::Skewb, Event::Megaminx}) {
            const Puzzle &p = *eventscramble::stickerModel(e);
            QVERIFY(p.valid());
            std::vector<int> m;
            QVERIFY(p.parse(eventscramble::randomMoveScramble(e, rng), m));
            QVERIFY(!p.isSolved(p.apply(p.solved(), m)));
            QVERIFY(p.isSolved(p.apply(p.apply(p.solved(), m), p.inverse(m))));
        }
        std::vector<int> m;
        for (const auto &[p, word] : {std::pair<const Puzzle *, const char *>{&twisty::nxn(4), "R3"}, {&twisty::nxn(4), "4Rw"},
                                      {&twisty::nxn(3), "Rw2'"}, {&twisty::pyraminx(), "U2"}, {&twisty::skewb(), "F"},
                                      {&twisty::megaminx(), "R+"}, {&twisty::megaminx(), "R"}})
            QVERIFY2(!p->parse(QLatin1String(word), m), word);

        // The Clock: a move turns the dials by the raised pins, and the corner behind the other way.
        clockpuzzle::Clock c;
        QVERIFY(clockpuzzle::clockAfterScramble(QStringLiteral("UR3+ y2 U1- UR"), c));
        const std::array<std::uint8_t, 9> front{{1, 3, 4, 0, 3, 3, 0, 0, 0}}, back{{8, 11, 11, 11, 11, 11, 0, 0, 0}};
        QCOMPARE(c.front, front);
        QCOMPARE(c.back, back);
        QCOMPARE(c.pinsUpFront, clockpuzzle::UR | clockpuzzle::DL | clockpuzzle::DR); // UR up behind: UL down in front
        for (int i = 0; i < 50; ++i) {
            const QString s = clockpuzzle::randomMoveScramble(rng);
            QString undo;
            QVERIFY(clockpuzzle::inverseScramble(s, undo));
            QVERIFY(clockpuzzle::clockAfterScramble(s + QLatin1Char(' ') + undo, c) && clockpuzzle::isSolved(c));
        }
        for (const char *bad : {"UR7+", "UR3", "y2 X1+", "UR3+ DX"})
            QVERIFY2(!clockpuzzle::clockAfterScramble(QLatin1String(bad), c), bad);
    }

    void randomMoveScramblesFollowTheNotation()
    {
        std::mt19937_64 rng(2);
        const QRegularExpression cubeWord(QStringLiteral("^(3(?=.w))?([RLUDFB])(w?)(['2]?)$")),
            clock(QStringLiteral("^((UR|DR|DL|UL|U|R|D|L|ALL)([0-5][+-]|6\\+) ){9}y2 ((U|R|D|L|ALL)([0-5][+-]|6\\+) ){4}"
                                 "(U|R|D|L|ALL)([0-5][+-]|6\\+)( UR)?( DR)?( DL)?( UL)?$")),
            megaLine(QStringLiteral("^(R(\\+\\+|--) D(\\+\\+|--) ){5}U'?$")),
            tips(QStringLiteral("^(u'?)?( ?l'?)?( ?r'?)?( ?b'?)?$"));
        for (const Event e : events::allEvents())
            for (int i = 0; i < 200; ++i) {
                const QString s = eventscramble::randomMoveScramble(e, rng);
                const QStringList w = s.split(QLatin1Char(' '));
                const int n = eventscramble::cubeSize(e);
                std::vector<int> m;
                if (e == Event::Cube222) {
                    QCOMPARE(w.size(), 11);
                    for (int k = 1; k < w.size(); ++k)
                        QVERIFY2(w[k][0] != w[k - 1][0] && QStringLiteral("RUF").contains(w[k][0]), qPrintable(s));
                } else if (n > 0) {
                    QCOMPARE(w.size(), n == 3 ? 21 : n == 4 ? 40 : n == 5 ? 60 : n == 6 ? 80 : 100);
                    // The 3x3x3's: 7 to 12 half turns, and no more quarter turns than the rest.
                    QVERIFY2(n != 3 || (s.count('2') >= 7 && s.count('2') <= 12 && s.count('\'') <= 20 - s.count('2')), qPrintable(s));
                    int axis[2] = {-1, -2};
                    QString last;
                    for (const QString &word : w) {
                        const QRegularExpressionMatch mm = cubeWord.match(word);
                        QVERIFY2(mm.hasMatch(), qPrintable(word));
                        const int depth = mm.captured(1).isEmpty() ? (mm.captured(3).isEmpty() ? 1 : 2) : 3;
                        const int a = int(QStringLiteral("RLUDFB").indexOf(mm.captured(2))) / 2;
                        QVERIFY2(depth <= n / 2 && !(n % 2 == 0 && depth == n / 2 && QStringLiteral("LDB").contains(mm.captured(2))),
                                 qPrintable(word));
                        // Never one axis three times in a row, nor the same layers twice.
                        const QString layers = mm.captured(1) + mm.captured(2) + mm.captured(3);
                        QVERIFY2(!(a == axis[0] && a == axis[1]) && !(a == axis[0] && layers == last), qPrintable(s));
                        axis[1] = axis[0];
                        axis[0] = a;
                        last = layers;
                    }
                } else if (e == Event::Pyraminx || e == Event::Skewb) {
                    const QString letters = e == Event::Skewb ? QStringLiteral("RULB") : QStringLiteral("ULRB");
                    QVERIFY(w.size() >= 11 && w.size() <= (e == Event::Skewb ? 11 : 15));
                    for (int k = 0; k < 11; ++k)
                        QVERIFY2(letters.contains(w[k][0]) && (k == 0 || w[k][0] != w[k - 1][0]), qPrintable(s));
                    QVERIFY2(tips.match(QStringList(w.mid(11)).join(QLatin1Char(' '))).hasMatch(), qPrintable(s));
                } else if (e == Event::Megaminx) {
                    const QStringList lines = s.split(QLatin1Char('\n'));
                    QCOMPARE(lines.size(), 7);
                    for (const QString &line : lines)
                        QVERIFY2(megaLine.match(line).hasMatch(), qPrintable(line));
                } else if (e == Event::Clock) {
                    QVERIFY2(clock.match(s).hasMatch(), qPrintable(s));
                } else if (e == Event::Square1) { // its notation and slices are checked with its model in test_square1
                    square1::State sq;
                    QVERIFY2(square1::stateAfterScramble(s, sq), qPrintable(s));
                    continue;
                } else {
                    QVERIFY(s.isEmpty()); // Other
                    continue;
                }
                clockpuzzle::Clock c;
                QVERIFY2(n == 3 ? cube::parseMoves(s, m)
                                : e == Event::Clock ? clockpuzzle::clockAfterScramble(s, c)
                                                    : eventscramble::stickerModel(e)->parse(s, m),
                         qPrintable(s));
            }
    }

    void randomStatesAreUniformReachedAndShort()
    {
        const struct { Event e; long positions; int minimum; const char *moves; } puzzles[] = {
            {Event::Cube222, 3674160, 4, "R U F"}, {Event::Pyraminx, 933120, 6, "U L R B"}, {Event::Skewb, 3149280, 7, "R U L B"}};
        for (const auto &z : puzzles) {
            const std::shared_ptr<const statetables::Tables> t = eventscramble::buildStateTables(z.e);
            QVERIFY(t);
            const std::vector<long> counts = statetables::distanceCounts(*t);
            // Every position, none farther than 11 moves (the known sizes and diameters of these puzzles).
            QCOMPARE(std::accumulate(counts.begin(), counts.end(), 0L), z.positions);
            QCOMPARE(counts.size(), std::size_t(12));
            if (z.e == Event::Cube222)
                QCOMPARE(counts, (std::vector<long>{1, 9, 54, 321, 1847, 9992, 50136, 227536, 870072, 1887748, 623800, 2644}));

            const Puzzle &p = *eventscramble::stickerModel(z.e);
            const statetables::Plan &plan = statetables::planOf(*t);
            std::vector<twisty::Orbit> orbits;
            for (const std::vector<int> &o : plan.orbits)
                orbits.push_back(twisty::orbitOf(p, o));
            if (z.e == Event::Pyraminx)
                orbits.push_back(twisty::orbitOf(p, {0, 1, 2, 3})); // the tips
            std::vector<std::vector<twisty::Pieces>> seen(orbits.size());
            std::vector<long> distances(12);
            std::mt19937_64 rng(3);
            for (int i = 0; i < 20000; ++i) {
                const eventscramble::Scramble s = eventscramble::randomStateScramble(z.e, *t, rng);
                State reached;
                QVERIFY(p.afterScramble(s.text, reached));
                QVERIFY2(reached == s.state, qPrintable(s.text));
                const int d = statetables::distanceOf(*t, s.state);
                const int words = int(s.text.split(QLatin1Char(' ')).size());
                QVERIFY2(d == s.distance && d >= z.minimum && d <= 11 && words <= d + (z.e == Event::Pyraminx ? 4 : 0),
                         qPrintable(s.text));
                ++distances[std::size_t(d)];
                for (std::size_t o = 0; o < orbits.size(); ++o) {
                    seen[o].emplace_back();
                    QVERIFY(twisty::read(p, orbits[o], s.state, seen[o].back()));
                }
            }
            std::vector<int> moves;
            p.parse(QLatin1String(z.moves) + (z.e == Event::Pyraminx ? " u l r b" : ""), moves);
            for (std::size_t o = 0; o < orbits.size(); ++o) {
                const QString failed = piecesUniform(p, orbits[o], moves, seen[o]);
                QVERIFY2(failed.isEmpty(), qPrintable(eventName(z.e) + QStringLiteral(" orbit %1 ").arg(o) + failed));
                // The check can fail: one draw in ten keeping the first moving place's piece at home stands out.
                std::vector<twisty::Pieces> biased = seen[o];
                const std::uint8_t place = z.e == Event::Cube222 || (z.e == Event::Skewb && o == 1) ? 1 : 0; // 0 never moves
                for (std::size_t i = 0; i < biased.size(); i += 10) {
                    biased[i].at[place] = place;
                    biased[i].twist[place] = 0;
                }
                QVERIFY(!piecesUniform(p, orbits[o], moves, biased).isEmpty());
            }
            // The distances drawn are those of all positions 4 moves or more from solved (2x2x2; the others alike).
            std::vector<long> drawn, all;
            for (std::size_t d = std::size_t(z.minimum); d < 12; ++d) {
                drawn.push_back(distances[d]);
                all.push_back(counts[d]);
            }
            const double total = double(std::accumulate(all.begin(), all.end(), 0L));
            std::vector<double> shares;
            for (const long c : all)
                shares.push_back(double(c) / total);
            QVERIFY2(chiSquarePasses(drawn, shares), qPrintable(eventName(z.e)));
            drawn.front() += 1000; // a draw that favours short scrambles fails
            QVERIFY(!chiSquarePasses(drawn, shares));
        }

        // Clock: 14 dials drawn uniformly, pins at random, reached by the scramble written for them.
        std::mt19937_64 rng(4);
        std::vector<std::vector<long>> dials(14, std::vector<long>(12)), pins(4, std::vector<long>(2));
        for (int i = 0; i < 20000; ++i) {
            clockpuzzle::Clock drawn, reached;
            const QString s = clockpuzzle::randomStateScramble(rng, &drawn);
            QVERIFY(clockpuzzle::clockAfterScramble(s, reached) && reached == drawn);
            for (int d = 0; d < 9; ++d)
                ++dials[std::size_t(d)][drawn.front[std::size_t(d)]];
            int k = 9;
            for (const int d : {1, 3, 4, 5, 7}) // the back's corners follow the front's
                ++dials[std::size_t(k++)][drawn.back[std::size_t(d)]];
            for (int p = 0; p < 4; ++p)
                ++pins[std::size_t(p)][(drawn.pinsUpFront >> p) & 1];
        }
        for (const std::vector<long> &c : dials)
            QVERIFY(chiSquarePasses(c));
        for (const std::vector<long> &c : pins)
            QVERIFY(chiSquarePasses(c));
        dials[0][0] += 200;
        QVERIFY(!chiSquarePasses(dials[0]));
    }

    void scramblerServesEveryEvent()
    {
        RandomStateScrambler scrambler;
        QSignalSpy ready(&scrambler, &RandomStateScrambler::tablesReady);
        // Random-move while the Pyraminx tables build (they start on first need), random-state once built.
        QVERIFY(!scrambler.ready(Event::Pyraminx));
        std::vector<int> m;
        QVERIFY(twisty::pyraminx().parse(scrambler.next(Event::Pyraminx, true), m) && !scrambler.lastWasRandomState());
        QVERIFY(ready.wait(60000));
        QCOMPARE(ready.takeFirst().at(0).value<Event>(), Event::Pyraminx);
        const std::shared_ptr<const statetables::Tables> tables = eventscramble::buildStateTables(Event::Pyraminx);
        for (int i = 0; i < 5; ++i) {
            State s;
            QVERIFY(twisty::pyraminx().afterScramble(scrambler.next(Event::Pyraminx, true), s));
            QVERIFY(scrambler.lastWasRandomState() && statetables::distanceOf(*tables, s) >= 6);
        }
        // Clock needs no tables; the other events without random-state scrambles, and the choice off, are random-move.
        QVERIFY(scrambler.ready(Event::Clock));
        scrambler.next(Event::Clock, true);
        QVERIFY(scrambler.lastWasRandomState());
        for (const Event e : {Event::Megaminx, Event::Cube444, Event::Skewb}) {
            QVERIFY(eventscramble::stickerModel(e)->parse(scrambler.next(e, e != Event::Skewb), m));
            QVERIFY(!scrambler.lastWasRandomState());
        }
        QVERIFY(cube::parseMoves(scrambler.next(Event::OneHanded333, false), m) && m.size() == 21);
        QVERIFY(scrambler.next(Event::Other, true).isEmpty());
        QVERIFY(!scrambler.ready(Event::Skewb) && !scrambler.ready(Event::Cube222)); // nothing built that was not needed
    }

    void picturesShowTheModel()
    {
        // One probe per face of a known scramble, the colours worked out with the puzzle in hand.
        enum { U, R, F, D, L, B };                               // cube and Skewb faces, and their colours
        enum { PF = 0, PL, PR, PD };                             // Pyraminx faces F L R D
        const struct { Event e; const char *scramble; std::vector<std::array<int, 3>> probes; } known[] = {
            // face, sticker, colour
            {Event::Cube222, "R", {{U, 1, F}, {R, 0, R}, {F, 1, D}, {D, 1, B}, {L, 0, L}, {B, 0, U}}},
            {Event::Cube444, "Rw", {{U, 2, F}, {U, 1, U}, {R, 5, R}, {F, 6, D}, {D, 15, B}, {L, 3, L}, {B, 1, U}}},
            {Event::Cube555, "Uw'", {{U, 12, U}, {R, 9, F}, {F, 0, L}, {F, 10, F}, {D, 0, D}, {L, 5, B}, {B, 4, R}}},
            {Event::Cube666, "3Fw", {{U, 18, L}, {U, 12, U}, {R, 2, U}, {F, 35, F}, {D, 12, R}, {L, 5, D}, {B, 0, B}}},
            {Event::Cube777, "3Rw", {{U, 4, F}, {U, 3, U}, {R, 24, R}, {F, 48, D}, {D, 6, B}, {L, 0, L}, {B, 2, U}}},
            // F U R L, L U L B, R U B R: each face's tips 0-2 and centres 3-5 by those vertices, edges 6-8.
            // U turns F's top to L as on a cube; R, seen from its corner, F's part to R's face, R's to D, D's to F.
            {Event::Pyraminx, "U", {{PF, 0, PR}, {PF, 7, PF}, {PL, 3, PF}, {PR, 6, PL}, {PD, 4, PD}}},
            {Event::Pyraminx, "u' R", {{PF, 0, PL}, {PF, 1, PD}, {PL, 0, PR}, {PR, 5, PF}, {PD, 1, PR}}},
            // Skewb R turns round the down-right-back corner: D's centre to R, R's to B, B's to D.
            {Event::Skewb, "R", {{U, 0, U}, {U, 2, F}, {R, 0, D}, {F, 0, F}, {D, 0, B}, {L, 0, L}, {B, 0, R}}},
        };
        const QSize size(480, 360);
        const auto picture = [&](Event e, const char *scramble) { // on black; none when the painter refuses the scramble
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::black);
            QPainter painter(&image);
            const bool painted = paintPuzzlePicture(painter, size, e, QLatin1String(scramble));
            painter.end();
            return painted ? image : QImage();
        };
        for (const auto &k : known) {
            const QImage image = picture(k.e, k.scramble);
            QVERIFY(!image.isNull());
            const int n = eventscramble::cubeSize(k.e), perFace = n > 0 ? n * n : k.e == Event::Skewb ? 5 : 9;
            for (const auto &p : k.probes)
                QVERIFY2(image.pixelColor(puzzleStickerProbe(size, k.e, p[0] * perFace + p[1])) == puzzleFaceColour(k.e, p[2]),
                         qPrintable(QStringLiteral("%1 %2: face %3 sticker %4").arg(eventName(k.e), QLatin1String(k.scramble))
                                        .arg(p[0]).arg(p[1])));
        }
        // Megaminx: U turns the upper five's top rows as U on a cube (F gets R's); R++ brings to U the
        // face below, between F and R (opposite BL), and to F the one opposite L. Every face probed once.
        const struct { const char *scramble; int edge; std::vector<std::array<int, 2>> faceColour; } mega[] = {
            {"U", 1, {{0, 0}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 1}, {6, 6}, {7, 7}, {8, 8}, {9, 9}, {10, 10}, {11, 11}}},
            {"R++", 0, {{0, 10}, {1, 11}, {2, 2}, {8, 8}}},
        };
        for (const auto &mg : mega) {
            const QImage image = picture(Event::Megaminx, mg.scramble);
            QVERIFY(!image.isNull());
            for (const auto &fc : mg.faceColour) {
                // The upper five's first edge (shared with U) after U, else the centres.
                const int sticker = fc[0] * 11 + (fc[0] >= 1 && fc[0] <= 5 ? mg.edge : 0);
                QVERIFY2(image.pixelColor(puzzleStickerProbe(size, Event::Megaminx, sticker))
                             == puzzleFaceColour(Event::Megaminx, fc[1]),
                         qPrintable(QStringLiteral("Megaminx %1 face %2").arg(QLatin1String(mg.scramble)).arg(fc[0])));
            }
        }
        // Clock: UR3+ turns front dials 1 2 4 5 to 3 and the corner behind dial 2 to 9; U1- behind turns the
        // back's top six back an hour and the corners in front of them forward; UR is left up behind.
        const QImage image = picture(Event::Clock, "UR3+ y2 U1- UR");
        QVERIFY(!image.isNull());
        const struct { bool back; int dial, hour; } hands[] = {{false, 0, 1}, {false, 2, 4}, {false, 4, 3}, {false, 8, 0},
                                                               {true, 0, 8}, {true, 5, 11}, {true, 7, 0}};
        for (const auto &h : hands)
            QVERIFY2(image.pixelColor(clockHandProbe(size, h.back, h.dial, h.hour)) == clockHandColour(),
                     qPrintable(QStringLiteral("side %1 dial %2").arg(h.back).arg(h.dial)));
        QVERIFY(image.pixelColor(clockHandProbe(size, false, 2, 3)) != clockHandColour()); // the hand is not everywhere
        const struct { bool back; int pin; bool up; } pinsUp[] = {{false, 0, false}, {false, 1, true}, {false, 3, true},
                                                                  {true, 0, false}, {true, 1, true}, {true, 2, false}};
        for (const auto &p : pinsUp)
            QCOMPARE(image.pixelColor(clockPinProbe(size, p.back, p.pin)), clockPinColour(p.up));
        for (const Event e : {Event::Other, Event::Pyraminx, Event::Clock})
            QVERIFY(picture(e, "R3").isNull());
    }
};

QTEST_MAIN(PuzzlesTest)
#include "test_puzzles.moc"
