#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QSettings>
#include <QSlider>

class SettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }
    void firstStartDefaultsThenStoredValues()
    {
        {
            Cadenza w; // first start in an empty settings folder: the form's defaults
            QVERIFY(w.ui->showAudioCheck->isChecked() && !w.ui->boostAudioCheck->isChecked());
            QCOMPARE(w.ui->modeSlider->value(), 0);
            QCOMPARE(w.ui->silenceSpin->value(), 0.4);
        }
        QSettings stored(QStringLiteral("Merlo"), QStringLiteral("Cadenza")); // seen at once by the window
        stored.setValue(QStringLiteral("showAudioCheck"), 0);
        stored.setValue(QStringLiteral("modeSlider"), 1);
        Cadenza w;
        QVERIFY(!w.ui->showAudioCheck->isChecked()); // 0 although the form checks it
        QCOMPARE(w.ui->modeSlider->value(), 1);
    }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
