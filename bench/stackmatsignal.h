#ifndef CADENZA_STACKMATSIGNAL_H
#define CADENZA_STACKMATSIGNAL_H

// A Stackmat timer's signal as a sound card would record it, for the tests,
// the benchmark and the end-to-end test: packets as a 1200-baud serial line
// (idle high unless inverted), each bit's length scaled and jittered, drawn at
// any sample rate with its edges where they fall between samples, optionally
// through a sound card's high-pass, with noise; and a band-limited resampler.

#include "audio/stackmat.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace stackmatsignal {

// The characters of a packet: status, digits, checksum, LF, CR.
inline std::string packetText(const stackmat::Packet &p)
{
    const int ms = p.timeMs, d[6] = {ms / 60000 % 10, ms / 10000 % 6, ms / 1000 % 10, ms / 100 % 10, ms / 10 % 10, ms % 10};
    std::string s(1, p.status);
    int sum = 0;
    for (int i = 0; i < p.digits; ++i) {
        s += char('0' + d[i]);
        sum += d[i];
    }
    return s + char(64 + sum) + "\n\r";
}

// What a timer sends for one solve of solveMs, a packet every periodMs: reset
// and ready at 0, running with the time rising, stopped at the time, reset.
inline std::vector<stackmat::Packet> solvePackets(qint32 solveMs, int digits, int periodMs = 100, int stoppedPackets = 10)
{
    const qint32 unit = digits == 6 ? 1 : 10;
    std::vector<stackmat::Packet> out;
    for (int i = 0; i < 4; ++i)
        out.push_back({i < 2 ? 'I' : 'A', digits, 0});
    for (qint32 t = 37; t < solveMs; t += periodMs)
        out.push_back({' ', digits, t / unit * unit});
    for (int i = 0; i < stoppedPackets; ++i)
        out.push_back({i < 2 ? 'C' : 'S', digits, solveMs / unit * unit});
    for (int i = 0; i < 3; ++i)
        out.push_back({'I', digits, 0});
    return out;
}

struct Options
{
    int rate = 8000;
    double amplitude = 0.5; // share of full scale
    bool inverted = false;  // idle low
    double bitScale = 1.0;  // every bit this much longer (a timer's clock off)
    double jitter = 0.0;    // each bit up to this share longer or shorter
    double noise = 0.0;     // Gaussian, its deviation as a share of full scale
    double highPassHz = 0.0; // a sound card's input coupling; 0: none
    int periodMs = 100;     // a packet begins every periodMs
    double leadMs = 50.0;   // idle line before the first packet
    // Bits drawn the wrong way: (packet, bit of its frames counted from the
    // first start bit, ten to a character).
    std::vector<std::pair<std::size_t, int>> flippedBits;
    unsigned seed = 1;
};

// The signal, in full-scale units (-1 to 1).
inline std::vector<float> render(const std::vector<stackmat::Packet> &packets, const Options &o)
{
    std::mt19937 random(o.seed);
    std::uniform_real_distribution<double> jitter(-o.jitter, o.jitter);
    const double nominal = double(o.rate) / stackmat::baud * o.bitScale;
    const double samplesPerMs = o.rate / 1000.0;
    const std::size_t n = std::size_t((o.leadMs + double(packets.size()) * o.periodMs) * samplesPerMs);
    // The line as level changes: where each begins, in samples; +1 idle, -1 the other level.
    std::vector<std::pair<double, int>> changes{{0.0, 1}};
    for (std::size_t k = 0; k < packets.size(); ++k) {
        double t = (o.leadMs + double(k) * o.periodMs) * samplesPerMs;
        int bit = 0;
        for (const char c : packetText(packets[k])) {
            const unsigned frame = (unsigned(uchar(c)) << 1) | 0x200u; // start, 8 data bits, stop
            for (int b = 0; b < 10; ++b, ++bit) {
                const bool flip = std::count(o.flippedBits.begin(), o.flippedBits.end(), std::make_pair(k, bit)) > 0;
                changes.push_back({t, ((frame >> b) & 1u) != flip ? 1 : -1});
                t += nominal * (1.0 + jitter(random));
            }
        }
        changes.push_back({t, 1});
    }
    changes.push_back({double(n), 1});
    // Each sample is the mean of the line over its own stretch of time.
    std::vector<float> out(n, 0.0f);
    for (std::size_t i = 0; i + 1 < changes.size(); ++i) {
        const double t0 = std::min(changes[i].first, double(n)), t1 = std::min(changes[i + 1].first, double(n));
        for (std::size_t s = std::size_t(t0); double(s) < t1; ++s)
            out[s] += float(changes[i].second * (std::min(t1, double(s + 1)) - std::max(t0, double(s))));
    }
    const double keep = o.highPassHz > 0.0 ? 1.0 / (1.0 + 2.0 * M_PI * o.highPassHz / o.rate) : 1.0;
    std::normal_distribution<double> noise(0.0, o.noise);
    // The high-pass starts settled: the idle line before the first packet reads as 0.
    double in1 = out.empty() ? 0.0 : out[0] * o.amplitude * (o.inverted ? -1.0 : 1.0), out1 = 0.0;
    for (float &x : out) {
        double v = x * o.amplitude * (o.inverted ? -1.0 : 1.0);
        if (o.highPassHz > 0.0) {
            out1 = keep * (out1 + v - in1);
            in1 = v;
            v = out1;
        }
        if (o.noise > 0.0)
            v += noise(random);
        x = float(std::max(-1.0, std::min(1.0, v)));
    }
    return out;
}

// The signal at another rate: a windowed-sinc low-pass at 90 % of the lower
// Nyquist frequency, as a sound server's resampler does.
inline std::vector<float> resample(const std::vector<float> &in, int from, int to)
{
    const double step = double(from) / to, cutoff = 0.45 * std::min(from, to) / double(from); // cycles per input sample
    const int half = int(std::ceil(16.0 / (2.0 * cutoff)));
    std::vector<float> out(std::size_t(double(in.size()) / step));
    for (std::size_t k = 0; k < out.size(); ++k) {
        const double t = double(k) * step;
        const int centre = int(t);
        double sum = 0.0;
        for (int i = centre - half + 1; i <= centre + half; ++i) {
            if (i < 0 || i >= int(in.size()))
                continue;
            const double x = double(i) - t, w = 0.5 + 0.5 * std::cos(M_PI * x / half);
            const double a = 2.0 * cutoff * x;
            sum += in[std::size_t(i)] * 2.0 * cutoff * (a == 0.0 ? 1.0 : std::sin(M_PI * a) / (M_PI * a)) * w;
        }
        out[k] = float(sum);
    }
    return out;
}

// The bytes of unsigned 8-bit and signed 16-bit little-endian mono audio.
inline QByteArray u8(const std::vector<float> &x)
{
    QByteArray b(int(x.size()), '\0');
    for (std::size_t i = 0; i < x.size(); ++i)
        b[int(i)] = char(std::clamp(int(std::lround(128.0 + 128.0 * x[i])), 0, 255));
    return b;
}

inline QByteArray s16(const std::vector<float> &x)
{
    QByteArray b(int(2 * x.size()), '\0');
    for (std::size_t i = 0; i < x.size(); ++i) {
        const int v = std::clamp(int(std::lround(32767.0 * x[i])), -32768, 32767);
        b[int(2 * i)] = char(v & 0xff);
        b[int(2 * i + 1)] = char((v >> 8) & 0xff);
    }
    return b;
}

} // namespace stackmatsignal

#endif
