#include "puzzle/clock.h"

#include <QRegularExpression>
#include <QStringList>

namespace clockpuzzle {

namespace {

// The dials next to each pin: UL, UR, DL, DR.
const int pinDials[4][4] = {{0, 1, 3, 4}, {1, 2, 4, 5}, {3, 4, 6, 7}, {4, 5, 7, 8}};

struct Named
{
    const char *name;
    int pins;
};
// The 14 moves of a scramble: nine in front, then five behind.
const Named moves[14] = {{"UR", UR},      {"DR", DR},      {"DL", DL},      {"UL", UL},     {"U", UL | UR},
                         {"R", UR | DR},  {"D", DL | DR},  {"L", UL | DL},  {"ALL", 15},    {"U", UL | UR},
                         {"R", UR | DR},  {"D", DL | DR},  {"L", UL | DL},  {"ALL", 15}};
const Named pinNames[4] = {{"UR", UR}, {"DR", DR}, {"DL", DL}, {"UL", UL}};
// The dials a scramble sets freely: all nine in front, and the five behind that are no corner.
const int backFree[5] = {1, 3, 4, 5, 7};

int mirrored(int pins) // the same pins seen from the other side
{
    return (pins & UL ? UR : 0) | (pins & UR ? UL : 0) | (pins & DL ? DR : 0) | (pins & DR ? DL : 0);
}

std::array<int, 14> freeDials(const Clock &c)
{
    std::array<int, 14> v{};
    for (int i = 0; i < 9; ++i)
        v[std::size_t(i)] = c.front[std::size_t(i)];
    for (int i = 0; i < 5; ++i)
        v[std::size_t(9 + i)] = c.back[std::size_t(backFree[i])];
    return v;
}

int unit12(int x) // 1, 5, 7 and 11 have inverses modulo 12
{
    for (int y = 1; y < 12; y += 2)
        if (x * y % 12 == 1)
            return y;
    return 0;
}

} // namespace

bool isSolved(const Clock &c)
{
    for (int i = 0; i < 9; ++i)
        if (c.front[std::size_t(i)] != 0 || c.back[std::size_t(i)] != 0)
            return false;
    return true;
}

Clock turned(Clock c, bool back, int pins, int amount)
{
    std::array<std::uint8_t, 9> &side = back ? c.back : c.front, &behind = back ? c.front : c.back;
    bool moves[9] = {};
    for (int p = 0; p < 4; ++p)
        if (pins & (1 << p))
            for (const int d : pinDials[p])
                moves[d] = true;
    const int a = ((amount % 12) + 12) % 12;
    for (int d = 0; d < 9; ++d)
        if (moves[d]) {
            side[std::size_t(d)] = std::uint8_t((side[std::size_t(d)] + a) % 12);
            if (d != 1 && d != 3 && d != 4 && d != 5 && d != 7) { // a corner: the dial behind turns the other way
                const std::size_t m = std::size_t(d / 3 * 3 + 2 - d % 3);
                behind[m] = std::uint8_t((behind[m] + 12 - a) % 12);
            }
        }
    return c;
}

namespace {

// Reads the notation: calls move(back, pins, amount) for each move, and
// returns the pins left up as seen from the side in front at the end (-1:
// not a scramble), with `back` telling which side that is.
template <typename Move>
int readScramble(const QString &text, bool &back, Move move)
{
    static const QRegularExpression turn(QStringLiteral("^(UR|DR|DL|UL|U|R|D|L|ALL)([0-6])([+-])$"));
    back = false;
    int pinsUp = 0;
    for (const QString &word : text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (word == QLatin1String("y2")) {
            back = !back;
            continue;
        }
        int pins = -1;
        for (const Named &n : moves)
            if (word == QLatin1String(n.name))
                pins = n.pins;
        if (pins >= 0 && word != QLatin1String("U") && word != QLatin1String("R") && word != QLatin1String("D")
            && word != QLatin1String("L") && word != QLatin1String("ALL")) {
            pinsUp |= pins;
            continue;
        }
        const QRegularExpressionMatch m = turn.match(word);
        if (!m.hasMatch())
            return -1;
        pinsUp = 0; // only the pins named after the last move are left up
        for (const Named &n : moves)
            if (m.captured(1) == QLatin1String(n.name))
                pins = n.pins;
        const int amount = m.captured(2).toInt();
        move(back, pins, m.captured(3) == QLatin1String("+") ? amount : -amount);
    }
    return pinsUp;
}

} // namespace

bool clockAfterScramble(const QString &scramble, Clock &out)
{
    Clock c;
    bool back;
    const int pins = readScramble(scramble, back, [&](bool b, int p, int a) { c = turned(c, b, p, a); });
    if (pins < 0)
        return false;
    c.pinsUpFront = back ? 15 & ~mirrored(pins) : pins;
    out = c;
    return true;
}

QString scrambleText(const std::array<int, 14> &amounts, int pinsUp)
{
    QStringList words;
    for (int i = 0; i < 14; ++i) {
        if (i == 9)
            words << QStringLiteral("y2");
        const int a = amounts[std::size_t(i)];
        words << QStringLiteral("%1%2%3").arg(QLatin1String(moves[i].name)).arg(std::abs(a)).arg(a < 0 ? '-' : '+');
    }
    for (const Named &p : pinNames)
        if (pinsUp & p.pins)
            words << QLatin1String(p.name);
    return words.join(QLatin1Char(' '));
}

bool inverseScramble(const QString &scramble, QString &out)
{
    bool endsBack;
    if (readScramble(scramble, endsBack, [](bool, int, int) {}) < 0)
        return false;
    // Read after the scramble: first back to the side it started with, then
    // each move the other way (the dials only add up, so order does not matter).
    QStringList words;
    if (endsBack)
        words << QStringLiteral("y2");
    bool side = false;
    const int pins = readScramble(scramble, endsBack, [&](bool back, int p, int a) {
        if (back != side) {
            words << QStringLiteral("y2");
            side = back;
        }
        QString name;
        for (const Named &n : moves)
            if (n.pins == p && name.isEmpty())
                name = QLatin1String(n.name);
        words << QStringLiteral("%1%2%3").arg(name).arg(std::abs(a)).arg(a > 0 ? '-' : '+');
    });
    if (side != endsBack)
        words << QStringLiteral("y2");
    for (const Named &p : pinNames)
        if (pins & p.pins)
            words << QLatin1String(p.name);
    out = words.join(QLatin1Char(' '));
    return true;
}

QString randomMoveScramble(std::mt19937_64 &rng)
{
    std::uniform_int_distribution<int> amount(-5, 6), pins(0, 15);
    std::array<int, 14> a;
    for (int &x : a)
        x = amount(rng);
    return scrambleText(a, pins(rng));
}

bool amountsFor(const Clock &c, std::array<int, 14> &amounts)
{
    // The dials each move turns by one hour, as columns of a system modulo 12.
    int m[14][15];
    for (int j = 0; j < 14; ++j) {
        const std::array<int, 14> col = freeDials(turned(Clock(), j >= 9, moves[j].pins, 1));
        for (int i = 0; i < 14; ++i)
            m[i][j] = col[std::size_t(i)];
    }
    const std::array<int, 14> target = freeDials(c);
    for (int i = 0; i < 14; ++i)
        m[i][14] = target[std::size_t(i)];
    // Gauss-Jordan elimination with a pivot that has an inverse modulo 12.
    for (int col = 0; col < 14; ++col) {
        int row = col;
        while (row < 14 && unit12(m[row][col]) == 0)
            ++row;
        if (row == 14)
            return false;
        std::swap(m[row], m[col]);
        const int inv = unit12(m[col][col]);
        for (int k = 0; k < 15; ++k)
            m[col][k] = m[col][k] * inv % 12;
        for (int r = 0; r < 14; ++r)
            if (r != col && m[r][col] != 0) {
                const int f = m[r][col];
                for (int k = 0; k < 15; ++k)
                    m[r][k] = ((m[r][k] - f * m[col][k]) % 12 + 12) % 12;
            }
    }
    std::array<int, 14> a;
    for (int i = 0; i < 14; ++i)
        a[std::size_t(i)] = m[i][14] > 6 ? m[i][14] - 12 : m[i][14];
    // The corners behind follow from those in front; a clock whose do not is none a scramble reaches.
    Clock check;
    for (int i = 0; i < 14; ++i)
        check = turned(check, i >= 9, moves[i].pins, a[std::size_t(i)]);
    if (check.front != c.front || check.back != c.back)
        return false;
    amounts = a;
    return true;
}

QString randomStateScramble(std::mt19937_64 &rng, Clock *state)
{
    std::uniform_int_distribution<int> hour(0, 11), pins(0, 15);
    Clock c;
    for (int i = 0; i < 9; ++i)
        c.front[std::size_t(i)] = std::uint8_t(hour(rng));
    for (const int i : backFree)
        c.back[std::size_t(i)] = std::uint8_t(hour(rng));
    for (const int i : {0, 2, 6, 8})
        c.back[std::size_t(i / 3 * 3 + 2 - i % 3)] = std::uint8_t((12 - c.front[std::size_t(i)]) % 12);
    const int up = pins(rng); // as seen from the back, which ends in front
    c.pinsUpFront = 15 & ~mirrored(up);
    std::array<int, 14> amounts{};
    amountsFor(c, amounts);
    if (state)
        *state = c;
    return scrambleText(amounts, up);
}

} // namespace clockpuzzle
