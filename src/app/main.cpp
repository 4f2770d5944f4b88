#include "app/cadenza.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Cadenza window;
    window.show();
    return app.exec();
}
