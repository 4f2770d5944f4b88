#include "app/cadenza.h"
#include "app/commandline.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    setApplicationIdentity();
    answerCommandLine(argc, argv);
    QApplication app(argc, argv);
    Cadenza window;
    window.show();
    return app.exec();
}
