// What one attempt of the capture restarter costs the GUI thread while no
// capture can start: the device listing, the preferred devices and the
// others within the time budget. Run it with the audio server away, through
// the isolated runner (the window uses the fixed autosave path):
//
//     PULSE_SERVER=unix:/nonexistent QT_QPA_PLATFORM=offscreen \
//         sh tests/run-isolated.sh build/bench/bench_capturerestart 2>/dev/null
//
// ALSA's complaints about absent cards go to stderr.
#include "benchutil.h"
#include "app/cadenza.h"
#include "audio/capturerestart.h"

#include <QApplication>

int main(int argc, char **argv)
{
    if (!bench::isolated())
        return 2;
    QApplication app(argc, argv);
    Cadenza w;
    w.dropCapture();
    const bench::Samples s = bench::measure(30, [&] { w.captureRestarter->retry(); });
    std::printf("restarter attempt, no capture possible (%s), 30 attempts:\n", w.audioInput ? "one started" : "none started");
    std::printf("  wall ms: median %.1f, 90%% %.1f, max %.1f\n", bench::percentile(s.wallMs, 0.5),
                bench::percentile(s.wallMs, 0.9), bench::percentile(s.wallMs, 1.0));
    std::printf("  cpu ms:  median %.1f, 90%% %.1f, max %.1f\n", bench::percentile(s.cpuMs, 0.5),
                bench::percentile(s.cpuMs, 0.9), bench::percentile(s.cpuMs, 1.0));
    return 0;
}
