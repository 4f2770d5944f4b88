#include "audio/capturerestart.h"

#include <QtTest>

using Indices = std::vector<int>;

class CaptureRestartTest : public QObject
{
    Q_OBJECT
private slots:
    // Stored (every device of a doubled name), then the default, then the rest; each once.
    void restartOrder()
    {
        const QStringList names{"default", "pulse", "mic", "vmic.monitor", "mic"};
        struct Row { QStringList names; QString stored, defaultName; Indices preferred, others; };
        for (const Row &r : {Row{names, "mic", "vmic.monitor", {2, 4, 3}, {0, 1}}, Row{names, "", "vmic.monitor", {3}, {0, 1, 2, 4}},
                             Row{names, "usb", "default", {0}, {1, 2, 3, 4}}, Row{names, "pulse", "pulse", {1}, {0, 2, 3, 4}},
                             Row{names, "", "", {}, {0, 1, 2, 3, 4}}, Row{{}, "mic", "default", {}, {}}}) {
            const capturechoice::Order order = capturechoice::restartOrder(r.names, r.stored, r.defaultName);
            QVERIFY2(order.preferred == r.preferred && order.others == r.others, qPrintable(r.stored + '/' + r.defaultName));
        }
    }
};

QTEST_GUILESS_MAIN(CaptureRestartTest)
#include "test_capturerestart.moc"
