#include "puzzle/twisty.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace twisty {

Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 normalised(Vec3 a)
{
    const double n = std::sqrt(dot(a, a));
    return n > 0 ? (1 / n) * a : a;
}

Vec3 rotated(Vec3 p, Vec3 axis, double angle)
{
    // Rodrigues' rotation formula.
    const double c = std::cos(angle), s = std::sin(angle);
    return c * p + s * cross(axis, p) + (dot(axis, p) * (1 - c)) * axis;
}

Vec3 unfolded(Vec3 p, Vec3 a, Vec3 b, Vec3 from, Vec3 to)
{
    const Vec3 axis = normalised(b - a);
    const double angle = std::atan2(dot(cross(from, to), axis), dot(from, to));
    return a + rotated(p - a, axis, angle);
}

Sticker sticker(std::vector<Vec3> outline, int face, int piece, std::vector<QPointF> net)
{
    Sticker s;
    s.net = std::move(net);
    for (const Vec3 &v : outline)
        s.centre = s.centre + v;
    s.centre = (1.0 / double(outline.size())) * s.centre;
    s.outline = std::move(outline);
    s.face = std::uint8_t(face);
    s.piece = piece;
    return s;
}

Puzzle::Puzzle(std::vector<Sticker> stickers, int faceCount, const std::vector<Turn> &turns)
    : stickers_(std::move(stickers)), faceCount_(faceCount)
{
    const std::size_t n = stickers_.size();
    double scale = 0;
    for (const Sticker &s : stickers_)
        scale = std::max(scale, dot(s.centre, s.centre));
    const double eps = scale * 1e-10;
    const double pi = std::acos(-1.0);
    for (const Turn &t : turns) {
        std::vector<std::uint16_t> perm(n);
        std::vector<bool> hit(n);
        const double angle = -2 * pi * t.turns / t.order;
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t to = i;
            if (dot(stickers_[i].centre, t.axis) > t.cut) {
                const Vec3 q = rotated(stickers_[i].centre, t.axis, angle);
                to = n;
                for (std::size_t j = 0; j < n && to == n; ++j) {
                    const Vec3 d = stickers_[j].centre - q;
                    if (dot(d, d) < eps)
                        to = j;
                }
            }
            if (to == n || hit[to]) {
                valid_ = false;
                to = i;
            }
            hit[to] = true;
            perm[i] = std::uint16_t(to);
        }
        names.push_back(t.names);
        perms.push_back(std::move(perm));
    }
    for (std::size_t a = 0; a < perms.size(); ++a) {
        int inv = -1;
        for (std::size_t b = 0; b < perms.size() && inv < 0; ++b) {
            bool undoes = true;
            for (std::size_t i = 0; i < n && undoes; ++i)
                undoes = perms[b][perms[a][i]] == i;
            if (undoes)
                inv = int(b);
        }
        inverses.push_back(inv);
    }
}

State Puzzle::solved() const
{
    State s(stickers_.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        s[i] = stickers_[i].face;
    return s;
}

State Puzzle::apply(State s, int move) const
{
    State r(s.size());
    const std::vector<std::uint16_t> &p = perms[std::size_t(move)];
    for (std::size_t i = 0; i < s.size(); ++i)
        r[p[i]] = s[i];
    return r;
}

State Puzzle::apply(State s, const std::vector<int> &moves) const
{
    for (const int m : moves)
        s = apply(std::move(s), m);
    return s;
}

bool Puzzle::isSolved(const State &s) const
{
    std::vector<int> colourOfFace(std::size_t(faceCount_), -1);
    for (std::size_t i = 0; i < s.size(); ++i) {
        int &c = colourOfFace[stickers_[i].face];
        if (c >= 0 && c != s[i])
            return false;
        c = s[i];
    }
    return true;
}

bool Puzzle::parse(const QString &text, std::vector<int> &moves) const
{
    QHash<QString, int> byName;
    for (std::size_t m = 0; m < names.size(); ++m)
        for (const QString &name : names[m])
            byName.insert(name, int(m));
    std::vector<int> r;
    for (const QString &word : text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto it = byName.constFind(word);
        if (it == byName.constEnd())
            return false;
        r.push_back(*it);
    }
    moves = std::move(r);
    return true;
}

QString Puzzle::text(const std::vector<int> &moves, const QString &separator) const
{
    QStringList words;
    for (const int m : moves)
        words << moveName(m);
    return words.join(separator);
}

std::vector<int> Puzzle::inverse(const std::vector<int> &moves) const
{
    std::vector<int> r;
    for (auto it = moves.rbegin(); it != moves.rend(); ++it) {
        if (inverseMove(*it) < 0)
            return {};
        r.push_back(inverseMove(*it));
    }
    return r;
}

bool Puzzle::afterScramble(const QString &text, State &out) const
{
    std::vector<int> moves;
    if (!parse(text, moves))
        return false;
    out = apply(solved(), moves);
    return true;
}

// ---- pieces --------------------------------------------------------------

Orbit orbitOf(const Puzzle &puzzle, const std::vector<int> &pieces)
{
    Orbit o;
    const std::vector<Sticker> &st = puzzle.stickers();
    for (const int piece : pieces) {
        std::vector<int> place;
        Vec3 mid;
        for (std::size_t i = 0; i < st.size(); ++i)
            if (st[i].piece == piece) {
                place.push_back(int(i));
                mid = mid + st[i].centre;
            }
        if (place.size() > 2) {
            // Counter-clockwise round the piece's outward direction, from its first sticker.
            const Vec3 a = normalised(mid);
            const Vec3 c0 = st[std::size_t(place[0])].centre;
            const Vec3 u = normalised(c0 - dot(c0, a) * a), v = cross(a, u);
            const double pi = std::acos(-1.0);
            auto angle = [&](int i) {
                const Vec3 c = st[std::size_t(i)].centre;
                const double t = std::atan2(dot(c, v), dot(c, u));
                return t < -1e-9 ? t + 2 * pi : std::max(t, 0.0);
            };
            std::sort(place.begin(), place.end(), [&](int x, int y) { return angle(x) < angle(y); });
        }
        o.places.push_back(place);
    }
    return o;
}

Pieces solvedPieces(const Orbit &orbit)
{
    Pieces p;
    for (std::size_t i = 0; i < orbit.places.size(); ++i) {
        p.at.push_back(std::uint8_t(i));
        p.twist.push_back(0);
    }
    return p;
}

bool pieceMove(const Puzzle &puzzle, const Orbit &orbit, int move, PieceMove &out)
{
    const std::size_t n = orbit.places.size();
    const std::vector<std::uint16_t> &perm = puzzle.permutation(move);
    QHash<int, std::pair<int, int>> placeOf; // sticker -> place, position in it
    for (std::size_t t = 0; t < n; ++t)
        for (std::size_t k = 0; k < orbit.places[t].size(); ++k)
            placeOf.insert(orbit.places[t][k], {int(t), int(k)});
    PieceMove m{std::vector<std::uint8_t>(n), std::vector<std::uint8_t>(n)};
    std::vector<bool> filled(n);
    for (std::size_t s = 0; s < n; ++s) {
        const std::vector<int> &from = orbit.places[s];
        const auto to = placeOf.value(perm[std::size_t(from[0])], {-1, 0});
        if (to.first < 0 || filled[std::size_t(to.first)])
            return false;
        const std::vector<int> &place = orbit.places[std::size_t(to.first)];
        const std::size_t k = from.size();
        for (std::size_t j = 0; j < k; ++j)
            if (place.size() != k || perm[std::size_t(from[j])] != place[(j + std::size_t(to.second)) % k])
                return false;
        filled[std::size_t(to.first)] = true;
        m.from[std::size_t(to.first)] = std::uint8_t(s);
        m.twist[std::size_t(to.first)] = std::uint8_t(to.second);
    }
    out = std::move(m);
    return true;
}

Pieces apply(const Pieces &p, const PieceMove &m, int twists)
{
    Pieces r = p;
    for (std::size_t t = 0; t < p.at.size(); ++t) {
        r.at[t] = p.at[m.from[t]];
        r.twist[t] = std::uint8_t((p.twist[m.from[t]] + m.twist[t]) % twists);
    }
    return r;
}

void paint(const Puzzle &puzzle, const Orbit &orbit, const Pieces &p, State &s)
{
    for (std::size_t t = 0; t < orbit.places.size(); ++t) {
        const std::vector<int> &home = orbit.places[p.at[t]], &place = orbit.places[t];
        const std::size_t k = place.size();
        for (std::size_t j = 0; j < k; ++j)
            s[std::size_t(place[(j + p.twist[t]) % k])] = puzzle.stickers()[std::size_t(home[j])].face;
    }
}

bool read(const Puzzle &puzzle, const Orbit &orbit, const State &s, Pieces &out)
{
    const std::size_t n = orbit.places.size();
    Pieces r{std::vector<std::uint8_t>(n), std::vector<std::uint8_t>(n)};
    std::vector<bool> used(n);
    for (std::size_t t = 0; t < n; ++t) {
        const std::vector<int> &place = orbit.places[t];
        const std::size_t k = place.size();
        bool found = false;
        for (std::size_t p = 0; p < n && !found; ++p)
            for (std::size_t o = 0; o < k && !found; ++o) {
                bool match = !used[p];
                for (std::size_t j = 0; j < k && match; ++j)
                    match = s[std::size_t(place[(j + o) % k])] == puzzle.stickers()[std::size_t(orbit.places[p][j])].face;
                if (match) {
                    found = used[p] = true;
                    r.at[t] = std::uint8_t(p);
                    r.twist[t] = std::uint8_t(o);
                }
            }
        if (!found)
            return false;
    }
    out = std::move(r);
    return true;
}

} // namespace twisty
