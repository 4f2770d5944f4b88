#ifndef CADENZA_H
#define CADENZA_H

#include "audio/windowfit.h"
#include "puzzle/events.h"
#include "session/session.h"
#include "session/sessionindex.h"
#include "stats/history.h"

#include <QAudioDeviceInfo>
#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <utility>
#include <vector>

class AudioLevelsIODevice;
class QAction;
class RandomStateScrambler;
class CaptureRestarter;
class QAudioDeviceInfo;
class QAudioInput;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QPainter;
class QUndoStack;

struct CSTimerFile;
namespace Ui {
class Cadenza;
}
namespace stackmat {
struct Packet;
}

// The main window owns the whole state of the program: the form, the audio
// capture, the timing state, the level record of the run being timed and the
// session as six parallel per-solve arrays. Members are plain and public; the
// window's operations (defined in the source files of the subsystem that owns
// them) read and write them directly and call the refresh operations after a
// change.
class Cadenza : public QMainWindow
{
    Q_OBJECT

public:
    explicit Cadenza(QWidget *parent = nullptr);
    ~Cadenza() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void timerEvent(QTimerEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

public slots:
    void on_startButton_clicked();
    void on_clipboardButton_clicked();
    void on_clipboardAO5Button_clicked();
    void on_clipboardAO12Button_clicked();
    void on_actionLoad_Times_triggered();
    void on_actionSave_Times_triggered();
    void on_silenceSpin_valueChanged(double);
    void on_voiceSpin_valueChanged(double);
    void on_removeButton_clicked();
    void on_actionClear_Times_triggered();
    void on_modeSlider_valueChanged(int);
    void on_warningButton_clicked();
    void on_showAudioCheck_stateChanged(int);
    void on_minAlgSpin_valueChanged(double);
    void on_splitsCombo_currentIndexChanged(int);
    void on_actionExport_CSTimer_Session_triggered();
    void on_actionCalibrate_Echo_Delay_triggered();
    void on_showStatsCheck_stateChanged(int);
    void on_disableAudioCheck_stateChanged(int arg1);
    void on_actionImport_CSTimer_Session_triggered();
    void on_plusTwoButton_clicked();
    void on_dnfButton_clicked();
    void on_clearButton_clicked();
    void on_algStoreButton_clicked();
    void on_algRemoveButton_clicked();
    void on_actionAudio_Input_triggered();
    void on_actionCalibrate_Microphone_triggered();
    void on_actionOpen_Backups_Folder_triggered();
    void on_actionRandom_State_Scrambles_toggled(bool on);
    void on_actionShow_Scramble_Picture_toggled(bool on);
    void on_actionStackmat_Timer_toggled(bool on);
    void on_sessionCombo_activated(int index);
    void on_actionNew_Session_triggered();
    void on_actionRename_Session_triggered();
    void on_actionDelete_Session_triggered();
    void on_actionExport_All_Sessions_for_CSTimer_triggered();
    void on_actionQuit_triggered();
    void on_actionKeyboard_Shortcuts_triggered();
    void on_actionAbout_Cadenza_triggered();

public:
    // ---- shell: scrambles and times file -------------------------------
    QString generateScramble();
    void randomStateTablesReady();
    // Save and load a times file the user chose; a failure is told in a
    // message box naming the file and the reason, and changes nothing.
    void saveTimes(const QString &fileName);
    // False when the file cannot be read (nothing changes then).
    bool loadTimes(const QString &fileName);
    // Save the session to the session file (backing the file up first when the
    // write would leave out solves the file holds, and not writing when that
    // backup fails); called after every change of the session and at shutdown.
    // A failure is shown once per streak in the status bar. True when written.
    bool autosave();
    // Opens a session file as the session in the window (see timesfile.cpp).
    void loadSessionFile(const QString &path, bool mayTakeOverLegacy = false);
    void refuseSessionFile(const QString &path, const QString &why);
    // A warning about a file operation that failed, in a window-modal box that
    // does not hold up the event loop.
    void showProblem(const QString &title, const QString &text);
    SessionView sessionView() const
    {
        return {times, dates, pauseStats, splits, scrambles, penalties};
    }
    // Replace the six arrays by an owned session (a load).
    void replaceSession(SessionData &&data);
    // The session as an owned copy, or moved out (the window then holds none).
    SessionData sessionData() const;
    SessionData takeSession();

    // ---- undo (Edit menu) ------------------------------------------------
    // Every change of the session but a new solve is recorded once made,
    // with the session as it was before; see sessionundo.h.
    QUndoStack *undoStack = nullptr;
    void setUpUndo();
    void recordSessionChange(const QString &what, SessionData before);

    // ---- keys and the Help menu ----------------------------------------------
    void setUpHistoryKeys();
    // The table Help > Keyboard Shortcuts shows.
    QString keyboardShortcutsText() const;

    // ---- sessions: one times file each, an index beside them ----------------
    // Start-up: the index (or what the folder holds), then the current
    // session's file, and only that one.
    void openSessions();
    QString sessionFileOf(int index) const;
    const sessionindex::Entry &currentSessionEntry() const;
    events::Event currentEvent() const;
    // Saves the index when it changed (never over one that could not be read).
    void writeSessionIndex();
    void refreshSessionCombo();
    // Each returns false, and changes nothing, when it cannot be done (a solve
    // runs, the session cannot be saved, its backup fails); the user is told.
    bool switchSession(int index);
    // Opens session `index` in the window (its file, splits choice, a scramble
    // of its event) once the one before is done with; the layout and the
    // history are refreshed once.
    void openSession(int index);
    bool createSession(const QString &name, events::Event event, const QString &otherType = QString());
    bool renameSession(int index, const QString &name);
    bool deleteSession(int index);
    // The solves of session `index`: the window's own for the current one,
    // else its file's. False (and `error` says why) when the file cannot be read.
    bool sessionSolves(int index, SessionData &out, QString *error);
    bool exportAllSessionsTo(const QString &fileName);
    void importCSTimerSeparately(const CSTimerFile &file);
    sessionindex::Index sessionIndex;
    // The index as last read or written; it is written only when it changes.
    QByteArray sessionIndexText;
    bool sessionIndexRefused = false;
    bool sessionIndexWriteFailing = false;

    // ---- audio capture ---------------------------------------------------
    bool startCapture(const QAudioDeviceInfo &device);
    void stopCapture();
    void selectInitialInputDevice(const QString &storedDevice, bool hasStored);
    // Forgets a capture that stopped with an error (deleted from the event loop).
    void dropCapture();
    // Restarts capture in the format fineLevels asks for (see capture.cpp).
    void followFineLevels();

    // ---- analyses and live status ---------------------------------------
    PauseStats computePauseStats();
    std::vector<qint32> findVoiceOnsets();
    std::vector<qint32> computeSplitTimes();
    std::vector<float> findAlgRepetitions();
    std::vector<float> computeAlgStats();
    void updateStatusLines(int elapsedMs);
    void updateModeLayout();

    // ---- fitting the window's size (see windowfit.h) ------------------------
    // Chooses the form as designed when it fits the window, else the compact
    // arrangement for this size, and applies it when it changed (always when
    // `force`: the panels shown changed).
    void fitToWindow(bool force = false);
    // The scramble's font: the fitted one, smaller for a scramble that would
    // not fit its room in it (a Megaminx's seven lines, a 7x7x7's hundred moves).
    void fitScrambleText();
    void applyFit(const windowfit::Fit &fit);
    // Keeps the form's fonts and margins and measures its texts (construction).
    void captureFormLook();
    // The form's own fonts and margins, kept from construction: every fit
    // scales from them.
    struct FormLook
    {
        QFont clock, scramble, hint, pause, split;
        std::vector<std::pair<QLabel *, QFont>> stats;
        int rowsLeft = 0, rowsTop = 0, rowsRight = 0;
    } formLook;
    windowfit::Measures fitMeasures;
    windowfit::Fit appliedFit;
    // The statistics beside the clock in a compact window (null: the form's rows).
    QHBoxLayout *besideRow = nullptr;
    // The window size the form as designed needs with the panels now shown,
    // and which panels those were.
    QSize formMinimum;
    QString formMinimumPanels;
    bool shownBefore = false;

    // ---- statistics and history -----------------------------------------
    void updateHistory();
    // Sizes the history's rows again (after its font changed).
    void refitHistoryRows();
    // The solve chosen in the history list (none: +2 and DNF act on the
    // newest solve, Remove on none); its row follows it through every change.
    std::optional<SolveKey> chosenSolve;

    // ---- painters ---------------------------------------------------------
    void paintAudioGraph();
    void paintAlgChart();
    void updateAlgDisplayHeight();
    void paintStatsChart(QPainter &painter);
    void paintSolveTimeline();
    void drawBoxPlot(QPainter &painter, std::vector<float> stats, float lo, float hi, int count, int top,
                     int height, int margin, const QColor &penColour, const QColor &brushColour);

    // ---- exchange ---------------------------------------------------------
    // Ask for a file, then export or import it; a failure is told in a
    // message box and changes nothing.
    void exportCSTimerSession();
    bool exportCSTimerSessionTo(const QString &fileName);
    void importCSTimerSession();
    void importCSTimerSessionFrom(const QString &fileName);
    void copyAverageText(int n);
    void copyStatsImage();

    // ---- members, in the order of the session data model -------------------
    Ui::Cadenza *ui = nullptr;
    AudioLevelsIODevice *audioDevice = nullptr;
    QAudioInput *audioInput = nullptr;
    QString currentDevice;
    // The device the running capture was started from.
    QString captureDevice;
    QAudioDeviceInfo captureDeviceInfo;
    // Capture asks for 16-bit samples, for levels in finer steps than 8-bit
    // ones (levels::fineFormat), where the device offers them: a calibration
    // made with them was applied (stored as "fineLevels"), or the calibration
    // dialog is measuring. Off until then: capture runs as it always did.
    bool fineLevels = false;
    // A change of fineLevels came during a solve; the tick restarts capture after it.
    bool fineLevelsOwed = false;
    // Looks for a device every 2 s while there is no capture; made on first need.
    CaptureRestarter *captureRestarter = nullptr;
    qint32 refreshTimerId = -1;
    // Monotonic clocks: a wall-clock change during a solve must not change its time.
    QElapsedTimer solveClock;
    QElapsedTimer keyClock;
    bool running = false;
    qint32 liveElapsedMs = 0;
    std::vector<float> levels;
    std::vector<qint32> levelTimes;
    // Some tick of the record found no capture: its silence was not heard, so
    // a solve made of it is stored without sound figures.
    bool recordLacksSound = false;
    std::vector<float> times;
    std::vector<qint64> dates;
    std::vector<PauseStats> pauseStats;
    std::vector<std::vector<qint32>> splits;
    QStringList scrambles;
    std::vector<qint32> penalties;
    std::vector<std::vector<float>> algSequences;
    QStringList algLabels;
    QString currentScramble;
    // The scramble label's tooltip from the form, which describes the move
    // generator; a random-state scramble shows its own.
    QString moveScrambleToolTip;
    // Random-state scrambles (when chosen and its tables are ready).
    RandomStateScrambler *randomScrambler = nullptr;
    // The scramble shown when the user chose random-state scrambles before
    // their tables were ready: replaced once they are, if still shown.
    QString scrambleToReplace;

    // The file the session is saved to after every change and loaded from at
    // start-up, in the user's private data folder.
    static QString sessionFilePath();
    // The Settings menu's checkable choices, stored like the check boxes.
    std::array<QAction *, 4> settingsChoices() const;
    // Where the session is written: the session file, or a recovery file
    // beside it when the session file exists but could not be read at start.
    QString sessionPath;
    // The solves of the file at sessionPath as last loaded or written (solveKeys).
    std::vector<quint64> solvesOnDiskKeys;
    bool sessionWriteFailing = false;

    // ---- keyboard: auto-repeat handling (see the event filter) ---------------
    // X shows a held key as release/press pairs carrying the same time stamp;
    // Qt marks only some of them as auto-repeated. A release therefore acts at
    // once (a start) or is held back (a stop), and the press that follows with
    // the same key and time stamp takes it back. A time stamp of 0 (a
    // synthetic event) never pairs.
    //
    // A start made by a key release, and what it replaced.
    struct PendingStart
    {
        bool active = false;
        QElapsedTimer keyClockBefore;
        qint32 liveElapsedBefore = 0;
        // Solves mode: the record the start emptied; Algs mode: its size.
        bool recordSwapped = false;
        std::vector<float> levelsBefore;
        std::vector<qint32> levelTimesBefore;
        std::size_t recordSizeBefore = 0;
        // The release began an inspection (taking it back returns to Idle), or
        // started the solve after one (taking it back resumes the inspection).
        bool startedInspection = false;
        bool fromInspection = false;
        bool recordLackedSoundBefore = false;
    } pendingStart;
    // A stop requested by a key release while running, held back until the
    // next key event or a refresh tick at least stopHoldMs after the release.
    struct PendingStop
    {
        bool active = false;
        qint32 elapsedMs = 0;
        QElapsedTimer released;
    } pendingStop;
    static constexpr qint64 stopHoldMs = 30;
    // The last key release seen (0 after a press).
    int lastReleaseKey = 0;
    ulong lastReleaseTimestamp = 0;

    // Start or stop a run; the stop uses the given elapsed time.
    void startRun();
    void stopRun(qint32 elapsedMs);
    void startRunFromKeyRelease(bool mayBeRepeat);
    void togglePenalty(qint32 code);
    void takeBackStart();
    void forgetPendingStart();
    void resolvePendingStop();
    // Shows the status lines of the last run again (after a start was undone).
    void restoreStatusLines();

    // ---- inspection before a solve (Settings, "Inspection (15 s)") ----------
    // With the action checked, a start in Solves mode begins the inspection;
    // the next start begins the solve, which keeps the penalty its start
    // earned. The level record is left alone until the solve starts.
    bool inspecting = false;
    qint64 inspectionStartMs = 0; // on the monotonic clock (monotonicMs)
    qint32 runPenalty = PenaltyNone; // stored with the running solve
    static qint64 monotonicMs();
    bool inspectionWanted() const;
    void startInspection();
    void startInspectionFromKeyRelease(bool mayBeRepeat);
    void startSolveAfterInspection();
    void endInspection();
    void cancelInspection();
    // The countdown on the clock, with its warning colour.
    void showInspection();
    // The keyboard side of the state machine; the router of keyroute.h hands
    // it the timer's key events whatever widget has the focus.
    void timerKeyEvent(const QKeyEvent *key);
    // True while every key is the timer's: a solve runs, or a key-made start
    // or stop may still be taken back.
    bool timerTakesAllKeys() const;

    // ---- a Stackmat timer on the input (Settings, "Stackmat Timer") ----------
    // With the choice on, in Solves mode, the input is read as a Stackmat's
    // signal instead of levels: the Stackmat starts and stops the solves and
    // its time is the one stored. The window's run only shows it; the keys
    // start the inspection and Escape cancels, nothing else.
    bool stackmatWanted() const;
    // Every packet the tick takes from the sink comes here.
    void stackmatPacket(const stackmat::Packet &packet);
    // The tick's part: hands the sink's packets over, shows the running time
    // and whether the Stackmat is heard.
    void stackmatTick();
    // A change of who owns the timing (the choice, the mode) ends a run or an
    // inspection unstored; called by the layout update.
    void followStackmatChoice();
    // A valid packet came less than stackmatSilenceMs ago.
    bool stackmatConnected() const;
    static constexpr qint64 stackmatSilenceMs = 1000;
    // Ends a run without storing it, as Escape does.
    void cancelRun();
    bool stackmatFollowed = false; // stackmatWanted() when last looked at
    bool stackmatRunning = false;  // the Stackmat's own state at its last packet
    qint32 stackmatRunMs = 0;      // its time in the last running packet
    int stackmatDigits = 6;
    QElapsedTimer stackmatLastPacket; // invalid until the first packet
    bool stackmatShownConnected = false;
};

#endif
