// In-process driver for the microphone end-to-end checks: runs the real
// window under the real X and audio servers and reports what the capture
// delivered, read straight from the window's members.
//
//   mic_probe run ready-file result-file seconds
//     Waits (up to 15 s) for the first captured block, writes the negotiated
//     format to ready-file (the script starts its audio when the file
//     appears), times one run of the given length and writes the figures
//     and the level record to result-file. Exit status 2 when capture never
//     delivered.
//
//   mic_probe switch result-file
//     Waits for capture, drops it (as a failed capture is dropped), then
//     chooses the device whose name contains "vmic" in the device switch
//     dialog and reports whether capture runs again (key=value lines).
//
//   mic_probe window result-file
//     Runs the program as it is (keys and closing come from outside) and,
//     when its event loop ends, writes the same figures for the last run.
//
// result-file holds key=value lines, then "record" and one "t level" line per
// sample of the level record.

#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QInputDialog>
#include <QAudioInput>
#include <QElapsedTimer>
#include <QSaveFile>
#include <QTextStream>
#include <QTimer>
#include <algorithm>

namespace {

// The window with its refresh tick timed.
class ProbeWindow : public Cadenza
{
public:
    std::vector<qint64> runningTickNs;

protected:
    void timerEvent(QTimerEvent *event) override
    {
        const bool wasRunning = running;
        QElapsedTimer t;
        t.start();
        Cadenza::timerEvent(event);
        if (wasRunning)
            runningTickNs.push_back(t.nsecsElapsed());
    }
};

void writeFile(const QString &name, const QByteArray &text)
{
    QSaveFile f(name);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(text);
        f.commit();
    }
}

QByteArray report(ProbeWindow &w)
{
    const auto &lv = w.levels;
    const auto &lt = w.levelTimes;
    int lateGaps = 0, changes = 0, maxGap = 0;
    for (std::size_t i = 1; i < lt.size(); ++i) {
        const int gap = lt[i] - lt[i - 1];
        lateGaps += gap > 12 ? 1 : 0;
        maxGap = qMax(maxGap, gap);
        changes += lv[i] != lv[i - 1] ? 1 : 0;
    }
    std::vector<qint64> ticks = w.runningTickNs;
    std::sort(ticks.begin(), ticks.end());
    auto pct = [&](double p) {
        return ticks.empty() ? 0.0 : double(ticks[std::size_t(p * double(ticks.size() - 1))]) / 1e6;
    };
    QByteArray out;
    QTextStream s(&out);
    s << "capture=" << (w.audioDevice ? "yes" : "no") << "\nsamples=" << lt.size() << "\nlate_gaps=" << lateGaps << "\nmax_gap=" << maxGap
      << "\nchanges=" << changes << "\ntick_ms_median=" << pct(0.5) << "\ntick_ms_p99=" << pct(0.99)
      << "\ntick_ms_max=" << pct(1.0) << "\nonsets=";
    for (qint32 o : w.findVoiceOnsets())
        s << o << ' ';
    s << "\npauses=" << w.computePauseStats().pauseCount << "\nrecord\n";
    for (std::size_t i = 0; i < lt.size(); ++i)
        s << lt[i] << ' ' << lv[i] << '\n';
    s.flush();
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();

    if (mode == "window" && argc >= 3) {
        const QString resultFile = QString::fromLocal8Bit(argv[2]);
        ProbeWindow w;
        w.show();
        const int rc = app.exec();
        writeFile(resultFile, report(w));
        return rc;
    }
    if (mode == "switch" && argc >= 3) {
        const QString resultFile = QString::fromLocal8Bit(argv[2]);
        ProbeWindow w;
        w.show();
        QElapsedTimer wait;
        wait.start();
        while (!(w.audioDevice && w.audioDevice->currentLevel != 0.0) && wait.elapsed() < 15000)
            app.processEvents(QEventLoop::AllEvents, 20);
        QByteArray out;
        QTextStream s(&out);
        s << "capture_before=" << (w.audioDevice ? "yes" : "no") << '\n';
        w.dropCapture();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        s << "capture_dropped=" << (w.audioDevice || w.audioInput ? "no" : "yes") << '\n';

        // Answer the dialog once it is up.
        QString offered, chosen;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget *top : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<QInputDialog *>(top);
                if (!dialog || !dialog->isVisible())
                    continue;
                offered = dialog->comboBoxItems().join(QLatin1Char(','));
                for (const QString &item : dialog->comboBoxItems())
                    if (item.contains(QLatin1String("vmic")))
                        chosen = item;
                dialog->setTextValue(chosen);
                dialog->accept();
                poll.stop();
            }
        });
        poll.start(50);
        w.on_actionAudio_Input_triggered();
        poll.stop();
        s << "offered=" << offered << "\nchosen=" << chosen << "\ncurrent_device=" << w.currentDevice
          << "\ncapture_after=" << (w.audioDevice ? "yes" : "no") << '\n';
        wait.restart();
        while (w.audioDevice && w.audioDevice->currentLevel == 0.0 && wait.elapsed() < 10000)
            app.processEvents(QEventLoop::AllEvents, 20);
        s << "level_after=" << (w.audioDevice ? w.audioDevice->currentLevel : 0.0) << '\n';
        s.flush();
        writeFile(resultFile, out);
        return 0;
    }
    if (mode != "run" || argc < 5)
        return 1;

    const QString readyFile = QString::fromLocal8Bit(argv[2]);
    const QString resultFile = QString::fromLocal8Bit(argv[3]);
    const int seconds = QByteArray(argv[4]).toInt();

    ProbeWindow w;
    w.show();

    QElapsedTimer wait;
    wait.start();
    while (!(w.audioDevice && w.audioDevice->currentLevel != 0.0) && wait.elapsed() < 15000)
        app.processEvents(QEventLoop::AllEvents, 20);
    if (!w.audioDevice || w.audioDevice->currentLevel == 0.0) {
        writeFile(readyFile, "capture=none\n");
        return 2;
    }
    const QAudioFormat f = w.audioInput->format();
    QByteArray ready;
    QTextStream(&ready) << "capture=yes\n"
                        << "rate=" << f.sampleRate() << "\nchannels=" << f.channelCount()
                        << "\nsize=" << f.sampleSize() << "\ntype=" << int(f.sampleType())
                        << "\nbuffer=" << w.audioInput->bufferSize() << "\n";
    writeFile(readyFile, ready);

    w.on_startButton_clicked();
    QTimer::singleShot(seconds * 1000, &app, [&] {
        w.on_startButton_clicked();
        app.quit();
    });
    app.exec();
    writeFile(resultFile, report(w));
    return 0;
}
