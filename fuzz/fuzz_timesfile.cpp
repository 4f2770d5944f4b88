// libFuzzer harness for the times-file reader: any bytes must be read without
// a crash or undefined behaviour, and a session read from them must come back
// the same when written and read again.
#include "session/timesfile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

bool sameFloat(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b) || (a == 0 && b == 0);
}

// The writer turns a carriage return that the reader left inside a scramble
// into a space (no text may break a line of the file).
QString written(QString scramble)
{
    return scramble.replace(QLatin1Char('\r'), QLatin1Char(' '));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    const SessionData first = parseTimesFile(text, 1700000000);
    const SessionData again = parseTimesFile(formatTimesFile(first.view()), 0);
    if (again.size() != first.size())
        abort();
    for (std::size_t i = 0; i < std::size_t(first.size()); ++i) {
        if (!sameFloat(again.times[i], first.times[i]) ||
            !sameFloat(again.pauseStats[i].idleFraction, first.pauseStats[i].idleFraction) ||
            again.pauseStats[i].pauseCount != first.pauseStats[i].pauseCount || again.splits[i] != first.splits[i] ||
            again.dates[i] != first.dates[i] || again.penalties[i] != first.penalties[i] ||
            again.scrambles[int(i)] != written(first.scrambles[int(i)]))
            abort();
    }
    return 0;
}
