#ifndef CADENZA_STACKMAT_H
#define CADENZA_STACKMAT_H

#include "audio/levels.h"

#include <QtGlobal>
#include <vector>

// Reading a Stackmat timer plugged into the audio input. The timer sends what
// its display shows, about ten times a second, as a serial line at 1200 baud:
// 8 data bits, least significant first, no parity, 1 stop bit. A packet is a
// status character, the time as digits (minutes, tens of seconds, seconds,
// tenths, hundredths, and thousandths on the newer timers), a checksum
// character (64 plus the sum of the digits), LF and CR.
//
// Which voltage is the idle one depends on the timer, the cable and the sound
// card, so both readings of the line run side by side: only the right one
// ever gives packets that pass the checks.
namespace stackmat {

constexpr int baud = 1200;

struct Packet
{
    // 'I' reset, 'A' ready, ' ' running, 'S' stopped, 'L' / 'R' one hand on
    // the pads, 'C' both hands on.
    char status = 'I';
    int digits = 0;    // 5 or 6
    qint32 timeMs = 0; // from five digits: hundredths times 10
    bool running() const { return status == ' '; }
    bool operator==(const Packet &o) const
    {
        return status == o.status && digits == o.digits && timeMs == o.timeMs;
    }
};

// Reads one packet from its characters: the status, the digits and the
// checksum (LF and CR left off). False for anything that is not a packet: a
// status or length that does not exist, a character that is not a digit, a
// tens-of-seconds digit over 5, or a wrong checksum.
bool parsePacket(const char *chars, int count, Packet &packet);

// The characters of one polarity's reading of the line: serial frames of a
// start bit, 8 data bits and a stop bit.
struct Framer
{
    bool idleHigh = true;
    // A frame may begin only after a whole character's time of idle line: at
    // the start, and after a character without its stop bit.
    bool waitingForIdle = true;
    int idleBits = 0;
    bool inFrame = false;
    int bit = 0;       // bits of the frame read, the start bit included
    unsigned byte = 0;
    char chars[10] = {}; // the last characters read, the newest last
    int count = 0;
};

// Everything the decoder carries from one block of samples to the next.
struct Decoder
{
    // The first bytes of an audio frame (a sample of every channel) whose
    // other bytes come in the next block.
    uchar partial[16] = {};
    int partialBytes = 0;

    // The line changes level at an edge: a rise or fall of at least half the
    // size of the recent edges within a few samples. Sound cards let through
    // the edges of the signal and not its steady levels, which sag towards
    // the middle; level -1 until the first edge.
    float recent[8] = {};    // the last samples, by sample number modulo 8
    qint64 samples = 0;      // samples read so far
    float edgeSize = 0.0f;
    int level = -1;
    // An edge found at sample edgeFound, measured once the samples after it are in.
    int rising = 0;          // +1 rising, -1 falling, 0 none
    qint64 edgeFound = 0;
    float edgePeak = 0.0f;
    // Where the current run of one level began, in samples. The first run's
    // beginning was not seen: its length does not tune the bit length.
    double edge = 0.0;
    bool runMeasured = false;
    int bitsGiven = 0;       // bits of the current run handed to the framers
    // The bit length as measured on the signal (the nominal one at first).
    double bitSamples = 0.0;
    int rate = 0;

    Framer framers[2] = {Framer{true}, Framer{false}};
};

// Decodes one block of captured audio, in the capture's sample format at its
// sample rate, carrying on from the state; the packets that end in it are
// appended to out. Blocks may be cut anywhere, even inside a frame.
void decode(Decoder &state, const char *data, qint64 len, const levels::SampleFormat &format, int sampleRate,
            std::vector<Packet> &out);

} // namespace stackmat

#endif
