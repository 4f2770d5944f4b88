#include "app/keyroute.h"

#include <QtTest>

class KeyRouteTest : public QObject
{
    Q_OBJECT
private slots:
    // What the window tests cannot reach: menus and modal dialogs, shortcuts, other event types.
    void timerTakes()
    {
        const auto press = QEvent::KeyPress, release = QEvent::KeyRelease, shortcut = QEvent::ShortcutOverride;
        struct Row { QEvent::Type type; int key; bool inMainWindow, popupOrModal, timerBusy, taken; };
        for (const Row &r : {Row{press, Qt::Key_Space, true, false, false, true}, Row{press, Qt::Key_Up, true, false, false, false},
                             Row{release, Qt::Key_Escape, true, false, false, false}, Row{shortcut, Qt::Key_I, true, false, false, false},
                             Row{shortcut, Qt::Key_I, true, false, true, true}, Row{press, Qt::Key_Right, true, false, true, true},
                             Row{press, Qt::Key_Space, false, false, true, false}, Row{release, Qt::Key_Space, true, true, true, false},
                             Row{QEvent::MouseButtonPress, 0, true, false, true, false}})
            QVERIFY2(keyroute::timerTakes({r.type, r.key, r.inMainWindow, r.popupOrModal, r.timerBusy}) == r.taken,
                     qPrintable(QStringLiteral("type %1 key %2").arg(int(r.type)).arg(r.key)));
    }
};

QTEST_GUILESS_MAIN(KeyRouteTest)
#include "test_keyroute.moc"
