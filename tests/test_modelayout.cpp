#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QSettings>

// The window in both modes with each switch: visible panels, caption fonts, minimum display heights.
class ModeLayoutTest : public QObject
{
    Q_OBJECT

    static bool shown(Cadenza &w, QWidget *widget) { return widget->isVisibleTo(&w); }

private slots:
    void initTestCase() { requireIsolation(); }
    void init() { QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).clear(); }

    void layoutTable_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("splits");
        QTest::addColumn<bool>("showStats");
        QTest::addColumn<bool>("disable");
        for (int mode : {0, 1})
            for (int splits : {0, 1, 2})
                for (bool stats : {true, false})
                    for (bool disable : {false, true})
                        QTest::addRow("mode %d splits %d stats %d disable %d", mode, splits, stats, disable)
                            << mode << splits << stats << disable;
    }
    void layoutTable()
    {
        QFETCH(int, mode);
        QFETCH(int, splits);
        QFETCH(bool, showStats);
        QFETCH(bool, disable);
        Cadenza w;
        w.show();
        // The mode last, so each switch's slot also runs with the others already set.
        w.ui->splitsCombo->setCurrentIndex(splits);
        w.ui->showStatsCheck->setChecked(showStats);
        w.ui->disableAudioCheck->setChecked(disable);
        w.ui->modeSlider->setValue(mode);
        const bool solves = mode == 0;
        // "show audio" toggles the audio panel alone.
        for (bool audio : {true, false, true}) {
            w.ui->showAudioCheck->setChecked(audio);
            QCOMPARE(shown(w, w.ui->audioWidget), audio);
            QCOMPARE(shown(w, w.ui->pauseLabel), !solves || !disable);
            QCOMPARE(shown(w, w.ui->algsOptions), !solves);
            QCOMPARE(shown(w, w.ui->statsWidget), solves);
            QCOMPARE(shown(w, w.ui->scrambleLabel), solves);
            QCOMPARE(shown(w, w.ui->splitLabel), solves && splits != 0);
            QCOMPARE(shown(w, w.ui->statsDisplay), solves && showStats);
        }
        QCOMPARE(w.ui->statsDisplay->minimumHeight(), solves && showStats ? 80 : 0);
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), solves ? 20 : 60);
        QLabel *big = solves ? w.ui->solveLabel : w.ui->algsLabel;
        QLabel *small = solves ? w.ui->algsLabel : w.ui->solveLabel;
        QVERIFY(big->font().pointSize() == 20 && big->font().weight() == QFont::Bold);
        QVERIFY(small->font().pointSize() == 10 && small->font().weight() == QFont().weight());
    }

    void switchingToAlgsResetsTheChartHeight()
    {
        Cadenza w;
        w.ui->modeSlider->setValue(1);
        w.algSequences = {{1.0f}, {2.0f}, {3.0f}};
        w.algLabels = QStringList({"a", "b", "c"});
        w.updateAlgDisplayHeight();
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 109);
        w.ui->modeSlider->setValue(0);
        w.ui->modeSlider->setValue(1);
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 60);
    }

    void storedModeIsAppliedAtStartUp()
    {
        QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).setValue("modeSlider", 1);
        Cadenza w;
        QVERIFY(shown(w, w.ui->algsOptions) && !shown(w, w.ui->statsWidget));
        QCOMPARE(w.ui->algsLabel->font().pointSize(), 20);
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 60);
        QCOMPARE(w.ui->statsDisplay->minimumHeight(), 0);
    }
};

QTEST_MAIN(ModeLayoutTest)
#include "test_modelayout.moc"
