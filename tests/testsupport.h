#ifndef CADENZA_TESTSUPPORT_H
#define CADENZA_TESTSUPPORT_H

#include <QByteArray>
#include <QtTest>

// Tests that construct the main window read and write the session file in the
// data folder and the settings store. They refuse to run outside run-isolated.sh (which
// CTest always uses), so running a test binary by hand can never touch the
// user's real data.
inline void requireIsolation()
{
    if (qgetenv("CADENZA_ISOLATED") != "1")
        qFatal("run this test through tests/run-isolated.sh (ctest does): it needs a private data folder and /tmp");
}

#endif
