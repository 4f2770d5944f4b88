#include "app/cadenza.h"
#include "audio/capturerestart.h"
#include "testsupport.h"
#include "ui_cadenza.h"

class SettingsTest : public QObject
{
    Q_OBJECT
private slots:
    void firstStartDefaultsThenStoredValues()
    {
        {
            Cadenza w; // first start in an empty settings folder: the form's defaults, the Settings menu's choices off
            QVERIFY(w.ui->showAudioCheck->isChecked() && !w.ui->boostAudioCheck->isChecked());
            QVERIFY(w.ui->modeSlider->value() == 0 && w.ui->silenceSpin->value() == 0.4);
            for (QAction *choice : w.settingsChoices())
                QVERIFY2(choice->isCheckable() && !choice->isChecked(), qPrintable(choice->objectName()));
        }
        QSettings stored(QStringLiteral("Merlo"), QStringLiteral("Cadenza")); // seen at once by the window
        stored.setValue(QStringLiteral("showAudioCheck"), 0), stored.setValue(QStringLiteral("modeSlider"), 1);
        stored.setValue(QStringLiteral("actionInspection"), 1);
        Cadenza w;
        QVERIFY(!w.ui->showAudioCheck->isChecked() && w.ui->modeSlider->value() == 1); // 0 although the form checks it
        QVERIFY(w.ui->actionInspection->isChecked());
    }

    void shutdownWritesEveryKeyWithItsType() // check boxes as 1 or 0, never "true"; spins as decimals; the slider and combo as numbers
    {
        {
            Cadenza w;
            w.ui->modeSlider->setValue(1), w.ui->boostAudioCheck->setChecked(true), w.ui->showAudioCheck->setChecked(false);
            w.ui->silenceSpin->setValue(0.7), w.ui->voiceSpin->setValue(6.5), w.ui->gapSpin->setValue(350), w.ui->minAlgSpin->setValue(1200);
            w.ui->splitsCombo->setCurrentIndex(2), w.ui->showStatsCheck->setChecked(false), w.ui->disableAudioCheck->setChecked(true);
            for (QAction *choice : w.settingsChoices()) // checked quietly: no tables built, no Stackmat
                choice->blockSignals(true), choice->setChecked(true);
        }
        QFile file(QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).fileName());
        QMap<QString, QString> written; // none if unreadable; a line without '=' is a key of its own
        for (const QByteArray &line : file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>())
            written[QString(line.left(line.indexOf('=')))] = QString(line.mid(line.indexOf('=') + 1));
        const QMap<QString, QString> want = {{"CurrentPath", QDir::currentPath()}, {"currentDevice", ""}, {"modeSlider", "1"},
            {"showAudioCheck", "0"}, {"boostAudioCheck", "1"}, {"silenceSpin", "0.7"}, {"voiceSpin", "6.5"}, {"gapSpin", "350"},
            {"minAlgSpin", "1200"}, {"splitsCombo", "2"}, {"showStatsCheck", "0"}, {"disableAudioCheck", "1"}, {"actionInspection", "1"},
            {"actionRandom_State_Scrambles", "1"}, {"actionShow_Scramble_Picture", "1"}, {"actionStackmat_Timer", "1"}};
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

    // A lost capture restarts on the stored device (every device of a doubled name), then the default, then the rest; each once.
    void captureRestartOrder()
    {
        using Indices = std::vector<int>;
        const QStringList names{"default", "pulse", "mic", "vmic.monitor", "mic"};
        struct Row { QStringList names; QString stored, defaultName; Indices preferred, others; };
        for (const Row &r : {Row{names, "mic", "vmic.monitor", {2, 4, 3}, {0, 1}}, Row{names, "", "vmic.monitor", {3}, {0, 1, 2, 4}},
                             Row{names, "usb", "default", {0}, {1, 2, 3, 4}}, Row{names, "pulse", "pulse", {1}, {0, 2, 3, 4}},
                             Row{names, "", "", {}, {0, 1, 2, 3, 4}}, Row{{}, "mic", "default", {}, {}}}) {
            const capturechoice::Order order = capturechoice::restartOrder(r.names, r.stored, r.defaultName);
            QVERIFY2(order.preferred == r.preferred && order.others == r.others, qPrintable(r.stored + '/' + r.defaultName));
        }
    }
};

CADENZA_TEST_MAIN(SettingsTest)
#include "test_settings.moc"
