#include "app/cadenza.h"
#include "app/randomscrambler.h"
#include "display/scramblepicture.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QSettings>
#include <QSlider>

using namespace cube;

namespace {

QColor stickerColour(const QImage &picture, int face, int index)
{
    return picture.pixelColor(scrambleStickerRect(picture.size(), face, index).center());
}

QImage showScramble(Cadenza &w, const QString &scramble)
{
    w.currentScramble = scramble;
    w.updateHistory();
    return w.ui->scramblePicture->grab().toImage();
}

} // namespace

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
            // Off by default: the move generator and no picture.
            QVERIFY(!w.ui->actionRandom_State_Scrambles->isChecked() && !w.ui->actionShow_Scramble_Picture->isChecked());
            QVERIFY(!w.ui->scramblePicture->isVisible());
            QCOMPARE(w.ui->scramblePicture->accessibleName(), QStringLiteral("Scramble picture"));
            w.ui->actionShow_Scramble_Picture->trigger();
            QVERIFY(w.ui->scramblePicture->isVisible());
            w.ui->modeSlider->setValue(1); // Algs mode has no scramble
            QVERIFY(!w.ui->scramblePicture->isVisible());
            w.ui->modeSlider->setValue(0);
            QVERIFY(w.ui->scramblePicture->isVisible());

            // One sticker per face, worked out with a cube in hand.
            const struct { const char *scramble; int colours[6][2]; } cases[] = {
                {"R", {{NetU, 2}, {NetR, 4}, {NetF, 2}, {NetD, 2}, {NetL, 0}, {NetB, 6}}},
                {"F", {{NetU, 6}, {NetR, 0}, {NetF, 0}, {NetD, 0}, {NetL, 2}, {NetB, 4}}},
            };
            const int expected[2][6] = {{NetF, NetR, NetD, NetB, NetL, NetU}, {NetL, NetU, NetF, NetR, NetD, NetB}};
            for (int c = 0; c < 2; ++c) {
                const QImage picture = showScramble(w, QString::fromLatin1(cases[c].scramble));
                for (int k = 0; k < 6; ++k)
                    QVERIFY2(stickerColour(picture, cases[c].colours[k][0], cases[c].colours[k][1])
                                 == scrambleFaceColour(expected[c][k]),
                             qPrintable(QStringLiteral("%1, face %2").arg(QLatin1String(cases[c].scramble)).arg(k)));
            }

            // Random-state scrambles: once the tables are built the scramble
            // shown is replaced, then every new one is a drawn state, pictured
            // sticker by sticker.
            w.ui->actionRandom_State_Scrambles->trigger();
            QVERIFY(!w.randomScrambler->ready());
            QCOMPARE(w.currentScramble, QStringLiteral("F"));
            QTRY_VERIFY_WITH_TIMEOUT(w.randomScrambler->ready(), 60000);
            QCOMPARE(w.currentScramble, w.randomScrambler->last().text);
            for (int solve = 0; solve < 3; ++solve) {
                w.on_startButton_clicked();
                w.on_startButton_clicked();
                QCOMPARE(w.currentScramble, w.randomScrambler->last().text);
                const QImage picture = w.ui->scramblePicture->grab().toImage();
                const Facelets f = facelets(w.randomScrambler->last().state);
                for (int i = 0; i < 54; ++i)
                    QVERIFY(stickerColour(picture, i / 9, i % 9) == scrambleFaceColour(f[std::size_t(i)]));
            }
            QCOMPARE(w.scrambles.size(), 3);
            // The tooltip tells which generator made the scramble shown.
            const QString formTip = w.moveScrambleToolTip;
            QVERIFY(!formTip.isEmpty() && w.ui->scrambleLabel->toolTip() != formTip);
            w.ui->actionRandom_State_Scrambles->trigger();
            QCOMPARE(w.ui->scrambleLabel->toolTip(), formTip);
            w.ui->actionRandom_State_Scrambles->trigger();
        }
        // Stored as 0/1 and restored at the next start.
        QSettings stored(QStringLiteral("Merlo"), QStringLiteral("Cadenza"));
        QCOMPARE(stored.value(QStringLiteral("actionRandom_State_Scrambles")).toInt(), 1);
        QCOMPARE(stored.value(QStringLiteral("actionShow_Scramble_Picture")).toInt(), 1);
        Cadenza w;
        QVERIFY(w.ui->actionRandom_State_Scrambles->isChecked() && w.ui->actionShow_Scramble_Picture->isChecked());
    }
};

QTEST_MAIN(ScramblePictureTest)
#include "test_scramblepicture.moc"
