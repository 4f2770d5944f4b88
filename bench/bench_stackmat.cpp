// What reading a Stackmat's signal costs: 60 s of a timer's packets (solves
// one after another, with noise) decoded in 10 ms blocks, as the capture
// hands them over, at 8 kHz unsigned 8-bit and at 44.1 and 48 kHz signed
// 16-bit; per block the decoder alone, and the level sink that levels the
// block and decodes it.
//
//     build/bench/bench_stackmat
#include "benchutil.h"
#include "stackmatsignal.h"
#include "audio/audiolevelsiodevice.h"

#include <QElapsedTimer>

namespace {

struct Figures
{
    std::vector<double> blockUs; // wall clock, each block
    double cpuUs = 0.0;          // thread CPU time, all blocks
    std::size_t packets = 0;
};

template <typename Decode>
Figures perBlock(const QByteArray &bytes, int blockBytes, Decode decode)
{
    Figures f;
    const double cpu0 = bench::threadCpuMs();
    for (int at = 0; at + blockBytes <= bytes.size(); at += blockBytes) {
        QElapsedTimer clock;
        clock.start();
        f.packets += decode(bytes.constData() + at, blockBytes);
        f.blockUs.push_back(double(clock.nsecsElapsed()) / 1e3);
    }
    f.cpuUs = (bench::threadCpuMs() - cpu0) * 1e3;
    return f;
}

void report(const char *what, const Figures &f)
{
    // The wall clock's worst blocks are those the machine took the thread away in.
    std::printf("  %-28s us per 10 ms block: cpu mean %.2f; wall median %.2f, 99%% %.2f, max %.1f  (%zu packets)\n",
                what, f.cpuUs / double(f.blockUs.size()), bench::percentile(f.blockUs, 0.5),
                bench::percentile(f.blockUs, 0.99), bench::percentile(f.blockUs, 1.0), f.packets);
}

} // namespace

int main()
{
    std::vector<stackmat::Packet> packets;
    while (packets.size() < 600) // 60 s, a packet every 100 ms
        for (const stackmat::Packet &p : stackmatsignal::solvePackets(9000 + 137 * qint32(packets.size() % 50), 6))
            packets.push_back(p);
    packets.resize(600);
    const struct { int rate; bool wide; } formats[] = {{8000, false}, {44100, true}, {48000, true}};
    for (const auto &format : formats) {
        stackmatsignal::Options o;
        o.rate = format.rate;
        o.amplitude = 0.3;
        o.noise = 0.005;
        o.jitter = 0.04;
        const std::vector<float> x = stackmatsignal::render(packets, o);
        const QByteArray bytes = format.wide ? stackmatsignal::s16(x) : stackmatsignal::u8(x);
        const levels::SampleFormat sampleFormat{format.wide ? 2 : 1, 1,
                                                format.wide ? levels::SampleFormat::Signed : levels::SampleFormat::Unsigned};
        const int blockBytes = format.rate / 100 * sampleFormat.frameBytes();
        std::printf("%d Hz %s, %d blocks of %d bytes:\n", format.rate, format.wide ? "signed 16-bit" : "unsigned 8-bit",
                    int(bytes.size() / blockBytes), blockBytes);

        stackmat::Decoder state;
        std::vector<stackmat::Packet> out;
        report("decoder", perBlock(bytes, blockBytes, [&](const char *data, int len) {
                   out.clear();
                   stackmat::decode(state, data, len, sampleFormat, format.rate, out);
                   return out.size();
               }));

        AudioLevelsIODevice sink(nullptr);
        sink.format = sampleFormat;
        sink.sampleRate = format.rate;
        sink.blockBytes = blockBytes;
        sink.open(QIODevice::WriteOnly);
        sink.readStackmat(true);
        report("level sink with the decoder", perBlock(bytes, blockBytes, [&](const char *data, int len) {
                   sink.write(data, len);
                   const std::size_t n = sink.stackmatPackets.size();
                   sink.stackmatPackets.clear();
                   return n;
               }));
    }
    return 0;
}
