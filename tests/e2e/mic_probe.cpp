// The real window under the real X and audio servers, reporting what capture
// delivered as key=value lines, then "record" and one "t level" line a sample.
//   mic_probe window result-file   runs the program as it is (keys and closing
//                                  come from outside), reports when it ends
//   mic_probe switch result-file   drops the running capture, then chooses the
//                                  "vmic" device in the switch dialog
//   mic_probe switchfail result-file  chooses a device that cannot start ("oss"
//                                  or "jack", ALSA's outlets for absent servers)
//                                  while capture runs, answers the note
// and, without a window, for making and checking the audio that is played:
//   mic_probe onsets FILE.u8 THRESHOLD  the word onsets in FILE (8000 Hz unsigned
//                                  8-bit mono) for capture blocks starting at each
//                                  of the 80 byte phases of a 10 ms block, one
//                                  line a phase: "phase: ms ms ...", in file time
//   mic_probe turning SECONDS SEED THRESHOLD FILE.s16   fast turning (signed
//                                  16-bit mono, 8000 Hz)

#include "app/cadenza.h"
#include "audio/analysis.h"
#include "audio/audiolevelsiodevice.h"
#include "testsupport.h"
#include "audio/levels.h"
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

static void writeFile(const QString &name, const QByteArray &text)
{
    QSaveFile f(name);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(text);
        f.commit();
    }
}

static bool waitForLevel(QApplication &app, Cadenza &w, int ms)
{
    QElapsedTimer wait;
    wait.start();
    while (!(w.audioDevice && w.audioDevice->currentLevel != 0.0) && wait.elapsed() < ms)
        app.processEvents(QEventLoop::AllEvents, 20);
    return w.audioDevice && w.audioDevice->currentLevel != 0.0;
}

// The capture's view of a file: blocks of 80 bytes from each byte phase, the
// sink's level code, the word rule.
static int fileOnsets(const char *name, float threshold)
{
    QFile f(QString::fromLocal8Bit(name));
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray audio = f.readAll();
    std::vector<float> values;
    for (int phase = 0; phase < 80; ++phase) {
        std::vector<float> record;
        for (int at = phase; at + 80 <= audio.size(); at += 80) {
            levels::decodeBlock(audio.constData() + at, 80, levels::SampleFormat(), values);
            float level = 0.0f;
            levels::blockLevel(values, level);
            record.push_back(level);
        }
        std::printf("%d:", phase);
        for (const qint32 o : analysis::voiceOnsets(record, threshold, 0))
            std::printf(" %d", (o * 80 + phase) / 8);
        std::printf("\n");
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
    if (argc == 4 && QByteArray(argv[1]) == "onsets")
        return fileOnsets(argv[2], QByteArray(argv[3]).toFloat());
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

    if (mode == "window") {
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
        for (std::size_t i = 0; i < lt.size(); ++i)
            s << lt[i] << ' ' << lv[i] << '\n';
        s.flush();
        writeFile(resultFile, out);
        return rc;
    }
    if (mode == "switchfail") {
        s << "capture_before=" << (waitForLevel(app, w, 15000) ? "yes" : "no") << '\n';
        QAudioInput *const before = w.audioInput;
        const QString deviceBefore = w.currentDevice;
        QString chosen, told;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                if (auto *box = qobject_cast<QMessageBox *>(top); box && box->isVisible()) {
                    told = box->text();
                    box->accept();
                } else if (auto *dialog = qobject_cast<QInputDialog *>(top); dialog && dialog->isVisible()) {
                    const QStringList items = dialog->comboBoxItems();
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
        s << "chosen=" << chosen << "\ntold=" << told << "\ncapture_kept="
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
