#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

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
            QVERIFY(w.ui->modeSlider->value() == 0 && w.ui->silenceSpin->value() == 0.4);
        }
        QSettings stored(QStringLiteral("Merlo"), QStringLiteral("Cadenza")); // seen at once by the window
        stored.setValue(QStringLiteral("showAudioCheck"), 0), stored.setValue(QStringLiteral("modeSlider"), 1);
        stored.setValue(QStringLiteral("fineLevels"), 1); // a calibration with fine levels was applied
        Cadenza w;
        QVERIFY(!w.ui->showAudioCheck->isChecked() && w.ui->modeSlider->value() == 1); // 0 although the form checks it
        QVERIFY(w.fineLevels);
        w.fineLevels = false; // as a calibration on 8-bit levels leaves it: the key goes at shutdown
    }

    void shutdownWritesEveryKeyWithItsType() // check boxes as 1 or 0, never "true"; spins as decimals; the slider and combo as numbers
    {
        {
            Cadenza w;
            w.ui->modeSlider->setValue(1), w.ui->boostAudioCheck->setChecked(true), w.ui->showAudioCheck->setChecked(false);
            w.ui->silenceSpin->setValue(0.7), w.ui->voiceSpin->setValue(6.5), w.ui->gapSpin->setValue(350), w.ui->minAlgSpin->setValue(1200);
            w.ui->splitsCombo->setCurrentIndex(2), w.ui->showStatsCheck->setChecked(false), w.ui->disableAudioCheck->setChecked(true);
        }
        QFile file(QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).fileName());
        QMap<QString, QString> written; // none if unreadable; a line without '=' is a key of its own
        for (const QByteArray &line : file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>())
            written[QString(line.left(line.indexOf('=')))] = QString(line.mid(line.indexOf('=') + 1));
        const QMap<QString, QString> want = {{"CurrentPath", QDir::currentPath()}, {"currentDevice", ""}, {"modeSlider", "1"},
            {"showAudioCheck", "0"}, {"boostAudioCheck", "1"}, {"silenceSpin", "0.7"}, {"voiceSpin", "6.5"}, {"gapSpin", "350"},
            {"minAlgSpin", "1200"}, {"splitsCombo", "2"}, {"showStatsCheck", "0"}, {"disableAudioCheck", "1"},
            {"fineLevels", "(missing)"}}; // only a calibration writes it
        for (const QString &key : want.keys()) QCOMPARE(written.value(key, "(missing)"), want[key]);
    }

    void aChosenMicrophoneIsKeptWhileItIsAway() // its audio server not up yet at start: the choice stays the user's
    {
        const QString chosen = QStringLiteral("USB microphone, unplugged");
        QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).setValue(QStringLiteral("currentDevice"), chosen);
        {
            Cadenza w;
            QVERIFY(!w.audioInput); // nothing of that name here
        }
        QCOMPARE(QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).value(QStringLiteral("currentDevice")).toString(), chosen);
    }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
