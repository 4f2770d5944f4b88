// A Stackmat timer's signal for the end-to-end test, and what the decoder
// reads in audio as the capture would record it:
//   stackmat_probe wav FILE.wav SOLVE_MS RATE   one solve of SOLVE_MS as a
//                         six-digit timer sends it (reset, ready, running,
//                         stopped, reset), mono signed 16-bit at RATE Hz
//   stackmat_probe read FILE.u8                 the packets in 8000 Hz unsigned
//                         8-bit mono audio, read in 10 ms blocks: one line
//                         "packets N", then "stop MS" for each stop after a run

#include "audio/stackmat.h"
#include "../../bench/stackmatsignal.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <cstdio>

static QByteArray wavFile(const QByteArray &s16, int rate)
{
    QByteArray h(44, '\0');
    auto put32 = [&h](int at, quint32 v) { qToLittleEndian(v, h.data() + at); };
    auto put16 = [&h](int at, quint16 v) { qToLittleEndian(v, h.data() + at); };
    h.replace(0, 4, "RIFF");
    put32(4, quint32(36 + s16.size()));
    h.replace(8, 8, "WAVEfmt ");
    put32(16, 16);
    put16(20, 1); // PCM
    put16(22, 1); // mono
    put32(24, quint32(rate));
    put32(28, quint32(rate * 2));
    put16(32, 2);
    put16(34, 16);
    h.replace(36, 4, "data");
    put32(40, quint32(s16.size()));
    return h + s16;
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() == 5 && a[1] == QLatin1String("wav")) {
        stackmatsignal::Options o;
        o.rate = a[4].toInt();
        o.amplitude = 0.5;
        o.leadMs = 500.0;
        const auto packets = stackmatsignal::solvePackets(a[3].toInt(), 6, 100, 20);
        QSaveFile f(a[2]);
        if (o.rate <= 0 || !f.open(QIODevice::WriteOnly))
            return 1;
        f.write(wavFile(stackmatsignal::s16(stackmatsignal::render(packets, o)), o.rate));
        return f.commit() ? 0 : 1;
    }
    if (a.size() == 3 && a[1] == QLatin1String("read")) {
        QFile f(a[2]);
        if (!f.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = f.readAll();
        stackmat::Decoder state;
        std::vector<stackmat::Packet> packets;
        for (int at = 0; at < bytes.size(); at += 80)
            stackmat::decode(state, bytes.constData() + at, qMin(80, bytes.size() - at), levels::SampleFormat(), 8000, packets);
        std::printf("packets %zu\n", packets.size());
        for (std::size_t i = 1; i < packets.size(); ++i)
            if (packets[i - 1].running() && !packets[i].running())
                std::printf("stop %d\n", packets[i].timeMs);
        return 0;
    }
    std::fprintf(stderr, "usage: stackmat_probe wav FILE.wav SOLVE_MS RATE | read FILE.u8\n");
    return 2;
}
