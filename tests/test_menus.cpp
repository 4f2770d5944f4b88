#include "app/cadenza.h"
#include "audio/capturerestart.h"
#include "audio/devicechoice.h"
#include "session/timesfile.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QMenuBar>

// The focusable controls in reading order: the layouts' order, a grid's by row then column.
static void readingOrder(QLayout *layout, QList<QWidget *> &out)
{
    QVector<QPair<QPair<int, int>, QLayoutItem *>> items;
    auto *grid = qobject_cast<QGridLayout *>(layout);
    for (int i = 0; i < layout->count(); ++i) {
        int row = 0, col = i, span = 0;
        if (grid)
            grid->getItemPosition(i, &row, &col, &span, &span);
        items.append({{row, col}, layout->itemAt(i)});
    }
    std::stable_sort(items.begin(), items.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &item : items) {
        if (QWidget *w = item.second->widget()) {
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
                out << w;
            if (w->isVisible() && w->layout())
                readingOrder(w->layout(), out);
        } else if (item.second->layout()) {
            readingOrder(item.second->layout(), out);
        }
    }
}

class MenusTest : public QObject
{
    Q_OBJECT
    static QByteArray onDisk() { QFile f(Cadenza::sessionFilePath()); return f.open(QIODevice::ReadOnly) ? f.readAll() : "(none)"; }
private slots:
    void initTestCase() { QApplication::setQuitOnLastWindowClosed(false); }

    // Edit > Undo takes back +2, Remove, Clear Times, Load Times and an import, newest first, and Redo does
    // them again; each step is written at once. A new solve is never undone: it stays through both.
    void undoAndRedo()
    {
        Cadenza w;
        w.replaceSession(parseTimesFile("10000|0|0[]A|100|0\n20000|0|0[]B|200|0\n30000|0|0[]C|300|0\n", 0));
        w.updateHistory();
        const auto now = [&w] { return formatTimesFile(w.sessionView()); };
        QByteArrayList states = {now()};
        w.on_plusTwoButton_clicked(); // on the newest
        states << now();
        w.ui->historyList->setCurrentRow(1);
        w.on_removeButton_clicked(); // B
        states << now();
        w.on_startButton_clicked(), w.on_startButton_clicked(); // a new solve
        const QByteArray stored = now().mid(states.last().size());
        w.ui->actionClear_Times->trigger();
        states << now();
        const QString file = QDir::temp().filePath("load.times");
        QVERIFY(writeFileAtomically(file, "40000|0|0[]E|400|-1\n"));
        answering([&] { w.ui->actionLoad_Times->trigger(); }, {file});
        states << now();
        const QStringList asked = answering([&] { w.ui->actionImport_CSTimer_Session->trigger(); }, {CADENZA_TEST_DATA "/cstimer_tiny_3solves_ok_plus2_dnf.txt"});
        states << now();
        QVERIFY(asked.size() == 2 && w.times.size() == 4 && states[4] == "40000|0|0[]E|400|-1\n");
        const QStringList names = {"+2", "Remove", "Clear Times", "Load Times", "Import csTimer Session"};
        for (int k = 5; k > 0; --k) { // undo, then the state before; what was stored since stays at the end
            QCOMPARE(w.ui->actionUndo->text(), "Undo " + names[k - 1]);
            w.ui->actionUndo->trigger();
            const QByteArray want = states[k - 1] + (k <= 3 ? stored : QByteArray());
            QVERIFY2(now() == want && onDisk() == want, qPrintable(QString::number(k)));
        }
        QVERIFY(!w.ui->actionUndo->isEnabled() && w.ui->actionRedo->text() == "Redo +2");
        for (int k = 1; k <= 5; ++k) {
            w.ui->actionRedo->trigger();
            const QByteArray want = states[k] + (k <= 2 ? stored : QByteArray());
            QVERIFY2(now() == want && onDisk() == want, qPrintable(QString::number(k)));
        }
        QVERIFY(!w.ui->actionRedo->isEnabled());
        w.on_startButton_clicked(), w.on_startButton_clicked();
        const QByteArray stored2 = now().mid(states[5].size());
        w.ui->actionUndo->trigger(); // the import: the newer solve stays
        QVERIFY(now() == states[4] + stored2 && onDisk() == now());
    }

    // Menu titles with distinct access keys; File > Quit closes the window; Delete removes the chosen solve
    // while the history has the focus; the Help menu's texts; Tab reaches every control in reading order.
    void keysAndMenus()
    {
        Cadenza w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QString keys;
        for (QAction *menu : w.menuBar()->actions()) {
            const int amp = menu->text().indexOf('&');
            QVERIFY2(amp >= 0 && !keys.contains(menu->text().at(amp + 1).toLower()), qPrintable(menu->text()));
            keys += menu->text().at(amp + 1).toLower();
        }

        w.replaceSession(parseTimesFile("10000|0|0[]A|100|0\n20000|0|0[]B|200|0\n", 0));
        w.updateHistory();
        w.ui->historyList->setCurrentRow(1);
        w.ui->startButton->setFocus();
        QTest::keyClick(w.ui->startButton, Qt::Key_Delete); // elsewhere the key does nothing
        QCOMPARE(w.times.size(), std::size_t(2));
        w.ui->historyList->setFocus();
        QTest::keyClick(w.ui->historyList, Qt::Key_Delete);
        QVERIFY(w.times.size() == 1 && w.scrambles == QStringList{"B"});
        QTest::keyClick(&w, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w.times.size(), std::size_t(2));

        // Every shortcut of a menu is in the table, and the About box names the version and the licence.
        const QString table = answering([&] { w.ui->actionKeyboard_Shortcuts->trigger(); }).value(0).section('|', 1);
        for (QAction *action : w.findChildren<QAction *>())
            if (!action->shortcut().isEmpty() && action->parent() == &w)
                QVERIFY2(table.contains(action->shortcut().toString(QKeySequence::NativeText).toHtmlEscaped()), qPrintable(action->text()));
        QFile copyright(QStringLiteral(CADENZA_TEST_DATA "/../../package/copyright"));
        QVERIFY(copyright.open(QIODevice::ReadOnly));
        const QString about = answering([&] { w.ui->actionAbout_Cadenza->trigger(); }).value(0).section('|', 1);
        QVERIFY(about.contains(QCoreApplication::applicationVersion()) && !QCoreApplication::applicationVersion().isEmpty());
        for (const QByteArray &line : copyright.readAll().split('\n'))
            if (line.startsWith("Copyright") || line.contains("licence"))
                QVERIFY2(about.contains(QString::fromUtf8(line)), line.constData());

        // Tab from the first control around to it again: every control once, in the order they read, in both
        // modes, as designed and in a compact window.
        w.activateWindow(); // back from the Help boxes
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (const QSize size : {QSize(1000, 950), QSize(800, 420)})
            for (const int mode : {0, 1}) {
                w.ui->modeSlider->setValue(mode);
                w.resize(size);
                for (int pass = 0; pass < 10; ++pass)
                    QApplication::processEvents();
                QList<QWidget *> order, tabbed;
                readingOrder(w.centralWidget()->layout(), order);
                order.first()->setFocus();
                do {
                    tabbed << QApplication::focusWidget();
                    QTest::keyClick(&w, Qt::Key_Tab);
                } while (QApplication::focusWidget() != tabbed.first() && tabbed.size() < 100);
                QVERIFY(order.contains(w.ui->silenceSpin) && (mode == 0 || order.contains(w.ui->gapSpin)));
                QCOMPARE(tabbed, order);
            }
        w.ui->actionQuit->trigger();
        QVERIFY(!w.isVisible());
    }

    // Settings > Select Audio Input: without capture the device chosen last is preselected; without a device
    // the dialog says so and cannot be accepted.
    void inputDialog()
    {
        QScopedPointer<QInputDialog> none(devicechoice::inputDialog(nullptr, {}, QString()));
        none->show();
        QVERIFY(none->labelText() == "No microphone found" && none->comboBoxItems().isEmpty());
        QVERIFY(!none->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->isEnabled());
        Cadenza w;
        w.dropCapture(); // no capture: the device chosen last (the one capture runs from: see the microphone end-to-end test)
        const QStringList names = devicechoice::namesOf(QAudioDeviceInfo::availableDevices(QAudio::AudioInput));
        w.currentDevice = names.value(names.size() - 1);
        const QString shown = answering([&] { w.on_actionAudio_Input_triggered(); }, {""}).value(0).section('|', 1, 2);
        QCOMPARE(shown, names.isEmpty() ? "No microphone found|" : "Select/switch input device|" + names.last());
    }

    void firstStartDefaultsThenStoredValues()
    {
        QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).clear();
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
        stored.setValue(QStringLiteral("fineLevels"), 1); // a calibration with fine levels was applied
        Cadenza w;
        QVERIFY(!w.ui->showAudioCheck->isChecked() && w.ui->modeSlider->value() == 1); // 0 although the form checks it
        QVERIFY(w.ui->actionInspection->isChecked() && w.fineLevels);
        w.fineLevels = false; // as a calibration on 8-bit levels leaves it: the key goes at shutdown
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
            {"actionRandom_State_Scrambles", "1"}, {"actionShow_Scramble_Picture", "1"}, {"actionStackmat_Timer", "1"},
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

CADENZA_TEST_MAIN(MenusTest)
#include "test_menus.moc"
