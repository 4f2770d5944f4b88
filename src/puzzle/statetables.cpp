#include "puzzle/statetables.h"
#include "puzzle/permutation.h"

namespace statetables {

using twisty::Pieces;

namespace {

constexpr std::uint8_t unknown = 3;

int power(int base, std::size_t n)
{
    int r = 1;
    for (std::size_t i = 0; i < n; ++i)
        r *= base;
    return r;
}

int factorial(std::size_t n)
{
    int r = 1;
    for (std::size_t i = 2; i <= n; ++i)
        r *= int(i);
    return r;
}

// How a coordinate numbers the pieces of its places.
struct Coder
{
    Coordinate c;
    int twists = 1; // twists a piece of the orbit has
    int orders = 1, twistValues = 1;

    int size() const { return orders * twistValues; }

    // -1 if a piece of another place sits at one of the places, or an odd order where only even ones may be.
    int encode(const Pieces &p) const
    {
        const std::size_t m = c.places.size();
        std::uint8_t local[16];
        int twist = 0, sum = 0;
        for (std::size_t i = 0; i < m; ++i) {
            const std::uint8_t piece = p.at[std::size_t(c.places[i])];
            std::size_t k = 0;
            while (k < m && c.places[k] != piece)
                ++k;
            if (k == m)
                return -1;
            local[i] = std::uint8_t(k);
            const int t = c.twists ? p.twist[std::size_t(c.places[i])] : 0;
            sum += t;
            if (!c.twistSumZero || i + 1 < m)
                twist = twist * twists + t;
        }
        if (c.twistSumZero && sum % twists != 0)
            return -1;
        int order = 0;
        if (c.order != Coordinate::NoOrder) {
            order = permutation::rank(local, int(m));
            if (c.order == Coordinate::EvenOrder) {
                if (permutation::parity(local, int(m)) != 0)
                    return -1;
                order /= 2; // the last Lehmer digit pair is fixed by the parity
            }
        }
        return order * twistValues + (c.twists ? twist : 0);
    }

    // Writes its part of the pieces for value v into p.
    void decode(int v, Pieces &p) const
    {
        const std::size_t m = c.places.size();
        if (c.order != Coordinate::NoOrder) {
            std::uint8_t local[16];
            int rank = v / twistValues;
            if (c.order == Coordinate::EvenOrder)
                rank *= 2;
            permutation::ofRank(rank, local, int(m));
            if (c.order == Coordinate::EvenOrder && permutation::parity(local, int(m)) != 0)
                std::swap(local[m - 2], local[m - 1]);
            for (std::size_t i = 0; i < m; ++i)
                p.at[std::size_t(c.places[i])] = std::uint8_t(c.places[local[i]]);
        }
        if (c.twists) {
            int t = v % twistValues, sum = 0;
            for (std::size_t i = c.twistSumZero ? m - 1 : m; i-- > 0;) {
                p.twist[std::size_t(c.places[i])] = std::uint8_t(t % twists);
                sum += t % twists;
                t /= twists;
            }
            if (c.twistSumZero)
                p.twist[std::size_t(c.places[m - 1])] = std::uint8_t((twists - sum % twists) % twists);
        }
    }
};

} // namespace

struct Tables
{
    Plan plan;
    std::vector<twisty::Orbit> orbits;
    std::vector<Coder> coders;
    // Per coordinate: [value * moves + m], the value after the move already
    // multiplied by the coordinate's weight in the position number.
    std::vector<std::vector<std::uint32_t>> moveTables;
    // Per position number, two bits: its distance from solved modulo 3, or 3
    // for a number no position has. Of a position's neighbours, those one
    // move closer are the ones one less modulo 3.
    std::vector<std::uint8_t> distance;
    std::uint32_t solved = 0;
    std::vector<long> counts; // positions at each distance

    std::uint8_t mod3(std::uint32_t i) const { return (distance[i >> 2] >> (2 * (i & 3))) & 3; }
    void setMod3(std::uint32_t i, int v)
    {
        std::uint8_t &b = distance[i >> 2];
        b = std::uint8_t((b & ~(3 << (2 * (i & 3)))) | (v << (2 * (i & 3))));
    }

    // A shortest way from position i to solved, as indices into plan.moves.
    std::vector<std::size_t> solution(std::uint32_t i) const
    {
        std::vector<std::size_t> r;
        for (std::uint32_t at = i; at != solved;) {
            std::uint32_t row[8];
            rows(at, row);
            const std::uint8_t closer = std::uint8_t((mod3(at) + 2) % 3);
            for (std::size_t m = 0; m < moveCount(); ++m) {
                const std::uint32_t j = next(row, m);
                if (mod3(j) == closer) {
                    r.push_back(m);
                    at = j;
                    break;
                }
            }
        }
        return r;
    }

    std::size_t moveCount() const { return plan.moves.size(); }

    // The position's coordinates, each times the number of moves (a row of its move table).
    void rows(std::uint32_t index, std::uint32_t *row) const
    {
        for (std::size_t c = coders.size(); c-- > 0;) {
            const std::uint32_t size = std::uint32_t(coders[c].size());
            row[c] = index % size * std::uint32_t(moveCount());
            index /= size;
        }
    }

    std::uint32_t next(const std::uint32_t *row, std::size_t m) const
    {
        std::uint32_t r = 0;
        for (std::size_t c = 0; c < coders.size(); ++c)
            r += moveTables[c][row[c] + m];
        return r;
    }

    // The pieces of every orbit at a position number.
    std::vector<Pieces> pieces(std::uint32_t index) const
    {
        std::vector<Pieces> p;
        for (const twisty::Orbit &o : orbits)
            p.push_back(twisty::solvedPieces(o));
        for (std::size_t c = coders.size(); c-- > 0;) {
            const std::uint32_t size = std::uint32_t(coders[c].size());
            coders[c].decode(int(index % size), p[std::size_t(coders[c].c.orbit)]);
            index /= size;
        }
        return p;
    }

    long index(const std::vector<Pieces> &p) const
    {
        long r = 0;
        for (const Coder &coder : coders) {
            const int v = coder.encode(p[std::size_t(coder.c.orbit)]);
            if (v < 0)
                return -1;
            r = r * coder.size() + v;
        }
        return r;
    }
};

std::shared_ptr<const Tables> build(const Plan &plan)
{
    auto t = std::make_shared<Tables>();
    t->plan = plan;
    const twisty::Puzzle &puzzle = *plan.puzzle;
    std::vector<std::vector<twisty::PieceMove>> pieceMoves;
    for (const std::vector<int> &pieces : plan.orbits) {
        t->orbits.push_back(twisty::orbitOf(puzzle, pieces));
        pieceMoves.emplace_back();
        for (const int m : plan.moves) {
            twisty::PieceMove pm;
            if (!twisty::pieceMove(puzzle, t->orbits.back(), m, pm))
                return nullptr;
            pieceMoves.back().push_back(pm);
        }
    }
    std::uint64_t total = 1;
    for (const Coordinate &c : plan.coordinates) {
        Coder coder{c};
        coder.twists = int(t->orbits[std::size_t(c.orbit)].places[0].size());
        const std::size_t m = c.places.size();
        coder.orders = c.order == Coordinate::NoOrder ? 1 : factorial(m) / (c.order == Coordinate::EvenOrder ? 2 : 1);
        coder.twistValues = c.twists ? power(coder.twists, c.twistSumZero ? m - 1 : m) : 1;
        total *= std::uint64_t(coder.size());
        t->coders.push_back(coder);
    }
    if (total >= 0xffffffffu || t->coders.size() > 8)
        return nullptr;

    const std::size_t moves = plan.moves.size();
    std::uint32_t weight = std::uint32_t(total);
    for (const Coder &coder : t->coders) {
        weight /= std::uint32_t(coder.size());
        const twisty::Orbit &orbit = t->orbits[std::size_t(coder.c.orbit)];
        std::vector<std::uint32_t> table(std::size_t(coder.size()) * moves);
        for (int v = 0; v < coder.size(); ++v) {
            Pieces p = twisty::solvedPieces(orbit);
            coder.decode(v, p);
            for (std::size_t m = 0; m < moves; ++m) {
                const int w = coder.encode(twisty::apply(p, pieceMoves[std::size_t(coder.c.orbit)][m], coder.twists));
                if (w < 0)
                    return nullptr;
                table[std::size_t(v) * moves + m] = std::uint32_t(w) * weight;
            }
        }
        t->moveTables.push_back(std::move(table));
    }

    // Breadth first from solved.
    t->distance.assign(std::size_t(total / 4 + 1), 0xff);
    std::vector<Pieces> solved;
    for (const twisty::Orbit &o : t->orbits)
        solved.push_back(twisty::solvedPieces(o));
    const long start = t->index(solved);
    if (start < 0)
        return nullptr;
    t->solved = std::uint32_t(start);
    std::vector<std::uint32_t> queue;
    queue.push_back(t->solved);
    t->setMod3(t->solved, 0);
    for (std::size_t head = 0, layerEnd = 1; head < queue.size(); layerEnd = queue.size()) {
        t->counts.push_back(long(layerEnd - head));
        const int d = int(t->counts.size()) % 3; // the next layer's distance modulo 3
        for (; head < layerEnd; ++head) {
            std::uint32_t row[8];
            t->rows(queue[head], row);
            for (std::size_t m = 0; m < moves; ++m) {
                const std::uint32_t j = t->next(row, m);
                if (t->mod3(j) == unknown) {
                    t->setMod3(j, d);
                    queue.push_back(j);
                }
            }
        }
    }
    return t;
}

Drawn draw(const Tables &t, std::mt19937_64 &rng)
{
    const std::uint32_t numbers = std::uint32_t(t.distance.size() * 4);
    std::uniform_int_distribution<std::uint32_t> any(0, numbers - 1);
    std::uint32_t i;
    std::vector<std::size_t> solution;
    do {
        i = any(rng);
        if (t.mod3(i) != unknown)
            solution = t.solution(i);
    } while (t.mod3(i) == unknown || int(solution.size()) < t.plan.minDistance);

    Drawn r;
    r.distance = int(solution.size());
    const twisty::Puzzle &puzzle = *t.plan.puzzle;
    r.state = puzzle.solved();
    const std::vector<Pieces> pieces = t.pieces(i);
    for (std::size_t o = 0; o < t.orbits.size(); ++o)
        twisty::paint(puzzle, t.orbits[o], pieces[o], r.state);
    std::vector<int> moves;
    for (const std::size_t m : solution)
        moves.push_back(t.plan.moves[m]);
    r.moves = puzzle.inverse(moves);
    return r;
}

std::vector<long> distanceCounts(const Tables &t)
{
    return t.counts;
}

int distanceOf(const Tables &t, const twisty::State &s)
{
    std::vector<Pieces> pieces(t.orbits.size());
    for (std::size_t o = 0; o < t.orbits.size(); ++o)
        if (!twisty::read(*t.plan.puzzle, t.orbits[o], s, pieces[o]))
            return -1;
    const long i = t.index(pieces);
    return i < 0 || t.mod3(std::uint32_t(i)) == unknown ? -1 : int(t.solution(std::uint32_t(i)).size());
}

const Plan &planOf(const Tables &t)
{
    return t.plan;
}

} // namespace statetables
