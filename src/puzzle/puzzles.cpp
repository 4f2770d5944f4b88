#include "puzzle/puzzles.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace twisty {

namespace {

const double pi = std::acos(-1.0);

// ---- cubes: NxN and Skewb ------------------------------------------------

// Each face in the net order U R F D L B: its outward normal, and the
// directions right and up of the face as it is seen (side faces with U on
// top, U with B on top, D with F on top), and its place in the net (in faces).
struct CubeFace
{
    Vec3 normal, right, up;
    double netX, netY;
};
const CubeFace cubeFaces[6] = {
    {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}, 1, 0},  // U
    {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, 2, 1},  // R
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 1, 1},   // F
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}, 1, 2},  // D
    {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}, 0, 1},  // L
    {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}, 3, 1}, // B
};
// The normal of each face in the move order R L U D F B, and its letter.
const Vec3 moveAxes[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
const char moveLetters[] = "RLUDFB";

// A point (u, v) of a face, both 0 to 1 from its top left corner as seen, on
// a cube of half size h: in space and in the net.
Vec3 cubePoint(const CubeFace &f, double h, double u, double v)
{
    return h * f.normal + (h * (2 * u - 1)) * f.right + (h * (1 - 2 * v)) * f.up;
}
QPointF cubeNetPoint(const CubeFace &f, double u, double v) { return {f.netX + u, f.netY + v}; }

Sticker cubeSticker(int face, double h, const std::vector<std::pair<double, double>> &uv, int piece)
{
    std::vector<Vec3> outline;
    std::vector<QPointF> net;
    for (const auto &p : uv) {
        outline.push_back(cubePoint(cubeFaces[face], h, p.first, p.second));
        net.push_back(cubeNetPoint(cubeFaces[face], p.first, p.second));
    }
    return sticker(outline, face, piece, net);
}

Puzzle makeCube(int n)
{
    std::vector<Sticker> stickers;
    for (int face = 0; face < 6; ++face)
        for (int row = 0; row < n; ++row)
            for (int col = 0; col < n; ++col) {
                const double u0 = double(col) / n, u1 = double(col + 1) / n;
                const double v0 = double(row) / n, v1 = double(row + 1) / n;
                Sticker s = cubeSticker(face, n, {{u0, v0}, {u1, v0}, {u1, v1}, {u0, v1}}, 0);
                // The piece is the small cube under the sticker, numbered by its place.
                const Vec3 c = s.centre - cubeFaces[face].normal;
                auto index = [n](double x) { return int(std::lround((x + n - 1) / 2)); };
                s.piece = (index(c.x) * n + index(c.y)) * n + index(c.z);
                stickers.push_back(s);
            }
    std::vector<Turn> turns;
    for (int face = 0; face < 6; ++face)
        for (int depth = 1; depth < n; ++depth)
            for (int t = 1; t <= 3; ++t) {
                const QString letter = QLatin1String(&moveLetters[face], 1);
                const QString amount = t == 1 ? QString() : t == 2 ? QStringLiteral("2") : QStringLiteral("'");
                QStringList names;
                if (depth == 1)
                    names << letter + amount;
                else if (depth == 2)
                    names << letter + QLatin1Char('w') + amount << QLatin1Char('2') + letter + QLatin1Char('w') + amount;
                else
                    names << QString::number(depth) + letter + QLatin1Char('w') + amount;
                turns.push_back({names, moveAxes[face], double(n - 2 * depth), 4, t});
            }
    return Puzzle(std::move(stickers), 6, turns);
}

Puzzle makeSkewb()
{
    // A face's centre square stands on its corner; the four corner triangles fill the rest.
    const std::vector<std::pair<double, double>> shapes[5] = {
        {{0.5, 0}, {1, 0.5}, {0.5, 1}, {0, 0.5}},
        {{0, 0}, {0.5, 0}, {0, 0.5}},
        {{1, 0}, {1, 0.5}, {0.5, 0}},
        {{1, 1}, {0.5, 1}, {1, 0.5}},
        {{0, 1}, {0, 0.5}, {0.5, 1}},
    };
    std::vector<Sticker> stickers;
    for (int face = 0; face < 6; ++face)
        for (int k = 0; k < 5; ++k) {
            Sticker s = cubeSticker(face, 1, shapes[k], face);
            if (k > 0) // a corner piece: numbered 6 + its octant
                s.piece = 6 + (s.centre.x > 0) * 4 + (s.centre.y > 0) * 2 + (s.centre.z > 0);
            stickers.push_back(s);
        }
    const struct { const char *name; Vec3 corner; } corners[4] = {
        {"R", {1, -1, -1}}, {"U", {-1, 1, -1}}, {"L", {-1, -1, 1}}, {"B", {-1, -1, -1}}};
    std::vector<Turn> turns;
    for (const auto &c : corners)
        for (int t = 1; t <= 2; ++t)
            turns.push_back({{QLatin1String(c.name) + (t == 2 ? QStringLiteral("'") : QString())},
                             normalised(c.corner), 0, 3, t});
    return Puzzle(std::move(stickers), 6, turns);
}

// ---- Pyraminx -------------------------------------------------------------

Puzzle makePyraminx()
{
    const double r = std::sqrt(8.0) / 3; // the base's distance from the axis, for a circumradius of 1
    const Vec3 vertex[4] = {{0, 1, 0},                                             // U
                            {-r * std::sqrt(3.0) / 2, -1.0 / 3, r / 2},            // L
                            {r * std::sqrt(3.0) / 2, -1.0 / 3, r / 2},             // R
                            {0, -1.0 / 3, -r}};                                    // B
    // Faces F L R D by their vertices, each listed clockwise seen from outside.
    const int faceVertex[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    // The F face's vertices in the net order (U, L, R) are its first, third, second;
    // the other faces unfold about the edge each shares with F.
    const int sharedWithF[4][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 2}};
    auto normalOf = [&](int f) {
        return normalised(vertex[faceVertex[f][0]] + vertex[faceVertex[f][1]] + vertex[faceVertex[f][2]]);
    };
    const Vec3 nF = normalOf(0), right = normalised(vertex[2] - vertex[1]), up = cross(nF, right);
    const Vec3 origin = (1.0 / 3) * (vertex[0] + vertex[1] + vertex[2]);
    auto edgeIndex = [](int a, int b) { // UL UR UB LR LB RB
        const int lo = std::min(a, b), hi = std::max(a, b);
        return lo == 0 ? hi - 1 : lo == 1 ? hi + 1 : 5;
    };

    std::vector<Sticker> stickers;
    for (int f = 0; f < 4; ++f) {
        const int *fv = faceVertex[f];
        const Vec3 A = vertex[fv[0]], B = vertex[fv[1]], C = vertex[fv[2]];
        auto at = [&](int i, int j, int k) { return (1.0 / 3) * (double(i) * A + double(j) * B + double(k) * C); };
        auto flat = [&](Vec3 p) {
            if (f != 0)
                p = unfolded(p, vertex[sharedWithF[f][0]], vertex[sharedWithF[f][1]], normalOf(f), nF);
            return QPointF(dot(p - origin, right), -dot(p - origin, up));
        };
        auto add = [&](std::vector<Vec3> tri, int piece) {
            std::vector<QPointF> net;
            for (const Vec3 &p : tri)
                net.push_back(flat(p));
            stickers.push_back(sticker(tri, f, piece, net));
        };
        // Tips and centres at the face's three vertices, then its edges AB, BC, CA.
        add({at(3, 0, 0), at(2, 1, 0), at(2, 0, 1)}, fv[0]);
        add({at(0, 3, 0), at(0, 2, 1), at(1, 2, 0)}, fv[1]);
        add({at(0, 0, 3), at(1, 0, 2), at(0, 1, 2)}, fv[2]);
        add({at(1, 1, 1), at(2, 0, 1), at(2, 1, 0)}, 4 + fv[0]);
        add({at(1, 1, 1), at(1, 2, 0), at(0, 2, 1)}, 4 + fv[1]);
        add({at(1, 1, 1), at(0, 1, 2), at(1, 0, 2)}, 4 + fv[2]);
        add({at(2, 1, 0), at(1, 2, 0), at(1, 1, 1)}, 8 + edgeIndex(fv[0], fv[1]));
        add({at(0, 2, 1), at(0, 1, 2), at(1, 1, 1)}, 8 + edgeIndex(fv[1], fv[2]));
        add({at(1, 0, 2), at(2, 0, 1), at(1, 1, 1)}, 8 + edgeIndex(fv[2], fv[0]));
    }
    // The cuts of a vertex's layer and of its tip lie a third and two thirds
    // of the way along the edges from the vertex.
    std::vector<Turn> turns;
    const char *layer[4] = {"U", "L", "R", "B"}, *tip[4] = {"u", "l", "r", "b"};
    for (int v = 0; v < 4; ++v)
        for (const bool isTip : {false, true})
            for (int t = 1; t <= 2; ++t)
                turns.push_back({{QLatin1String(isTip ? tip[v] : layer[v]) + (t == 2 ? QStringLiteral("'") : QString())},
                                 vertex[v], isTip ? 5.0 / 9 : 1.0 / 9, 3, t});
    return Puzzle(std::move(stickers), 4, turns);
}

// ---- Megaminx ------------------------------------------------------------

Puzzle makeMegaminx()
{
    const double phi = (1 + std::sqrt(5.0)) / 2;
    // Turned about x so that the face centred on (0, phi, -1) is on top, and
    // its neighbour centred on (0, phi, 1) in front.
    const double tilt = std::atan(1 / phi);
    auto place = [&](Vec3 p) { return rotated(p, {1, 0, 0}, tilt); };
    std::vector<Vec3> vertices, normals;
    for (const int a : {-1, 1})
        for (const int b : {-1, 1}) {
            for (const int c : {-1, 1})
                vertices.push_back(place({double(a), double(b), double(c)}));
            vertices.push_back(place({0, a / phi, b * phi}));
            vertices.push_back(place({a / phi, b * phi, 0}));
            vertices.push_back(place({a * phi, 0, b / phi}));
            normals.push_back(normalised(place({0, a * phi, double(b)})));
            normals.push_back(normalised(place({double(a), 0, b * phi})));
            normals.push_back(normalised(place({a * phi, double(b), 0})));
        }
    // Faces: U, then the upper five by their angle round the vertical axis
    // from the front (F 0, R 72, BR 144, BL -144, L -72 degrees), then each
    // one's opposite.
    std::vector<Vec3> face(12);
    for (const Vec3 &n : normals) {
        if (n.y > 0.9)
            face[0] = n;
        else if (n.y > 0) {
            const double deg = std::atan2(n.x, n.z) * 180 / pi;
            const int k = int(std::lround(deg / 72)); // F 0, R 1, BR 2, BL -2, L -1
            face[std::size_t(1 + (k + 5) % 5)] = n;
        }
    }
    for (int k = 0; k < 6; ++k)
        face[std::size_t(6 + k)] = -1.0 * face[std::size_t(k)];
    double inradius = 0;
    for (const Vec3 &v : vertices)
        inradius = std::max(inradius, dot(v, face[0]));

    // Each face's corners clockwise seen from outside.
    std::vector<std::vector<int>> corners(12);
    for (int f = 0; f < 12; ++f) {
        const Vec3 n = face[std::size_t(f)];
        for (int v = 0; v < 20; ++v)
            if (std::abs(dot(vertices[std::size_t(v)], n) - inradius) < 1e-9)
                corners[std::size_t(f)].push_back(v);
        const Vec3 c = inradius * n, u = normalised(vertices[std::size_t(corners[std::size_t(f)][0])] - c),
                   w = cross(n, u);
        std::sort(corners[std::size_t(f)].begin(), corners[std::size_t(f)].end(), [&](int a, int b) {
            auto angle = [&](int v) {
                const Vec3 d = vertices[std::size_t(v)] - c;
                const double t = std::atan2(dot(d, w), dot(d, u));
                return t > 1e-9 ? t - 2 * pi : t;
            };
            return angle(a) > angle(b); // decreasing counter-clockwise angle: clockwise
        });
    }
    auto shares = [&](int f, int a, int b) {
        const std::vector<int> &c = corners[std::size_t(f)];
        return std::count(c.begin(), c.end(), a) + std::count(c.begin(), c.end(), b) == 2;
    };
    auto across = [&](int f, int a, int b) { // the face on the other side of edge ab of face f
        for (int g = 0; g < 12; ++g)
            if (g != f && shares(g, a, b))
                return g;
        return -1;
    };
    const int firstNeighbour[12] = {1, 0, 0, 0, 0, 0, 7, 6, 6, 6, 6, 6};

    // The flat picture: U and the upper five seen from above with F below U,
    // beside it D and the lower five seen from below with the face under F on top.
    double flowerWidth = 0;
    auto flat = [&](int f, Vec3 p, double shift) {
        const int centre = f == 0 || (f >= 1 && f <= 5) ? 0 : 6;
        if (f != centre) {
            const std::vector<int> &c = corners[std::size_t(f)];
            for (std::size_t k = 0; k < 5; ++k) {
                const int a = c[k], b = c[(k + 1) % 5];
                if (shares(centre, a, b))
                    p = unfolded(p, vertices[std::size_t(a)], vertices[std::size_t(b)], face[std::size_t(f)],
                                 face[std::size_t(centre)]);
            }
        }
        return centre == 0 ? QPointF(p.x, p.z) : QPointF(p.x + shift, -p.z);
    };

    std::vector<Sticker> stickers;
    std::map<std::pair<int, int>, int> edgePiece;
    auto build = [&](double shift) {
        stickers.clear();
        for (int f = 0; f < 12; ++f) {
            std::vector<int> c = corners[std::size_t(f)];
            // Rotate the corner list so that its first edge is shared with the first neighbour.
            for (int k = 0; k < 5 && across(f, c[0], c[1]) != firstNeighbour[f]; ++k)
                std::rotate(c.begin(), c.begin() + 1, c.end());
            const Vec3 centre = inradius * face[std::size_t(f)];
            // w[k]: the corner between edges k and k + 1 (edge k runs from w[k - 1] to w[k]).
            Vec3 w[6], q[6];
            for (int k = 1; k <= 5; ++k) {
                w[k] = vertices[std::size_t(c[std::size_t(k % 5)])];
                q[k] = centre + 0.5 * (w[k] - centre);
            }
            w[0] = w[5];
            q[0] = q[5];
            auto along = [&](int k, double t) { return w[k - 1] + t * (w[k] - w[k - 1]); };
            auto add = [&](std::vector<Vec3> outline, int piece) {
                std::vector<QPointF> net;
                for (const Vec3 &p : outline)
                    net.push_back(flat(f, p, shift));
                stickers.push_back(sticker(outline, f, piece, net));
            };
            add({q[1], q[2], q[3], q[4], q[5]}, f);
            for (int k = 1; k <= 5; ++k) {
                const int g = across(f, c[std::size_t(k - 1)], c[std::size_t(k % 5)]);
                add({along(k, 0.35), along(k, 0.65), q[k], q[k - 1]}, 12 + std::min(f, g) * 12 + std::max(f, g));
            }
            for (int k = 1; k <= 5; ++k) {
                const int next = k % 5 + 1;
                add({w[k], along(next, 0.35), q[k], along(k, 0.65)}, 200 + c[std::size_t(k % 5)]);
            }
        }
    };
    build(0);
    for (const Sticker &s : stickers)
        for (const QPointF &p : s.net)
            flowerWidth = std::max(flowerWidth, std::abs(p.x()));
    build(2.2 * flowerWidth);

    // A face's layer: its own 11 stickers and 3 of each of its 5 neighbours,
    // which lie nearest its plane; the cut runs between them and the rest.
    std::vector<double> level;
    for (const Sticker &s : stickers)
        level.push_back(dot(s.centre, face[0]));
    std::sort(level.begin(), level.end(), std::greater<double>());
    const double cut = (level[25] + level[26]) / 2;
    std::vector<Turn> turns = {
        {{QStringLiteral("R++")}, face[2], -cut, 5, 2}, {{QStringLiteral("R--")}, face[2], -cut, 5, 3},
        {{QStringLiteral("D++")}, face[6], -cut, 5, 2}, {{QStringLiteral("D--")}, face[6], -cut, 5, 3},
        {{QStringLiteral("U")}, face[0], cut, 5, 1},    {{QStringLiteral("U'")}, face[0], cut, 5, 4},
    };
    return Puzzle(std::move(stickers), 12, turns);
}

} // namespace

const Puzzle &nxn(int n)
{
    // Each size is built the first time it is needed.
    switch (std::clamp(n, 2, 7)) {
    case 2: { static const Puzzle p = makeCube(2); return p; }
    case 3: { static const Puzzle p = makeCube(3); return p; }
    case 4: { static const Puzzle p = makeCube(4); return p; }
    case 5: { static const Puzzle p = makeCube(5); return p; }
    case 6: { static const Puzzle p = makeCube(6); return p; }
    default: { static const Puzzle p = makeCube(7); return p; }
    }
}

const Puzzle &pyraminx()
{
    static const Puzzle p = makePyraminx();
    return p;
}

const Puzzle &skewb()
{
    static const Puzzle p = makeSkewb();
    return p;
}

const Puzzle &megaminx()
{
    static const Puzzle p = makeMegaminx();
    return p;
}

int cubeMove(int n, int face, int depth, int turns)
{
    return (face * (n - 1) + depth - 1) * 3 + turns - 1;
}

} // namespace twisty
