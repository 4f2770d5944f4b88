#include "app/cadenza.h"
#include "puzzle/randomscrambler.h"
#include "display/scramblepicture.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QScreen>

using namespace cube;

class ScramblePictureTest : public QObject
{
    Q_OBJECT
private slots:

    void pictureBesideTheScrambleWhenChosen()
    {
        Cadenza w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Shown when chosen, and in Solves mode only: Algs mode has no scramble.
        QVERIFY(!w.ui->scramblePicture->isVisible());
        w.ui->actionShow_Scramble_Picture->trigger();
        for (const int mode : {1, 0}) {
            w.ui->modeSlider->setValue(mode);
            QCOMPARE(w.ui->scramblePicture->isVisible(), mode == 0);
        }
        // Whether the window shows these stickers, read from what it really shows (its backing store):
        // grab() would paint afresh.
        QWidget *pic = w.ui->scramblePicture;
        const auto shows = [&](const Facelets &f) {
            const QPoint at = pic->mapTo(&w, QPoint(0, 0));
            const QImage shown = w.screen()->grabWindow(w.winId(), at.x(), at.y(), pic->width(), pic->height()).toImage();
            for (int i = 0; i < 54; ++i)
                if (shown.pixelColor(scrambleStickerRect(pic->size(), i / 9, i % 9).center()) != scrambleFaceColour(f[std::size_t(i)]))
                    return false;
            return true;
        };
        // With an empty session the refresh repaints the picture too, also when the scramble's text keeps its
        // size (no layout change repaints it by chance).
        for (const QString scramble : {"R U F", "F U R"}) {
            w.currentScramble = scramble;
            w.updateHistory();
            Cube c;
            QTRY_VERIFY2(cubeAfterScramble(scramble, c) && shows(facelets(c)), qPrintable(scramble));
        }
        // Random-state scrambles: once the tables are built, each scramble shown is a drawn state, pictured
        // sticker by sticker (the painter draws whatever scramble the window shows).
        const QString shown = w.currentScramble; // kept until the tables are built
        w.ui->actionRandom_State_Scrambles->trigger();
        QVERIFY(!w.randomScrambler->ready());
        QCOMPARE(w.currentScramble, shown);
        QTRY_VERIFY_WITH_TIMEOUT(w.randomScrambler->ready(), 60000);
        for (int solves = 0; solves <= 3; ++solves) { // the scramble shown once ready, then after each solve
            QCOMPARE(w.currentScramble, w.randomScrambler->last().text);
            QTRY_VERIFY(shows(facelets(w.randomScrambler->last().state)));
            w.on_startButton_clicked(), w.on_startButton_clicked();
        }
        QCOMPARE(w.scrambles.size(), 4);
        // The tooltip tells which generator made the scramble shown.
        const QString formTip = w.moveScrambleToolTip;
        QVERIFY(!formTip.isEmpty());
        QCOMPARE(w.ui->scrambleLabel->toolTip() != formTip, w.randomScrambler->lastWasRandomState());
        w.ui->actionRandom_State_Scrambles->trigger();
        QCOMPARE(w.ui->scrambleLabel->toolTip(), formTip);
    }
};

CADENZA_TEST_MAIN(ScramblePictureTest)
#include "test_scramblepicture.moc"
