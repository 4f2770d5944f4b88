#include "app/cadenza.h"
#include "app/commandline.h"
#include "session/sessionstore.h"

#include <QApplication>
#include <QLockFile>

int main(int argc, char *argv[])
{
    setApplicationIdentity();
    answerCommandLine(argc, argv);
    QApplication app(argc, argv);
    // One window per session file: a second one says so and leaves before it
    // has read or written anything.
    QLockFile sessionLock(sessionLockPath());
    if (!claimSession(sessionLock))
        return 1;
    Cadenza window;
    window.show();
    return app.exec();
}
