#ifndef CADENZA_SCRAMBLE_H
#define CADENZA_SCRAMBLE_H

#include <QString>
#include <functional>

// A 21-move scramble: no face turned twice in a row, no face turned again
// right after its opposite face (R L R), 7 to 12 half turns and up to
// 20 - halves counter-clockwise turns. `draw` is the source of random
// integers (non-negative); the window passes the C library's rand().
QString makeScramble(const std::function<int()> &draw);

#endif
