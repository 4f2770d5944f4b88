#ifndef CADENZA_CLOCK_H
#define CADENZA_CLOCK_H

// The Clock as pure values: nine dials on each side, four pins, and the
// pin-and-dial scramble notation.
//
// Dials are numbered row by row as the side is seen (0 top left, 8 bottom
// right); a dial reads 0 (12 o'clock) to 11. A corner dial's wheel also turns
// the corner dial behind it, which is seen the other way round: the back
// dial behind front dial (row, col) is (row, 2 - col), and it turns the
// other way. Pins are UL, UR, DL, DR as the side is seen; a pin up on one
// side is down on the other.
//
// A move "UR3+" pushes up the pins named (UR; U is UL and UR, R is UR and DR,
// D is DL and DR, L is UL and DL, ALL all four) and turns a wheel by 3 hours
// clockwise ("-" anticlockwise): every dial next to a raised pin turns with
// it. "y2" turns the puzzle over so that the back is in front. Pin names
// without an amount at the end list the pins left up; the others are down.

#include <QString>
#include <array>
#include <cstdint>
#include <random>

namespace clockpuzzle {

enum Pin { UL = 1, UR = 2, DL = 4, DR = 8 };

struct Clock
{
    std::array<std::uint8_t, 9> front{}, back{};
    int pinsUpFront = 0; // Pin bits up on the front (the others are up on the back)

    bool operator==(const Clock &o) const { return front == o.front && back == o.back && pinsUpFront == o.pinsUpFront; }
    bool operator!=(const Clock &o) const { return !(*this == o); }
};

// Every dial at 12 (the pins do not count).
bool isSolved(const Clock &c);

// With `pins` (as seen from that side) up, the wheel turned `amount` hours
// clockwise as seen from the front or the back. The pins stay as they were
// before; only the dials turn.
Clock turned(Clock c, bool back, int pins, int amount);

// The solved clock after the scramble text; false if the text is not one.
bool clockAfterScramble(const QString &scramble, Clock &out);
// The text of `amounts` for the 14 moves UR DR DL UL U R D L ALL, y2, U R D
// L ALL (each -5 to 6), followed by the pins left up (bits as seen from the
// back, which ends in front).
QString scrambleText(const std::array<int, 14> &amounts, int pinsUp);
// The moves that, read after the scramble, turn every dial back: the same
// moves with negated amounts, on the same sides; it ends turned as the
// scramble ends, with the same pins up (false if the text is not a scramble).
bool inverseScramble(const QString &scramble, QString &out);

// Each amount drawn from -5 to 6, each pin up or down at random.
QString randomMoveScramble(std::mt19937_64 &rng);

// A random-state scramble: the 14 independent dials (the nine in front and
// the five non-corner dials behind) drawn uniformly, and the amounts that
// reach them solved for. `state` is the drawn clock.
QString randomStateScramble(std::mt19937_64 &rng, Clock *state = nullptr);
// The amounts of the 14 moves that take the solved clock to `c`; false if
// `c` is not a clock any scramble reaches (its corners do not agree).
bool amountsFor(const Clock &c, std::array<int, 14> &amounts);

} // namespace clockpuzzle

#endif
