#include "app/cadenza.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QSettings>
#include <QSlider>

// The settings restored at start-up and stored at shutdown, in the private
// settings folder that the isolated runner provides.

namespace {

QString settingsFile()
{
    QSettings s(QStringLiteral("Merlo"), QStringLiteral("Cadenza"));
    return s.fileName();
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT
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
        QCOMPARE(w.ui->modeSlider->value(), 0);
        QVERIFY(w.ui->showAudioCheck->isChecked());
        QVERIFY(!w.ui->boostAudioCheck->isChecked());
        QVERIFY(w.ui->showStatsCheck->isChecked());
        QVERIFY(!w.ui->disableAudioCheck->isChecked());
        QCOMPARE(w.ui->silenceSpin->value(), 0.4);
        QCOMPARE(w.ui->voiceSpin->value(), 5.0);
        QCOMPARE(w.ui->gapSpin->value(), 500.0);
        QCOMPARE(w.ui->minAlgSpin->value(), 500.0);
        QCOMPARE(w.ui->splitsCombo->currentIndex(), 0);
        QVERIFY(!w.running);
        QVERIFY(w.levels.empty() && w.algSequences.empty() && w.times.empty());
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
        // Check boxes are stored as the integers 0 and 1, not as booleans.
        QFile f(settingsFile());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        for (const char *line : {"boostAudioCheck=1", "showStatsCheck=0", "showAudioCheck=1", "disableAudioCheck=0",
                                 "modeSlider=0", "splitsCombo=2", "voiceSpin=7.5", "silenceSpin=0.4", "gapSpin=500",
                                 "minAlgSpin=500", "CurrentPath="})
            QVERIFY2(text.contains(line), line);
        QVERIFY(!text.contains("true") && !text.contains("false"));

        Cadenza again;
        QVERIFY(again.ui->boostAudioCheck->isChecked());
        QVERIFY(!again.ui->showStatsCheck->isChecked());
        QCOMPARE(again.ui->voiceSpin->value(), 7.5);
        QCOMPARE(again.ui->splitsCombo->currentIndex(), 2);
    }

    void restoresStoredValues()
    {
        {
            QSettings s;
            s.setValue(QStringLiteral("showAudioCheck"), 0);
            s.setValue(QStringLiteral("modeSlider"), 1);
            s.setValue(QStringLiteral("silenceSpin"), QStringLiteral("not a number"));
            s.setValue(QStringLiteral("splitsCombo"), 9);
        }
        Cadenza w;
        // A check box stored as 0 comes back unchecked although the form checks it.
        QVERIFY(!w.ui->showAudioCheck->isChecked());
        QCOMPARE(w.ui->modeSlider->value(), 1);
        // Values that are not valid leave the form's default.
        QCOMPARE(w.ui->silenceSpin->value(), 0.4);
        QCOMPARE(w.ui->splitsCombo->currentIndex(), 0);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The window sets these too; the test's own QSettings needs them first.
    QCoreApplication::setOrganizationName(QStringLiteral("Merlo"));
    QCoreApplication::setApplicationName(QStringLiteral("Cadenza"));
    SettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings.moc"
