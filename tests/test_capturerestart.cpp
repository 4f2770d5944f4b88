#include "audio/capturerestart.h"

#include <QtTest>

using Indices = std::vector<int>;

class CaptureRestartTest : public QObject
{
    Q_OBJECT
private slots:
    void restartOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("defaultName");
        QTest::addColumn<Indices>("preferred");
        QTest::addColumn<Indices>("others");
        const QStringList names{"default", "pulse", "mic", "vmic.monitor", "mic"};
        QTest::newRow("stored (both of a doubled name), then the default") << names << "mic" << "vmic.monitor" << Indices{2, 4, 3} << Indices{0, 1};
        QTest::newRow("nothing stored: the default") << names << "" << "vmic.monitor" << Indices{3} << Indices{0, 1, 2, 4};
        QTest::newRow("stored name gone: the default") << names << "usb" << "default" << Indices{0} << Indices{1, 2, 3, 4};
        QTest::newRow("stored is the default: once") << names << "pulse" << "pulse" << Indices{1} << Indices{0, 2, 3, 4};
        QTest::newRow("no default listed") << names << "" << "" << Indices{} << Indices{0, 1, 2, 3, 4};
        QTest::newRow("no devices") << QStringList() << "mic" << "default" << Indices{} << Indices{};
    }
    void restartOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, stored);
        QFETCH(QString, defaultName);
        const capturechoice::Order order = capturechoice::restartOrder(names, stored, defaultName);
        QTEST(order.preferred, "preferred");
        QTEST(order.others, "others");
    }
};

QTEST_GUILESS_MAIN(CaptureRestartTest)
#include "test_capturerestart.moc"
