#include "app/cadenza.h"

#include "app/commandline.h"
#include "puzzle/randomscrambler.h"
#include "app/keyroute.h"
#include "puzzle/scramble.h"
#include "session/sessionstore.h"
#include "session/timesfile.h"
#include "audio/audiolevelsiodevice.h"
#include "display/scramblepicture.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QDateTime>
#include <QAudioInput>
#include <QDir>
#include <QIcon>
#include <QListWidget>
#include <QSettings>
#include <QUndoStack>
#include <QVariant>

// The Settings menu's checkable choices, stored as 0/1 under their object
// names like the check boxes.
std::array<QAction *, 4> Cadenza::settingsChoices() const
{
    return {{ui->actionInspection, ui->actionRandom_State_Scrambles, ui->actionShow_Scramble_Picture,
             ui->actionStackmat_Timer}};
}

QString Cadenza::sessionFilePath()
{
    return sessionFolder() + QLatin1Char('/') + sessionindex::firstFile;
}

namespace {

// A stored value is restored only when it is present and converts cleanly;
// anything else leaves the form's default in place.
bool readInt(const QSettings &settings, const char *key, int &out)
{
    if (!settings.contains(key))
        return false;
    bool ok = false;
    const int v = settings.value(key).toInt(&ok);
    if (ok)
        out = v;
    return ok;
}

bool readDouble(const QSettings &settings, const char *key, double &out)
{
    if (!settings.contains(key))
        return false;
    bool ok = false;
    const double v = settings.value(key).toDouble(&ok);
    if (ok)
        out = v;
    return ok;
}

} // namespace

Cadenza::Cadenza(QWidget *parent)
    : QMainWindow(parent)
{
    ui = new Ui::Cadenza;
    Q_INIT_RESOURCE(cadenza);
    ui->setupUi(this);
    moveScrambleToolTip = ui->scrambleLabel->toolTip();
    captureFormLook();
    setUpUndo();
    setUpHistoryKeys();
    randomScrambler = new RandomStateScrambler(this);
    connect(randomScrambler, &RandomStateScrambler::tablesReady, this, [this](events::Event) { randomStateTablesReady(); });
    new ScramblePicturePainter(ui->scramblePicture, [this] { return currentScramble; }, [this] { return currentEvent(); });

    // The window paints its display widgets; the timer's keys reach the timer
    // whatever control has the focus.
    for (QObject *watched : std::initializer_list<QObject *>{ui->audioGraph, ui->timerDisplay, ui->statsDisplay})
        watched->installEventFilter(this);
    qApp->installEventFilter(new TimerKeyRouter(this));

    // The user's choice of a row names a solve (the list's own refreshes
    // block its signals).
    connect(ui->historyList, &QListWidget::currentRowChanged, this, [this](int row) {
        const int n = int(times.size());
        if (row < 0 || row >= n)
            chosenSolve.reset();
        else
            chosenSolve = solveKey(sessionView(), n - 1 - row);
    });

    // Names a screen reader (or a test reading the window through AT-SPI)
    // can find the unlabelled controls by.
    ui->silenceSpin->setAccessibleName(tr("Silence threshold"));
    ui->voiceSpin->setAccessibleName(tr("Voice threshold"));
    ui->gapSpin->setAccessibleName(tr("Silence duration"));
    ui->minAlgSpin->setAccessibleName(tr("Minimum alg duration"));
    ui->audioGraph->setAccessibleName(tr("Audio level graph"));
    ui->timerDisplay->setAccessibleName(tr("Solve timeline"));
    ui->statsDisplay->setAccessibleName(tr("Statistics chart"));
    ui->scramblePicture->setAccessibleName(tr("Scramble picture"));
    ui->sessionCombo->setAccessibleName(tr("Session"));

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/cube.png")));
    setApplicationIdentity();

    QSettings settings;
    const QString storedPath = settings.value(QStringLiteral("CurrentPath")).toString();
    if (!storedPath.isEmpty())
        QDir::setCurrent(storedPath);

    // Capture asks for 16-bit samples only after a calibration made with them.
    int fine = 0;
    fineLevels = readInt(settings, "fineLevels", fine) && fine != 0;
    selectInitialInputDevice(settings.value(QStringLiteral("currentDevice")).toString(),
                             settings.contains(QStringLiteral("currentDevice")));

    // Each restoration that changes a widget runs its slot, as a user change would.
    int i = 0;
    double d = 0.0;
    if (readInt(settings, "modeSlider", i))
        ui->modeSlider->setValue(i);
    if (readInt(settings, "showAudioCheck", i))
        ui->showAudioCheck->setChecked(i != 0);
    if (readInt(settings, "boostAudioCheck", i))
        ui->boostAudioCheck->setChecked(i != 0);
    if (readDouble(settings, "silenceSpin", d))
        ui->silenceSpin->setValue(d);
    if (readDouble(settings, "voiceSpin", d))
        ui->voiceSpin->setValue(d);
    if (readDouble(settings, "gapSpin", d))
        ui->gapSpin->setValue(d);
    if (readDouble(settings, "minAlgSpin", d))
        ui->minAlgSpin->setValue(d);
    if (readInt(settings, "splitsCombo", i) && i >= 0 && i < ui->splitsCombo->count())
        ui->splitsCombo->setCurrentIndex(i);
    if (readInt(settings, "showStatsCheck", i))
        ui->showStatsCheck->setChecked(i != 0);
    if (readInt(settings, "disableAudioCheck", i))
        ui->disableAudioCheck->setChecked(i != 0);
    for (QAction *choice : settingsChoices())
        if (readInt(settings, qPrintable(choice->objectName()), i))
            choice->setChecked(i != 0);

    keyClock.start();

    // The current session first: the first scramble fits its event.
    openSessions();
    currentScramble = generateScramble();
    updateHistory();

    refreshTimerId = startTimer(10, Qt::CoarseTimer);

    updateModeLayout();
}

Cadenza::~Cadenza()
{
    // No tick may run into a half-destroyed window.
    if (refreshTimerId != -1)
        killTimer(refreshTimerId);
    // A stop that a key release asked for just before the window closed counts.
    resolvePendingStop();
    if (!autosave() && !times.empty()) {
        // Nothing of this run is lost at the close: when the session file
        // cannot take it (its backup or its write failed), a recovery file
        // beside it does.
        const QString recovery = sessionFolder() + QLatin1Char('/') + recoveryFileName(QDateTime::currentDateTime());
        if (recovery != sessionPath)
            writeFileAtomically(recovery, formatTimesFile(sessionView()), true,
                                QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QSettings settings;
    settings.setValue(QStringLiteral("CurrentPath"), QDir::currentPath());
    settings.setValue(QStringLiteral("modeSlider"), ui->modeSlider->value());
    settings.setValue(QStringLiteral("boostAudioCheck"), ui->boostAudioCheck->isChecked() ? 1 : 0);
    settings.setValue(QStringLiteral("showAudioCheck"), ui->showAudioCheck->isChecked() ? 1 : 0);
    settings.setValue(QStringLiteral("silenceSpin"), ui->silenceSpin->value());
    settings.setValue(QStringLiteral("voiceSpin"), ui->voiceSpin->value());
    settings.setValue(QStringLiteral("gapSpin"), ui->gapSpin->value());
    settings.setValue(QStringLiteral("minAlgSpin"), ui->minAlgSpin->value());
    settings.setValue(QStringLiteral("splitsCombo"), ui->splitsCombo->currentIndex());
    settings.setValue(QStringLiteral("showStatsCheck"), ui->showStatsCheck->isChecked() ? 1 : 0);
    settings.setValue(QStringLiteral("disableAudioCheck"), ui->disableAudioCheck->isChecked() ? 1 : 0);
    for (QAction *choice : settingsChoices())
        settings.setValue(choice->objectName(), choice->isChecked() ? 1 : 0);
    settings.setValue(QStringLiteral("currentDevice"), currentDevice);
    // Written only by a calibration: without one the settings are as they were.
    if (fineLevels)
        settings.setValue(QStringLiteral("fineLevels"), 1);
    else
        settings.remove(QStringLiteral("fineLevels"));
    settings.sync();

    stopCapture();

    // Its commands and signals reach into the form.
    delete undoStack;
    undoStack = nullptr;
    delete ui;
    ui = nullptr;
}
