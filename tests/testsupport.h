#ifndef CADENZA_TESTSUPPORT_H
#define CADENZA_TESTSUPPORT_H

#include <QByteArray>
#include <QStandardPaths>
#include <QtTest>

// Tests that construct the main window read and write the session file in the
// data folder and the settings store. They refuse to run outside run-isolated.sh (which
// CTest always uses), so running a test binary by hand can never touch the
// user's real data.
inline void requireIsolation()
{
    if (qgetenv("CADENZA_ISOLATED") != "1")
        qFatal("run this test through tests/run-isolated.sh (ctest does): it needs a private data folder and /tmp");
    // The runner's private data folder lies in its private /tmp; anything else
    // would be the user's real one.
    if (!QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).startsWith(QLatin1String("/tmp/")))
        qFatal("the data folder is not the isolated runner's private one");
}

#endif
