#include "app/inspection.h"

#include "session/session.h"

#include <algorithm>

namespace inspection {

State at(qint64 elapsedMs)
{
    const qint64 t = std::max<qint64>(elapsedMs, 0);
    State s;
    s.warningLevel = t >= secondWarningMs ? 2 : t >= firstWarningMs ? 1 : 0;
    if (t > plusTwoUntilMs) {
        s.phase = Phase::Dnf;
        s.clockText = QStringLiteral("DNF");
        s.penalty = PenaltyDnf;
    } else if (t > allowedMs) {
        s.phase = Phase::PlusTwo;
        s.clockText = QStringLiteral("+2");
        s.penalty = PenaltyPlusTwo;
    } else {
        // Whole seconds left, rounded up: "15" for the first second, "1" for
        // the last one up to and including the 15 s mark.
        const qint64 left = (allowedMs - t + 999) / 1000;
        s.clockText = QString::number(std::max<qint64>(left, 1));
        s.penalty = PenaltyNone;
    }
    return s;
}

QColor warningColour(int level)
{
    switch (level) {
    case 1:
        return QColor(0xe0, 0x8a, 0x00); // amber
    case 2:
        return QColor(0xd0, 0x20, 0x20); // red
    default:
        return QColor();
    }
}

} // namespace inspection
