#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

class ModeLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }
    void layoutTable() // both modes with each switch: visible panels, minimum heights, caption fonts
    {
        for (int i = 0; i < 48; ++i) {
            const bool solves = i < 24, audio = i & 4, stats = i & 2, disable = i & 1;
            Cadenza w;
            w.ui->splitsCombo->setCurrentIndex(i / 8 % 3); // the mode last: its slot sees the others set
            w.ui->showStatsCheck->setChecked(stats);
            w.ui->disableAudioCheck->setChecked(disable);
            w.ui->showAudioCheck->setChecked(audio);
            w.ui->modeSlider->setValue(solves ? 0 : 1);
            auto v = [&](QWidget *x) { return int(x->isVisibleTo(&w)); };
            const QFont big = w.ui->solveLabel->font(), small = w.ui->algsLabel->font();
            const QVector<int> got = {v(w.ui->audioWidget), v(w.ui->pauseLabel), v(w.ui->algsOptions),
                v(w.ui->statsWidget), v(w.ui->scrambleLabel), v(w.ui->splitLabel), v(w.ui->statsDisplay),
                w.ui->statsDisplay->minimumHeight(), w.ui->timerDisplay->minimumHeight(), big.pointSize(),
                big.weight(), small.pointSize(), small.weight()};
            const int normal = QFont().weight(), bold = QFont::Bold;
            const QVector<int> want = {audio, !solves || !disable, !solves, solves, solves, solves && i / 8 % 3,
                solves && stats, solves && stats ? 80 : 0, solves ? 20 : 60, solves ? 20 : 10,
                solves ? bold : normal, solves ? 10 : 20, solves ? normal : bold};
            QVERIFY2(got == want, qPrintable(QString("case %1").arg(i)));
        }
    }
};

QTEST_MAIN(ModeLayoutTest)
#include "test_modelayout.moc"
