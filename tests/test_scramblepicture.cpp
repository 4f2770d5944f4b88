#include "app/cadenza.h"
#include "puzzle/randomscrambler.h"
#include "display/scramblepicture.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QScreen>
#include <QSettings>

using namespace cube;

class ScramblePictureTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }

    void pictureBesideTheScrambleWhenChosen()
    {
        {
            Cadenza w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            // Off by default: the move generator and no picture; Algs mode has no scramble, so no picture.
            QVERIFY(!w.ui->actionRandom_State_Scrambles->isChecked());
            QVERIFY(!w.ui->actionShow_Scramble_Picture->isChecked() && !w.ui->scramblePicture->isVisible());
            QCOMPARE(w.ui->scramblePicture->accessibleName(), QStringLiteral("Scramble picture"));
            w.ui->actionShow_Scramble_Picture->trigger();
            QVERIFY(w.ui->scramblePicture->isVisible());
            for (const int mode : {1, 0}) {
                w.ui->modeSlider->setValue(mode);
                QCOMPARE(w.ui->scramblePicture->isVisible(), mode == 0);
            }

            // A known scramble through the window: one sticker per face, worked out with a cube in hand.
            const struct { const char *scramble; int at[6][2]; int colour[6]; } known[] = {
                {"R", {{NetU, 2}, {NetR, 4}, {NetF, 2}, {NetD, 2}, {NetL, 0}, {NetB, 6}}, {NetF, NetR, NetD, NetB, NetL, NetU}},
                {"F", {{NetU, 6}, {NetR, 0}, {NetF, 0}, {NetD, 0}, {NetL, 2}, {NetB, 4}}, {NetL, NetU, NetF, NetR, NetD, NetB}},
            };
            for (const auto &c : known) {
                w.currentScramble = QString::fromLatin1(c.scramble);
                w.updateHistory();
                const QImage picture = w.ui->scramblePicture->grab().toImage();
                for (int k = 0; k < 6; ++k)
                    QVERIFY2(picture.pixelColor(scrambleStickerRect(picture.size(), c.at[k][0], c.at[k][1]).center())
                                 == scrambleFaceColour(c.colour[k]), c.scramble);
            }
            // With an empty session the refresh repaints the picture too, also when the scramble's text keeps
            // its size (no layout change repaints it by chance). Read from what the window really shows (its
            // backing store): grab() would paint afresh.
            QWidget *pic = w.ui->scramblePicture;
            const auto shows = [&](const QString &scramble) {
                Cube c;
                const Facelets f = facelets(cubeAfterScramble(scramble, c) ? c : Cube());
                const QPoint at = pic->mapTo(&w, QPoint(0, 0));
                const QImage shown = w.screen()->grabWindow(w.winId(), at.x(), at.y(), pic->width(), pic->height()).toImage();
                for (int i = 0; i < 54; ++i)
                    if (shown.pixelColor(scrambleStickerRect(pic->size(), i / 9, i % 9).center()) != scrambleFaceColour(f[i]))
                        return false;
                return true;
            };
            for (const QString scramble : {"R U F", "F U R"}) {
                w.currentScramble = scramble;
                w.updateHistory();
                QTRY_VERIFY2(shows(scramble), qPrintable(scramble));
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
                const QImage picture = w.ui->scramblePicture->grab().toImage();
                const Facelets f = facelets(w.randomScrambler->last().state);
                for (int i = 0; i < 54; ++i)
                    QVERIFY(picture.pixelColor(scrambleStickerRect(picture.size(), i / 9, i % 9).center())
                            == scrambleFaceColour(f[std::size_t(i)]));
                w.on_startButton_clicked();
                w.on_startButton_clicked();
            }
            QCOMPARE(w.scrambles.size(), 4);
            // The tooltip tells which generator made the scramble shown.
            const QString formTip = w.moveScrambleToolTip;
            QVERIFY(!formTip.isEmpty() && w.ui->scrambleLabel->toolTip() != formTip);
            w.ui->actionRandom_State_Scrambles->trigger();
            QCOMPARE(w.ui->scrambleLabel->toolTip(), formTip);
            w.ui->actionRandom_State_Scrambles->trigger();
        }
        // Stored as 0/1 and restored at the next start.
        const QSettings stored(QStringLiteral("Merlo"), QStringLiteral("Cadenza"));
        for (const char *key : {"actionRandom_State_Scrambles", "actionShow_Scramble_Picture"})
            QCOMPARE(stored.value(QLatin1String(key)).toInt(), 1);
        Cadenza w;
        QVERIFY(w.ui->actionRandom_State_Scrambles->isChecked() && w.ui->actionShow_Scramble_Picture->isChecked());
    }
};

QTEST_MAIN(ScramblePictureTest)
#include "test_scramblepicture.moc"
