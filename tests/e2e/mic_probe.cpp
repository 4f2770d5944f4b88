// The real window under the real X and audio servers, reporting what capture
// delivered as key=value lines, then "record" and one "t level blocks" line a
// sample, blocks being how many blocks reached the sink since the sample before.
//   mic_probe window result-file   runs the program as it is (keys and closing
//                                  come from outside), reports when it ends
//   mic_probe calibrate result-file   the same, after a calibration once capture
//                                  runs: first opens the dialog and cancels it
//                                  with Escape, then writes result-file.calibrating
//                                  as the dialog opens again, and when it ends its
//                                  proposal and the capture's formats (before, in
//                                  the cancelled dialog, after it, in this one) to
//                                  result-file.calibration, then applies it; it
//                                  begins once result-file.go exists
//   mic_probe switch result-file   drops the running capture, then chooses the
//                                  "vmic" device in the switch dialog
//   mic_probe switchfail result-file  chooses a device that cannot start ("oss"
//                                  or "jack", ALSA's outlets for absent servers)
//                                  while capture runs, answers the note
// and, without a window, for making and checking the audio that is played:
//   mic_probe onsets FILE.u8 THRESHOLD [VARIANTS]  the word onsets in FILE (8000 Hz
//                                  unsigned 8-bit mono; FILE.s16 signed 16-bit, as
//                                  capture takes it for fine levels) for capture blocks starting
//                                  at each of the 80 byte phases of a 10 ms block,
//                                  one line a phase: "phase: ms ms ...", in file
//                                  time; and VARIANTS lines "phase/v: ..." a phase
//                                  with ticks that sample a neighbouring block
//   mic_probe phases FILE.u8 RESULT THRESHOLD  the byte phases at which FILE's
//                                  blocks give the levels of a window run's record
//                                  (RESULT), when FILE was recorded byte for byte,
//                                  and the onsets of FILE as the ticks met it
//   mic_probe turning SECONDS SEED THRESHOLD FILE.s16   fast turning (signed
//                                  16-bit mono, 8000 Hz)

#include "app/cadenza.h"
#include "audio/analysis.h"
#include "audio/audiolevelsiodevice.h"
#include "audio/calibrationdialog.h"
#include "testsupport.h"
#include "ui_cadenza.h"
#include "audio/levels.h"
#include "../../bench/capturemodel.h"
#include "../../bench/turningnoise.h"

#include <QApplication>
#include <QFile>
#include <QAudioInput>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

static void writeFile(const QString &name, const QByteArray &text)
{
    QSaveFile f(name);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(text);
        f.commit();
    }
}

// Calls back on every timer event of the watched object, before it is handled.
class TickWatch : public QObject
{
public:
    explicit TickWatch(std::function<void()> f) : onTick(std::move(f)) {}
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Timer)
            onTick();
        return false;
    }

private:
    std::function<void()> onTick;
};

static bool waitForLevel(QApplication &app, Cadenza &w, int ms)
{
    QElapsedTimer wait;
    wait.start();
    while (!(w.audioDevice && w.audioDevice->currentLevel != 0.0) && wait.elapsed() < ms)
        app.processEvents(QEventLoop::AllEvents, 20);
    return w.audioDevice && w.audioDevice->currentLevel != 0.0;
}

// Whether the raw file named holds 16-bit signed samples (FILE.s16) rather
// than unsigned 8-bit ones.
static bool wide = false;

// The capture's view of a file: blocks of 10 ms (80 samples) from a sample
// phase, the sink's level code.
static std::vector<float> blockLevels(const QByteArray &audio, int phase)
{
    return capturemodel::blockLevels(audio.constData(), std::size_t(audio.size()), phase,
                                     wide ? levels::SampleFormat{2, 1, levels::SampleFormat::Signed} : levels::SampleFormat());
}

static bool readFile(const char *name, QByteArray &out)
{
    QFile f(QString::fromLocal8Bit(name));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    out = f.readAll();
    wide = QByteArray(name).endsWith(".s16");
    return true;
}

static QString formatText(const QAudioInput *input)
{
    if (!input)
        return QStringLiteral("none");
    const QAudioFormat f = input->format();
    return QStringLiteral("%1/%2/%3/%4").arg(f.sampleRate()).arg(f.channelCount()).arg(f.sampleSize()).arg(int(f.sampleType()));
}

// Each sample of the record is the level of the block a known number of blocks
// after the first sample's. Prints the phases under which the file's blocks
// give the most samples, "N of M samples agree at phases P ...", then the word
// onsets (file time) of the file's levels as the ticks met them at the first
// of those phases: "replay: ms ms ...".
static int recordPhases(const char *audioName, const char *resultName, float threshold)
{
    QByteArray audio, result;
    if (!readFile(resultName, result))
        return 1;
    if (!readFile(audioName, audio))
        return 1;
    std::vector<float> level;
    std::vector<qint64> block; // blocks after the first sample's
    bool inRecord = false;
    for (const QByteArray &line : result.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (inRecord && f.size() == 3) {
            level.push_back(f[1].toFloat());
            const int blocks = f[2].toInt(); // -1: not known, most likely one
            block.push_back(block.empty() ? 0 : block.back() + (blocks < 0 ? 1 : blocks));
        }
        inRecord = inRecord || line == "record";
    }
    if (level.empty())
        return 1;
    int best = -1, bestFirst = 0;
    std::vector<int> found;
    for (int phase = 0; phase < 80; ++phase) {
        const std::vector<float> L = blockLevels(audio, phase);
        for (qint64 first = 0; first + block.back() < qint64(L.size()); ++first) {
            int agree = 0;
            for (std::size_t k = 0; k < level.size(); ++k)
                agree += std::fabs(L[std::size_t(first + block[k])] - level[k]) < 1e-3f ? 1 : 0;
            if (agree > best) {
                found.clear();
                bestFirst = int(first);
            }
            if (agree >= best) {
                best = agree;
                if (found.empty() || found.back() != phase)
                    found.push_back(phase);
            }
        }
    }
    if (found.empty())
        return 1; // a record longer than the file
    std::printf("%d of %zu samples agree at phases", best, level.size());
    for (const int phase : found)
        std::printf(" %d", phase);
    const std::vector<float> L = blockLevels(audio, found.front());
    std::vector<float> replay;
    for (const qint64 b : block)
        replay.push_back(L[std::size_t(bestFirst + b)]);
    std::printf("\nreplay:");
    for (const qint32 o : analysis::voiceOnsets(replay, threshold, 0))
        std::printf(" %lld", ((bestFirst + block[std::size_t(o)]) * 80 + found.front()) / 8);
    std::printf("\n");
    return 0;
}

// The word onsets of a file as the capture sees it, at each byte phase: first
// the blocks' own levels ("phase:"), then as ticks that now and then meet the
// block before or after might sample them ("phase/variant:").
static int fileOnsets(const char *name, float threshold, int variants)
{
    QByteArray audio;
    if (!readFile(name, audio))
        return 1;
    std::mt19937 random(1);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    for (int phase = 0; phase < 80; ++phase) {
        const std::vector<float> blocks = blockLevels(audio, phase);
        for (int v = 0; v <= variants; ++v) {
            std::vector<float> record = blocks;
            for (std::size_t k = 1; v > 0 && k + 1 < blocks.size(); ++k)
                if (uniform(random) < 0.15)
                    record[k] = blocks[uniform(random) < 0.5 ? k - 1 : k + 1];
            std::printf(v ? "%d/%d:" : "%d:", phase, v);
            for (const qint32 o : analysis::voiceOnsets(record, threshold, 0))
                std::printf(" %d", (o * 80 + phase) / 8);
            std::printf("\n");
        }
    }
    return 0;
}

static int writeTurning(int seconds, unsigned seed, float threshold, const char *name)
{
    QByteArray out;
    for (const float x : turningnoise::fastTurning(seconds, seed, threshold)) {
        const qint16 s = qint16(std::max(-32768.0f, std::min(32767.0f, std::round(x * 32768.0f))));
        out.append(reinterpret_cast<const char *>(&s), 2);
    }
    writeFile(QString::fromLocal8Bit(name), out);
    return 0;
}

int main(int argc, char **argv)
{
    if ((argc == 4 || argc == 5) && QByteArray(argv[1]) == "onsets")
        return fileOnsets(argv[2], QByteArray(argv[3]).toFloat(), argc == 5 ? QByteArray(argv[4]).toInt() : 0);
    if (argc == 5 && QByteArray(argv[1]) == "phases")
        return recordPhases(argv[2], argv[3], QByteArray(argv[4]).toFloat());
    if (argc == 6 && QByteArray(argv[1]) == "turning")
        return writeTurning(QByteArray(argv[2]).toInt(), QByteArray(argv[3]).toUInt(), QByteArray(argv[4]).toFloat(), argv[5]);
    requireIsolation(); // the window reads and writes the session and the settings
    QApplication app(argc, argv);
    if (argc < 3)
        return 1;
    const QByteArray mode(argv[1]);
    const QString resultFile = QString::fromLocal8Bit(argv[2]);
    Cadenza w;
    w.show();
    QByteArray out;
    QTextStream s(&out);

    if (mode == "calibrate")
        QTimer::singleShot(0, &w, [&] {
            // Once the script says so (result-file.go), and capture runs.
            QElapsedTimer wait;
            wait.start();
            while (!QFile::exists(resultFile + ".go") && wait.elapsed() < 60000)
                app.processEvents(QEventLoop::AllEvents, 20);
            waitForLevel(app, w, 15000);
            // A calibration cancelled: capture runs in the fine levels' format
            // while the dialog is open, and in the one before once it closes.
            const QString before = formatText(w.audioInput);
            QString cancelled;
            QTimer::singleShot(200, &w, [&] {
                cancelled = formatText(w.audioInput);
                if (auto *d = w.findChild<CalibrationDialog *>())
                    d->reject();
            });
            w.ui->actionCalibrate_Microphone->trigger();
            const QString afterCancel = formatText(w.audioInput);
            waitForLevel(app, w, 15000); // the capture started again delivers
            auto *poll = new QTimer(&w);
            QObject::connect(poll, &QTimer::timeout, &w, [&w, poll, resultFile, before, cancelled, afterCancel] {
                auto *d = w.findChild<CalibrationDialog *>();
                if (!d || !d->finished())
                    return;
                poll->stop();
                const calibration::Proposal &p = d->proposal();
                writeFile(resultFile + ".calibration",
                          QStringLiteral("outcome=%1\nvoice=%2\nsilence=%3\nboost=%4\nthreshold=%5\ntext=%6\n"
                                         "found=room %7, heard %8, lowest %9, highest %10\n")
                              .arg(int(p.outcome)).arg(p.voice, 0, 'f', 1).arg(p.silence, 0, 'f', 1).arg(int(p.boost))
                              .arg(double(calibration::effectiveVoice(p))).arg(d->resultLabel->text().replace('\n', ' '))
                              .arg(double(p.room)).arg(p.wordsHeard).arg(double(p.lowest)).arg(double(p.highest))
                              .toUtf8()
                              + QStringLiteral("format_before=%1\nformat_cancelled=%2\nformat_after_cancel=%3\nformat_calibrating=%4\n")
                                    .arg(before, cancelled, afterCancel, formatText(w.audioInput)).toUtf8());
                if (d->applyButton->isEnabled())
                    d->applyButton->click();
                else
                    d->reject();
            });
            poll->start(50);
            writeFile(resultFile + ".calibrating", "1");
            w.ui->actionCalibrate_Microphone->trigger();
        });
    if (mode == "window" || mode == "calibrate") {
        // The ring index as each tick finds it, before the tick samples the level.
        std::vector<qint32> ringAt;
        TickWatch watch([&] {
            if (w.running && w.audioDevice) {
                ringAt.resize(w.levels.size() + 1, -1);
                ringAt.back() = w.audioDevice->recentIndex;
            }
        });
        w.installEventFilter(&watch);
        const int rc = app.exec();
        const auto &lv = w.levels;
        const auto &lt = w.levelTimes;
        int lateGaps = 0;
        for (std::size_t i = 1; i < lt.size(); ++i)
            lateGaps += lt[i] - lt[i - 1] > 12 ? 1 : 0;
        if (w.audioInput) {
            const QAudioFormat f = w.audioInput->format();
            s << "format=" << f.sampleRate() << '/' << f.channelCount() << '/' << f.sampleSize() << '/'
              << int(f.sampleType()) << "\nbuffer=" << w.audioInput->bufferSize() << '\n';
        }
        s << "samples=" << lt.size() << "\nlate_gaps=" << lateGaps << "\nonsets=";
        for (qint32 o : w.findVoiceOnsets())
            s << o << ' ';
        s << "\nrecord\n";
        for (std::size_t i = 0; i < lt.size(); ++i) {
            const bool known = i > 0 && i < ringAt.size() && ringAt[i] >= 0 && ringAt[i - 1] >= 0;
            s << lt[i] << ' ' << lv[i] << ' ' << (known ? (ringAt[i] - ringAt[i - 1] + 100) % 100 : -1) << '\n';
        }
        s.flush();
        writeFile(resultFile, out);
        return rc;
    }
    if (mode == "switchfail") {
        s << "capture_before=" << (waitForLevel(app, w, 15000) ? "yes" : "no") << '\n';
        QAudioInput *const before = w.audioInput;
        const QString deviceBefore = w.currentDevice;
        s << "in_use=" << w.captureDevice << '\n';
        QString chosen, told, preselected;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                if (auto *box = qobject_cast<QMessageBox *>(top); box && box->isVisible()) {
                    told = box->text();
                    box->accept();
                } else if (auto *dialog = qobject_cast<QInputDialog *>(top); dialog && dialog->isVisible()) {
                    const QStringList items = dialog->comboBoxItems();
                    preselected = dialog->textValue();
                    chosen = items.contains(QLatin1String("oss")) ? QStringLiteral("oss") : QStringLiteral("jack");
                    dialog->setTextValue(chosen);
                    dialog->accept();
                }
            }
        });
        poll.start(50);
        w.on_actionAudio_Input_triggered();
        poll.stop();
        if (w.audioDevice)
            w.audioDevice->currentLevel = 0.0; // fresh blocks must set it again
        s << "preselected=" << preselected << "\nchosen=" << chosen << "\ntold=" << told << "\ncapture_kept="
          << (before && w.audioInput == before && w.currentDevice == deviceBefore ? "yes" : "no") << "\nlevel_after="
          << (waitForLevel(app, w, 10000) ? "yes" : "no") << '\n';
        s.flush();
        writeFile(resultFile, out);
        return 0;
    }
    if (mode != "switch")
        return 1;
    s << "capture_before=" << (waitForLevel(app, w, 15000) ? "yes" : "no") << '\n';
    w.dropCapture();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    s << "capture_dropped=" << (w.audioDevice || w.audioInput ? "no" : "yes") << '\n';
    QString chosen;
    QTimer poll;  // answers the dialog once it is up
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QInputDialog *>(top); dialog && dialog->isVisible()) {
                for (const QString &item : dialog->comboBoxItems())
                    chosen = item.contains(QLatin1String("vmic")) ? item : chosen;
                dialog->setTextValue(chosen);
                dialog->accept();
            }
    });
    poll.start(50);
    w.on_actionAudio_Input_triggered();
    poll.stop();
    s << "chosen=" << chosen << "\ncurrent_device=" << w.currentDevice << "\nlevel_after="
      << (waitForLevel(app, w, 10000) ? "yes" : "no") << '\n';
    s.flush();
    writeFile(resultFile, out);
    return 0;
}
