// In-process driver for the microphone end-to-end checks: runs the real
// window under the real X and audio servers and reports what the capture
// delivered, read straight from the window's members.
//
//   mic_probe ready-file result-file seconds
//
// Waits (up to 15 s) for the first captured block, writes the negotiated
// format to ready-file (the script starts its audio when the file appears),
// times one run of the given length and writes key=value figures and the
// level record ("t level" per line, after a "record" line) to result-file.
// Exit status 0 when the run was timed, 2 when capture never delivered.

#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "ui_cadenza.h"

#include <QApplication>
#include <QAudioInput>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <QThread>
#include <QTimer>

static void writeFile(const QString &name, const QByteArray &text)
{
    QSaveFile f(name);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(text);
        f.commit();
    }
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 4)
        return 1;
    const QString readyFile = QString::fromLocal8Bit(argv[1]);
    const QString resultFile = QString::fromLocal8Bit(argv[2]);
    const int seconds = QByteArray(argv[3]).toInt();

    Cadenza w;
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

    const auto &lv = w.levels;
    const auto &lt = w.levelTimes;
    int lateGaps = 0, changes = 0, maxGap = 0;
    for (std::size_t i = 1; i < lt.size(); ++i) {
        const int gap = lt[i] - lt[i - 1];
        lateGaps += gap > 12 ? 1 : 0;
        maxGap = qMax(maxGap, gap);
        changes += lv[i] != lv[i - 1] ? 1 : 0;
    }
    QByteArray out;
    QTextStream s(&out);
    s << "samples=" << lt.size() << "\nlate_gaps=" << lateGaps << "\nmax_gap=" << maxGap
      << "\nchanges=" << changes << "\nonsets=";
    for (qint32 o : w.findVoiceOnsets())
        s << o << ' ';
    s << "\npauses=" << w.computePauseStats().pauseCount << "\nrecord\n";
    for (std::size_t i = 0; i < lt.size(); ++i)
        s << lt[i] << ' ' << lv[i] << '\n';
    s.flush();
    writeFile(resultFile, out);
    return 0;
}
