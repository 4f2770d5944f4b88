#include "app/keyroute.h"

#include <QtTest>

class KeyRouteTest : public QObject
{
    Q_OBJECT
private slots:
    void timerTakes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("inMainWindow");
        QTest::addColumn<bool>("popupOrModal");
        QTest::addColumn<bool>("timerBusy");
        QTest::addColumn<bool>("taken");
        const int press = QEvent::KeyPress, release = QEvent::KeyRelease, shortcut = QEvent::ShortcutOverride;
        QTest::newRow("idle: space press") << press << int(Qt::Key_Space) << true << false << false << true;
        QTest::newRow("idle: other keys stay with the control") << press << int(Qt::Key_Up) << true << false << false << false;
        QTest::newRow("idle: Escape stays with the control") << release << int(Qt::Key_Escape) << true << false << false << false;
        QTest::newRow("idle: shortcuts work") << shortcut << int(Qt::Key_I) << true << false << false << false;
        QTest::newRow("busy: any press") << press << int(Qt::Key_Right) << true << false << true << true;
        QTest::newRow("busy: a shortcut's key stops instead") << shortcut << int(Qt::Key_I) << true << false << true << true;
        QTest::newRow("another window") << press << int(Qt::Key_Space) << false << false << true << false;
        QTest::newRow("a menu or modal dialog is up") << release << int(Qt::Key_Space) << true << true << true << false;
        QTest::newRow("not a key event") << int(QEvent::MouseButtonPress) << 0 << true << false << true << false;
    }
    void timerTakes()
    {
        QFETCH(int, type);
        QFETCH(int, key);
        QFETCH(bool, inMainWindow);
        QFETCH(bool, popupOrModal);
        QFETCH(bool, timerBusy);
        QFETCH(bool, taken);
        QCOMPARE(keyroute::timerTakes({QEvent::Type(type), key, inMainWindow, popupOrModal, timerBusy}), taken);
    }
};

QTEST_GUILESS_MAIN(KeyRouteTest)
#include "test_keyroute.moc"
