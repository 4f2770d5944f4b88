#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

// The window comes up with every control of the form and an empty session.
class SmokeTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }
    void windowStartsIdleWithAScramble()
    {
        Cadenza w;
        QVERIFY(!w.running);
        QVERIFY(w.times.empty());
        QCOMPARE(w.currentScramble.split(' ').size(), 21);
        QCOMPARE(w.ui->scrambleLabel->text(), w.currentScramble);
        QCOMPARE(w.windowTitle(), QString::fromUtf8("Cadenza v0.5 \u2013 by Merlo"));
    }
};

QTEST_MAIN(SmokeTest)
#include "test_smoke.moc"
