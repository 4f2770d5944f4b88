#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QSettings>

// The window in both modes with each switch: which panels show, the fonts of
// the mode captions and the minimum heights of the two painted displays.
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
        // Set the switches in an order that makes each slot run at least once
        // with the others already in place.
        w.ui->splitsCombo->setCurrentIndex(splits);
        w.ui->showStatsCheck->setChecked(showStats);
        w.ui->disableAudioCheck->setChecked(disable);
        w.ui->modeSlider->setValue(mode);
        const bool solves = mode == 0;
        QCOMPARE(shown(w, w.ui->pauseLabel), !solves || !disable);
        QCOMPARE(shown(w, w.ui->algsOptions), !solves);
        QCOMPARE(shown(w, w.ui->statsWidget), solves);
        QCOMPARE(shown(w, w.ui->scrambleLabel), solves);
        QCOMPARE(shown(w, w.ui->splitLabel), solves && splits != 0);
        QCOMPARE(shown(w, w.ui->statsDisplay), solves && showStats);
        QCOMPARE(w.ui->statsDisplay->minimumHeight(), solves && showStats ? 80 : 0);
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), solves ? 20 : 60);
        QCOMPARE(shown(w, w.ui->audioWidget), true);

        QLabel *big = solves ? w.ui->solveLabel : w.ui->algsLabel;
        QLabel *small = solves ? w.ui->algsLabel : w.ui->solveLabel;
        QCOMPARE(big->font().pointSize(), 20);
        QCOMPARE(big->font().weight(), 75);
        QCOMPARE(small->font().pointSize(), 10);
        QCOMPARE(small->font().weight(), QFont().weight());
    }

    void showAudioOnlyTogglesTheAudioPanel()
    {
        for (int mode : {0, 1}) {
            Cadenza w;
            w.show();
            w.ui->modeSlider->setValue(mode);
            const bool statsShown = shown(w, w.ui->statsDisplay);
            const bool pauseShown = shown(w, w.ui->pauseLabel);
            w.ui->showAudioCheck->setChecked(false);
            QVERIFY(!shown(w, w.ui->audioWidget));
            QCOMPARE(shown(w, w.ui->statsDisplay), statsShown);
            QCOMPARE(shown(w, w.ui->pauseLabel), pauseShown);
            w.ui->showAudioCheck->setChecked(true);
            QVERIFY(shown(w, w.ui->audioWidget));
        }
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
        {
            QSettings settings(QStringLiteral("Merlo"), QStringLiteral("Cadenza"));
            settings.setValue("modeSlider", 1);
            settings.setValue("showStatsCheck", 0);
        }
        Cadenza w;
        QVERIFY(shown(w, w.ui->algsOptions));
        QVERIFY(!shown(w, w.ui->statsWidget));
        QCOMPARE(w.ui->algsLabel->font().pointSize(), 20);
        QCOMPARE(w.ui->timerDisplay->minimumHeight(), 60);
        QCOMPARE(w.ui->statsDisplay->minimumHeight(), 0);
    }
};

QTEST_MAIN(ModeLayoutTest)
#include "test_modelayout.moc"
