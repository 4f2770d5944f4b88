#ifndef CADENZA_CLIPBOARD_H
#define CADENZA_CLIPBOARD_H

#include "session/session.h"

#include <QDate>
#include <QString>

// The text report of the newest `n` solves, oldest of them first: a header with
// `today` and the trimmed average, then one line per solve with its time (best
// and worst in parentheses), its scramble and its splits. A session with fewer
// than `n` solves reports the solves it has ("avg of 3: ..."; with fewer than
// three solves there is no trimmed average and the line reads "-"). An empty
// session, or n below 1, gives an empty text.
QString averageReport(const SessionView &session, int n, const QDate &today);

#endif
