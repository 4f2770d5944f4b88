#include "display/scramblepicture.h"
#include "display/square1picture.h"
#include "puzzle/cube.h"
#include "puzzle/square1.h"

#include "testsupport.h"

#include <QtConcurrent/QtConcurrentMap>
#include <map>

using namespace square1;

static State after(const char *scramble)
{
    State s;
    if (!stateAfterScramble(QString::fromLatin1(scramble), s))
        qFatal("not a legal scramble: %s", scramble);
    return s;
}

// Bit i set when slot i of the layer holds the second half of a corner.
static int layerMask(const State &s, int layer)
{
    int m = 0;
    for (int i = 0; i < 12; ++i)
        m |= (s.pieces[std::size_t(12 * layer + i)] == s.pieces[std::size_t(12 * layer + (i + 11) % 12)]) << i;
    return m;
}

// The exact law of a uniformly random position, worked out from the shapes
// alone: every pair of layer masks (no two neighbouring second halves, 8
// corners in all) is equally likely, as every pair holds 8! x 8! arrangements.
struct Law
{
    std::vector<int> classOf;       // top mask -> its shape up to turns, -1 if no mask pairs with it
    std::vector<double> classP;     // shape of the top layer up to turns
    double cornerP[24] = {};        // a slot holds part of a corner
    double sliceableP = 0;          // both layers cut along the slice line as they lie
};

static Law exactLaw()
{
    std::vector<int> byCorners[13];
    for (int m = 0; m < 4096; ++m)
        if (!(m & ((m << 1 | m >> 11) & 0xfff)))
            byCorners[__builtin_popcount(unsigned(m))].push_back(m);
    Law law;
    law.classOf.assign(4096, -1);
    std::map<int, int> classIndex;
    double total = 0;
    const auto cut = [](const std::vector<int> &masks) {
        return double(std::count_if(masks.begin(), masks.end(), [](int m) { return !(m & 0x41); })); };
    for (int c = 2; c <= 6; ++c) {
        total += double(byCorners[c].size() * byCorners[8 - c].size());
        law.sliceableP += cut(byCorners[c]) * cut(byCorners[8 - c]);
    }
    law.sliceableP /= total;
    for (int layer = 0; layer < 2; ++layer)
        for (int c = 2; c <= 6; ++c)
            for (const int m : byCorners[c]) {
                const double p = double(byCorners[8 - c].size()) / total; // this mask, any mask for the other layer
                for (int i = 0; i < 12; ++i)
                    law.cornerP[12 * layer + i] += (m >> i & 1 || m >> ((i + 1) % 12) & 1) ? p : 0;
                if (layer == 1)
                    continue;
                int canonical = m;
                for (int r = 1; r < 12; ++r)
                    canonical = std::min(canonical, ((m << r) | (m >> (12 - r))) & 0xfff);
                const auto [it, added] = classIndex.insert({canonical, int(classIndex.size())});
                if (added)
                    law.classP.push_back(0);
                law.classOf[std::size_t(m)] = it->second;
                law.classP[std::size_t(it->second)] += p;
            }
    return law;
}

class Square1Test : public QObject
{
    Q_OBJECT
private slots:
    void turnsSlicesAndNotation()
    {
        // Worked out by hand: "/" swaps top slots 6..11 with bottom slots 0..5 and turns the middle over.
        State s = after("/");
        const std::array<std::uint8_t, 24> swapped{{0, 0, 8, 1, 1, 9, 12, 4, 4, 13, 5, 5, 2, 2, 10, 3, 3, 11, 14, 6, 6, 15, 7, 7}};
        QVERIFY(s.pieces == swapped && s.middleFlipped);
        // (1,0) brings UF to top slot 0 and leaves both layers cut; (-1,0) puts a corner across the line.
        s = turned(State(), 1, 0);
        QCOMPARE(int(s.pieces[0]), 11);
        QVERIFY(sliceable(s) && sliceable(turned(State(), 0, -1)) && sliceable(turned(State(), 3, 6)));
        QVERIFY(!sliceable(turned(State(), -1, 0)) && !sliceable(turned(State(), 0, 1)) && !sliceable(turned(State(), 2, 0)));
        // After "/", (1,0) leaves DRB across slots 11 and 0: no second "/".
        State t;
        QVERIFY(!stateAfterScramble(QStringLiteral("/ (1,0) /"), t) && stateAfterScramble(QStringLiteral("/ (6,0) /"), t));
        QVERIFY(sliced(sliced(s)) == s && turned(turned(s, 5, -3), 7, 3) == s);

        // A sequence and its inverse cancel; the text reads back as written.
        std::vector<Move> moves;
        QVERIFY(parseScramble(QStringLiteral("(0,-4)/ (-3, 3) /(4,1) / (3,0) / (6,0) / (0,-4)"), moves));
        QCOMPARE(sliceCount(moves), 5);
        s = State();
        QVERIFY(applyMoves(s, moves) && !isSolved(s) && applyMoves(s, inverse(moves)) && isSolved(s));
        QCOMPARE(scrambleText(moves), QStringLiteral("(0,-4) / (-3,3) / (4,1) / (3,0) / (6,0) / (0,-4)"));
        // csTimer's own Square-1 scrambles (from real exports), spaced its way, are legal.
        for (const char *text : {" (0,-4)/ (-3,3)/ (4,1)/ (3,0)/ (6,0)/ (0,-4)/ (0,-3)/ (-3,0)/ (-3,-2)/ (5,-2)/ (-5,0)/ (0,-2)/ (4,0)/",
                                 " (-3,2)/ (0,3)/ (-3,3)/ (3,0)/ (-2,-5)/ (3,0)/ (5,0)/ (3,0)/ (3,0)/ (-2,0)/ (0,-4)/ (4,0)/ (6,-4)",
                                 "(0,5) / (-2,1) / (0,3) / (6,0) / (-3,0) / (-1,-1) / (-3,-2) / (3,0) / (3,0) / (-3,-3) / (0,-5) / (0,-4) / (-3,-2)"})
            QVERIFY2(stateAfterScramble(QString::fromLatin1(text), t), text);
        for (const char *text : {"", " ", "(7,0)", "(-6,0)", "(1,0", "(1;0)", "(1,0) x", "R U", "(,1)", "(1,0)(2"})
            QVERIFY2(!parseScramble(QString::fromLatin1(text), moves), text);
    }

    void randomMoveScramblesSliceLegallyTwelveTimes()
    {
        const QRegularExpression form(QStringLiteral("^(\\((-?[1-5]|0|6),(-?[1-5]|0|6)\\) / ){12}$"));
        std::mt19937_64 rng(19);
        for (int i = 0; i < 2000; ++i) {
            const QString text = randomMoveScramble(rng);
            State s;
            QVERIFY2(form.match(text + QLatin1Char(' ')).hasMatch() && !text.contains(QLatin1String("(0,0)"))
                         && stateAfterScramble(text, s), qPrintable(text));
        }
    }

    void randomStatesAreUniformAndTheirScramblesReachThem()
    {
        const std::shared_ptr<const Tables> tables = buildTables();
        // Every scramble solved here runs from its own fixed seed, and the search is bounded by nodes only,
        // so the run is the same every time however busy the machine.
        SearchLimits limits;
        limits.milliseconds = 0;
        std::vector<RandomScramble> drawn(2000);
        QtConcurrent::blockingMap(drawn, [&](RandomScramble &d) {
            std::mt19937_64 rng(std::uint64_t(&d - drawn.data() + 1) * 0x9e3779b97f4a7c15ull);
            d = randomStateScramble(*tables, rng, limits);
        });
        const Law law = exactLaw();
        std::vector<std::vector<long>> pieceAt(24, std::vector<long>(16));
        std::vector<long> shapes(law.classP.size()), middle(2), cut(2);
        int longer = 0; // more than 13 slices: the search's budget ended first (about one in 7,000)
        for (const RandomScramble &d : drawn) {
            State s;
            QVERIFY2(d.randomState && stateAfterScramble(d.text, s) && s == d.state, qPrintable(d.text));
            std::vector<Move> moves;
            QVERIFY(parseScramble(d.text, moves) && moves == d.moves);
            QVERIFY2(sliceCount(moves) >= 11 && sliceCount(moves) <= 15 && !d.text.contains(QLatin1String("(0,0)")),
                     qPrintable(d.text));
            longer += sliceCount(moves) > 13;
            for (int i = 0; i < 24; ++i)
                ++pieceAt[std::size_t(i)][d.state.pieces[std::size_t(i)]];
            ++shapes[std::size_t(law.classOf[std::size_t(layerMask(d.state, 0))])];
            ++middle[d.state.middleFlipped];
            ++cut[sliceable(d.state)];
        }
        QVERIFY(longer <= 2);
        // Each slot on its own (which piece, any corner or edge alike), the top layer's shape, the middle.
        for (int i = 0; i < 24; ++i) {
            std::vector<double> p(16);
            for (int piece = 0; piece < 16; ++piece)
                p[std::size_t(piece)] = (isCorner(piece) ? law.cornerP[i] : 1 - law.cornerP[i]) / 8;
            QVERIFY2(chiSquarePasses(pieceAt[std::size_t(i)], p), qPrintable(QStringLiteral("slot %1").arg(i)));
        }
        const std::vector<double> cutP{1 - law.sliceableP, law.sliceableP};
        QVERIFY(chiSquarePasses(shapes, law.classP) && chiSquarePasses(middle) && chiSquarePasses(cut, cutP));

        // The checks can fail: a draw that favours positions sliceable as they lie stands out, even when it
        // only draws again one time in four when a position is not (a scramble ending in "/" would do worse).
        std::vector<long> biasedCut(2);
        std::mt19937_64 rng(7);
        for (int i = 0; i < 2000; ++i) {
            State s = randomState(rng);
            if (!sliceable(s) && rng() % 4 == 0)
                s = randomState(rng);
            ++biasedCut[sliceable(s)];
        }
        QVERIFY(!chiSquarePasses(biasedCut, cutP));
        // Shapes drawn alike, not by how many masks each has, stand out too.
        std::vector<long> alike(law.classP.size(), 2000 / long(law.classP.size()));
        QVERIFY(!chiSquarePasses(alike, law.classP));

        // A solved puzzle still gets 11 to 13 slices that come back to it.
        std::vector<Move> solution;
        State s;
        QVERIFY(solve(*tables, s, solution, limits) && sliceCount(solution) >= 11 && sliceCount(solution) <= 13);
        QVERIFY(applyMoves(s, solution) && isSolved(s));
    }

    void pictureShowsEachLayerAndTheMiddle()
    {
        // "(1,0) /", worked out by hand: top UF UFL UFL UL ULB ULB | DF DFR DFR DR DRB DRB,
        // bottom UB UBR UBR UR URF URF | DB DBL DBL DL DLF DLF, the middle's right half turned over.
        const State s = after("(1,0) /");
        QImage picture(460, 270, QImage::Format_ARGB32);
        picture.fill(Qt::gray);
        QPainter painter(&picture);
        paintSquare1(painter, picture.size(), s);
        painter.end();
        using namespace cube;
        const struct { int layer, slot, face, side; } probes[] = {
            {0, 0, NetU, NetF},  // UF
            {0, 7, NetD, NetF},  // DFR's first half: its front sticker, now at the back right
            {0, 9, NetD, NetR},  // DR
            {1, 0, NetU, NetB},  // UB
            {1, 2, NetU, NetR},  // UBR's second half
            {1, 7, NetD, NetB},  // DBL's first half
        };
        for (const auto &p : probes) {
            QCOMPARE(picture.pixelColor(square1FacePoint(picture.size(), p.layer, p.slot).toPoint()), scrambleFaceColour(p.face));
            QCOMPARE(picture.pixelColor(square1SidePoint(picture.size(), s, p.layer, p.slot).toPoint()), scrambleFaceColour(p.side));
        }
        QCOMPARE(picture.pixelColor(square1MiddlePoint(picture.size(), 0).toPoint()), scrambleFaceColour(NetF));
        QCOMPARE(picture.pixelColor(square1MiddlePoint(picture.size(), 1).toPoint()), scrambleFaceColour(NetB));
    }
};

QTEST_MAIN(Square1Test)
#include "test_square1.moc"
