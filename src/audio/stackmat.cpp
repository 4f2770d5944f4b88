#include "audio/stackmat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace stackmat {

namespace {

// An edge is a change of the line over a few samples (two; three from
// 48 kHz), of more than half the recent edges' size and more than
// minimumEdge: 5 steps of the 8-bit scale, 2 % of its range, well above the
// noise of a quiet input and well below the edges of a signal at 5 % of full
// scale (13 steps).
int edgeSpan(int rate)
{
    return std::clamp(rate / 16000, 2, 3);
}
constexpr float minimumEdge = 5.0f;
// The recent edges' size forgets an old one over about this long.
constexpr double edgeMemorySeconds = 0.1;
// How far the measured bit length may stray from 1200 baud, and how fast it
// follows the runs of one to four bits.
constexpr double bitTolerance = 0.12;
constexpr double learnRate = 0.1;

constexpr char statuses[] = {'I', 'A', ' ', 'S', 'L', 'R', 'C'};

// A whole character: a packet ends with LF and CR, and the characters before
// them are read as a six-digit packet or a five-digit one.
void characterRead(Framer &f, char c, std::vector<Packet> &out)
{
    if (f.count == int(sizeof f.chars)) {
        std::memmove(f.chars, f.chars + 1, sizeof f.chars - 1);
        --f.count;
    }
    f.chars[f.count++] = c;
    if (c != '\r' || f.count < 2 || f.chars[f.count - 2] != '\n')
        return;
    for (const int n : {8, 7}) {
        Packet p;
        if (f.count - 2 >= n && parsePacket(f.chars + f.count - 2 - n, n, p)) {
            out.push_back(p);
            break;
        }
    }
    f.count = 0;
}

// Hands n bits of one line level to a framer. Handing a run over in pieces
// gives the same characters as handing it over whole.
void give(Framer &f, int lineLevel, int n, std::vector<Packet> &out)
{
    const bool idle = (lineLevel == 1) == f.idleHigh;
    while (n > 0) {
        if (f.waitingForIdle) {
            f.idleBits = idle ? f.idleBits + n : 0;
            f.waitingForIdle = f.idleBits < 10;
            return;
        }
        if (!f.inFrame) {
            if (idle)
                return;
            f.inFrame = true; // the start bit
            f.bit = 1;
            f.byte = 0;
            --n;
            continue;
        }
        if (f.bit < 9) {
            const int m = std::min(n, 9 - f.bit);
            if (idle)
                f.byte |= ((1u << m) - 1u) << (f.bit - 1);
            f.bit += m;
            n -= m;
            continue;
        }
        f.inFrame = false; // the stop bit; what follows it is idle line or the next start
        if (idle) {
            characterRead(f, char(f.byte), out);
        } else {
            // No stop bit: the packet is lost, and reading starts again after an idle line.
            f.waitingForIdle = true;
            f.idleBits = 0;
            f.count = 0;
        }
        return;
    }
}

void giveBits(Decoder &s, int level, int bits, std::vector<Packet> &out)
{
    for (Framer &f : s.framers)
        give(f, level, bits, out);
}

// A run of one level ended after `length` samples: it holds as many bits as
// fit best. Short runs tune the bit length to the timer's own.
void runEnded(Decoder &s, double length, std::vector<Packet> &out)
{
    const int bits = int(std::lround(length / s.bitSamples));
    if (s.runMeasured && bits >= 1 && bits <= 4) {
        const double nominal = double(s.rate) / baud;
        s.bitSamples += learnRate * (length / bits - s.bitSamples);
        s.bitSamples = std::clamp(s.bitSamples, nominal * (1.0 - bitTolerance), nominal * (1.0 + bitTolerance));
    }
    if (bits > s.bitsGiven)
        giveBits(s, s.level, bits - s.bitsGiven, out);
}

// The edge found at s.edgeFound, with span samples on either side of it now
// read: it lies where the line crosses the middle of the levels before and
// after it.
double edgePosition(const Decoder &s, int span)
{
    const auto at = [&s](qint64 i) { return s.recent[i & 7]; };
    const qint64 first = s.edgeFound - span, last = s.edgeFound + span;
    const float middle = (at(first) + at(last)) * 0.5f;
    for (qint64 i = first + 1; i <= last; ++i) {
        const float a = at(i - 1) - middle, b = at(i) - middle;
        if (s.rising * b >= 0.0f && s.rising * a < 0.0f)
            return double(i - 1) + double(a / (a - b));
    }
    return double(s.edgeFound);
}

void readSample(Decoder &s, float x, float forget, int span, std::vector<Packet> &out)
{
    s.recent[s.samples & 7] = x;
    s.edgeSize -= s.edgeSize * forget;
    const float change = s.samples >= span ? x - s.recent[(s.samples - span) & 7] : 0.0f;
    if (s.rising != 0) {
        s.edgePeak = std::max(s.edgePeak, change * float(s.rising));
        if (s.samples == s.edgeFound + span) {
            const double at = edgePosition(s, span);
            s.edgeSize = std::max(s.edgePeak, s.edgeSize + 0.2f * (s.edgePeak - s.edgeSize));
            if (s.level == -1) {
                // The line rested at the other level before the first edge.
                s.level = s.rising > 0 ? 0 : 1;
                s.bitsGiven = 0;
            }
            runEnded(s, at - s.edge, out);
            s.level = s.rising > 0 ? 1 : 0;
            s.edge = at;
            s.runMeasured = true;
            s.bitsGiven = 0;
            s.rising = 0;
        }
    } else {
        const float threshold = std::max(minimumEdge, 0.5f * s.edgeSize);
        const int direction = change > threshold ? 1 : change < -threshold ? -1 : 0;
        if (direction != 0 && s.level != (direction > 0 ? 1 : 0)) {
            s.rising = direction;
            s.edgeFound = s.samples;
            s.edgePeak = change * float(direction);
        }
    }
    ++s.samples;
}

} // namespace

bool parsePacket(const char *chars, int count, Packet &packet)
{
    if ((count != 7 && count != 8) || !std::memchr(statuses, chars[0], sizeof statuses))
        return false;
    const int digits = count - 2;
    int d[6] = {};
    int sum = 0;
    for (int i = 0; i < digits; ++i) {
        if (chars[1 + i] < '0' || chars[1 + i] > '9')
            return false;
        d[i] = chars[1 + i] - '0';
        sum += d[i];
    }
    if (d[1] > 5 || chars[count - 1] != char(64 + sum))
        return false;
    packet.status = chars[0];
    packet.digits = digits;
    packet.timeMs = d[0] * 60000 + d[1] * 10000 + d[2] * 1000 + d[3] * 100 + d[4] * 10 + (digits == 6 ? d[5] : 0);
    return true;
}

void decode(Decoder &s, const char *data, qint64 len, const levels::SampleFormat &format, int sampleRate,
            std::vector<Packet> &out)
{
    const int frameBytes = format.frameBytes();
    if (!data || len <= 0 || sampleRate <= 0 || !format.isDecodable() || frameBytes > int(sizeof s.partial))
        return;
    if (sampleRate != s.rate) {
        s = Decoder();
        s.rate = sampleRate;
        s.bitSamples = double(sampleRate) / baud;
    }
    const float forget = float(1.0 / (edgeMemorySeconds * sampleRate));
    const int span = edgeSpan(sampleRate);
    const auto *p = reinterpret_cast<const uchar *>(data);
    const uchar *end = p + len;
    if (s.partialBytes > 0) {
        const int take = int(std::min<qint64>(frameBytes - s.partialBytes, end - p));
        std::memcpy(s.partial + s.partialBytes, p, std::size_t(take));
        s.partialBytes += take;
        p += take;
        if (s.partialBytes < frameBytes)
            return;
        readSample(s, levels::frameOffset(s.partial, format), forget, span, out);
        s.partialBytes = 0;
    }
    if (format.isRawU8()) {
        for (; p < end; ++p)
            readSample(s, float(int(*p) - 128), forget, span, out);
    } else {
        for (; end - p >= frameBytes; p += frameBytes)
            readSample(s, levels::frameOffset(p, format), forget, span, out);
        s.partialBytes = int(end - p);
        std::memcpy(s.partial, p, std::size_t(s.partialBytes));
    }
    // The run still going on: its bits that have passed whole (and before any
    // edge that may not be found yet) are read now, so the last packet before
    // a pause in the signal is not held back.
    if (s.level != -1 && s.rising == 0) {
        const int passed = int((double(s.samples - 1 - 2 * span) - s.edge) / s.bitSamples);
        if (passed > s.bitsGiven) {
            giveBits(s, s.level, passed - s.bitsGiven, out);
            s.bitsGiven = passed;
        }
    }
}

} // namespace stackmat
