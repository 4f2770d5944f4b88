// libFuzzer harness for the csTimer reader: any bytes must be read without a
// crash or undefined behaviour, and whatever was read must survive a trip
// through the writer and the reader again with the same solves.
#include "exchange/cstimer.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), int(size));
    const std::optional<CSTimerFile> file = parseCSTimerFile(text);
    if (!file)
        return 0;
    const QStringList choices = cstimerImportChoices(*file);
    if (choices.size() != int(file->pieces.size()) + 1)
        abort();
    (void)cstimerImportQuestion(*file);

    const SessionData all = cstimerChosenSolves(*file, 0);
    if (all.size() != file->totalSolves())
        abort();
    const SessionData merged = mergeInDateOrder(SessionData().view(), all);

    const std::optional<CSTimerFile> again = parseCSTimerFile(formatCSTimerFile(merged.view()));
    if (!again || again->pieces.size() != 1 || again->pieces[0].size() != merged.size())
        abort();
    const SessionData &back = again->pieces[0];
    for (int i = 0; i < merged.size(); ++i) {
        if (back.penalties[std::size_t(i)] != merged.penalties[std::size_t(i)])
            abort();
        const qint64 d = merged.dates[std::size_t(i)];
        if (d > -(qint64(1) << 53) && d < (qint64(1) << 53) && back.dates[std::size_t(i)] != d)
            abort();
        const float t = merged.times[std::size_t(i)];
        if (t > -16777216.0f && t < 16777216.0f && back.times[std::size_t(i)] != t)
            abort();
        if (back.scrambles[i].size() != merged.scrambles[i].size() && merged.scrambles[i].isValidUtf16())
            abort();
    }
    return 0;
}
