#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QSlider>

// The settings restored at start-up and stored at shutdown, in the runner's private settings folder.
class SettingsTest : public QObject
{
    Q_OBJECT
    static QString settingsFile() { return QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).fileName(); }

private slots:
    void initTestCase() { requireIsolation(); }
    void init()
    {
        QFile::remove(settingsFile());
        QFile::remove(QString::fromLatin1(Cadenza::autosavePath));
    }

    void firstStartUsesTheFormDefaults()
    {
        Cadenza w;
        QCOMPARE(w.windowTitle(), QString::fromUtf8("Cadenza v0.5 \u2013 by Merlo"));
        QVERIFY(!w.running && w.times.empty() && w.levels.empty() && w.algSequences.empty());
        QCOMPARE(w.currentScramble.split(' ').size(), 21);
        QCOMPARE(w.ui->scrambleLabel->text(), w.currentScramble);
        QCOMPARE(w.ui->modeSlider->value(), 0);
        QCOMPARE(w.ui->splitsCombo->currentIndex(), 0);
        QVERIFY(w.ui->showAudioCheck->isChecked() && w.ui->showStatsCheck->isChecked());
        QVERIFY(!w.ui->boostAudioCheck->isChecked() && !w.ui->disableAudioCheck->isChecked());
        QCOMPARE(w.ui->silenceSpin->value(), 0.4);
        QCOMPARE(w.ui->voiceSpin->value(), 5.0);
        QCOMPARE(w.ui->gapSpin->value(), 500.0);
        QCOMPARE(w.ui->minAlgSpin->value(), 500.0);
    }

    void storesIntegersAndDoubles()
    {
        {
            Cadenza w;
            w.ui->boostAudioCheck->setChecked(true);
            w.ui->showStatsCheck->setChecked(false);
            w.ui->voiceSpin->setValue(7.5);
            w.ui->splitsCombo->setCurrentIndex(2);
        }
        QFile f(settingsFile());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        for (const char *line : {"boostAudioCheck=1", "showStatsCheck=0", "showAudioCheck=1", "disableAudioCheck=0",
                                 "modeSlider=0", "splitsCombo=2", "voiceSpin=7.5", "silenceSpin=0.4", "gapSpin=500",
                                 "minAlgSpin=500", "CurrentPath="})
            QVERIFY2(text.contains(line), line);
        QVERIFY(!text.contains("true") && !text.contains("false")); // check boxes are stored as 0 and 1

        Cadenza again;
        QVERIFY(again.ui->boostAudioCheck->isChecked() && !again.ui->showStatsCheck->isChecked());
        QCOMPARE(again.ui->voiceSpin->value(), 7.5);
        QCOMPARE(again.ui->splitsCombo->currentIndex(), 2);
    }

    void restoresStoredValues()
    {
        {
            QSettings s(settingsFile(), QSettings::NativeFormat);
            s.setValue(QStringLiteral("showAudioCheck"), 0);
            s.setValue(QStringLiteral("modeSlider"), 1);
            s.setValue(QStringLiteral("silenceSpin"), QStringLiteral("not a number"));
            s.setValue(QStringLiteral("splitsCombo"), 9);
        }
        Cadenza w;
        QVERIFY(!w.ui->showAudioCheck->isChecked()); // stored as 0 although the form checks it
        QCOMPARE(w.ui->modeSlider->value(), 1);
        QCOMPARE(w.ui->silenceSpin->value(), 0.4); // invalid values leave the form's default
        QCOMPARE(w.ui->splitsCombo->currentIndex(), 0);
    }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
