#include "audio/stackmat.h"
#include "../bench/stackmatsignal.h"

#include <QtTest>

namespace sig = stackmatsignal;
using stackmat::Packet;
Q_DECLARE_METATYPE(sig::Options)

namespace {

const levels::SampleFormat u8Format, s16Format{2, 1, levels::SampleFormat::Signed};

// Decodes a stream cut into blocks of the given sizes (cycled), with one state.
std::vector<Packet> decoded(const QByteArray &bytes, const levels::SampleFormat &f, int rate, std::vector<int> blocks)
{
    stackmat::Decoder state;
    std::vector<Packet> out;
    for (int at = 0, i = 0; at < bytes.size(); at += blocks[std::size_t(i++) % blocks.size()])
        stackmat::decode(state, bytes.constData() + at, std::min<qint64>(blocks[std::size_t(i) % blocks.size()], bytes.size() - at),
                         f, rate, out);
    return out;
}

std::vector<Packet> without(std::vector<Packet> sent, std::vector<int> lost)
{
    std::sort(lost.rbegin(), lost.rend());
    for (const int k : lost)
        sent.erase(sent.begin() + k);
    return sent;
}

QString describe(const std::vector<Packet> &packets)
{
    QStringList s;
    for (const Packet &p : packets)
        s << QStringLiteral("%1%2/%3").arg(QChar(p.status)).arg(p.timeMs).arg(p.digits);
    return s.join(' ');
}

} // namespace

class StackmatTest : public QObject
{
    Q_OBJECT
private slots:
    // Every packet of a generated solve comes out, whatever the polarity, packet length, rate and
    // format, timer clock, jitter, level, noise and input coupling; a signal cut to 8 kHz by a
    // band-limited resampler too.
    void decodesEveryPacketOfASolve_data()
    {
        QTest::addColumn<sig::Options>("o");
        QTest::addColumn<int>("digits");
        QTest::addColumn<int>("resampleTo");
        auto o = [](int rate, bool inverted) { sig::Options x; x.rate = rate; x.inverted = inverted; return x; };
        QTest::newRow("8 kHz idle high, 6 digits") << o(8000, false) << 6 << 0;
        QTest::newRow("8 kHz idle low, 5 digits") << o(8000, true) << 5 << 0;
        QTest::newRow("48 kHz idle low, 6 digits") << o(48000, true) << 6 << 0;
        QTest::newRow("44.1 kHz idle high, 5 digits") << o(44100, false) << 5 << 0;
        sig::Options x = o(8000, false);
        x.jitter = 0.08, x.seed = 7;
        QTest::newRow("each bit ±8 %") << x << 6 << 0;
        x.jitter = 0.04, x.bitScale = 1.08;
        QTest::newRow("clock 8 % slow, each bit ±4 %") << x << 6 << 0;
        x.bitScale = 0.92, x.inverted = true;
        QTest::newRow("clock 8 % fast, each bit ±4 %, idle low") << x << 5 << 0;
        x = o(8000, true), x.amplitude = 0.05, x.noise = 0.005, x.jitter = 0.04;
        QTest::newRow("5 % of full scale, noise") << x << 6 << 0;
        x = o(48000, false), x.amplitude = 1.2, x.noise = 0.05;
        QTest::newRow("clipped, noise") << x << 6 << 0;
        x = o(8000, false), x.highPassHz = 100.0, x.amplitude = 0.3, x.jitter = 0.08;
        QTest::newRow("high-pass at 100 Hz, each bit ±8 %") << x << 6 << 0;
        x = o(44100, true), x.jitter = 0.08, x.amplitude = 0.05;
        QTest::newRow("44.1 kHz resampled to 8 kHz, ±8 %, 5 %") << x << 6 << 8000;
        x.inverted = false, x.amplitude = 0.9, x.seed = 3;
        QTest::newRow("44.1 kHz resampled to 8 kHz, 5 digits") << x << 5 << 8000;
    }
    void decodesEveryPacketOfASolve()
    {
        QFETCH(sig::Options, o);
        QFETCH(int, digits);
        QFETCH(int, resampleTo);
        const std::vector<Packet> sent = sig::solvePackets(2345, digits);
        std::vector<float> x = sig::render(sent, o);
        const int rate = resampleTo ? resampleTo : o.rate;
        if (resampleTo)
            x = sig::resample(x, o.rate, resampleTo);
        const bool wide = rate != 8000;
        const QByteArray bytes = wide ? sig::s16(x) : sig::u8(x);
        const int block = rate / 100 * (wide ? 2 : 1); // 10 ms, as the capture hands them over
        const std::vector<Packet> got = decoded(bytes, wide ? s16Format : u8Format, rate, {block});
        QCOMPARE(describe(got), describe(sent));
    }

    // A glitch loses its own packet only; so does a cut; blocks may end anywhere, even inside a
    // sample; what is not a packet is never one.
    void glitchesCutsAndBlockBoundaries()
    {
        const std::vector<Packet> sent = sig::solvePackets(1500, 6);
        sig::Options o;
        o.amplitude = 0.3;
        const int flipped[][2] = {{0, 3}, {2, 4}, {6, 7}, {7, 8}, {8, 9}, {3, 0}, {9, 9}};
        std::vector<int> lost;
        for (std::size_t i = 0; i < std::size(flipped); ++i) {
            lost.push_back(int(3 * i + 1));
            o.flippedBits.push_back({3 * i + 1, 10 * flipped[i][0] + flipped[i][1]});
        }
        std::vector<float> x = sig::render(sent, o);
        QCOMPARE(describe(decoded(sig::u8(x), u8Format, 8000, {80})), describe(without(sent, lost)));

        // Cut in the middle of packet 3 for 350 ms: the line rests at the middle, then the signal comes
        // back in the middle of packet 6. Cut for good in packet 12: nothing after it.
        o.flippedBits.clear();
        x = sig::render(sent, o);
        const auto packetAt = [&](double k) { return std::size_t((o.leadMs + k * o.periodMs) * 8.0); };
        std::fill(x.begin() + std::ptrdiff_t(packetAt(3.4)), x.begin() + std::ptrdiff_t(packetAt(6.5)), 0.0f);
        x.resize(packetAt(12.5));
        const std::vector<int> cut{3, 4, 5, 6};
        std::vector<Packet> want = without(std::vector<Packet>(sent.begin(), sent.begin() + 12), cut);
        QCOMPARE(describe(decoded(sig::u8(x), u8Format, 8000, {80})), describe(want));

        // Two packets in two blocks split at every byte, at 8 kHz and at 48 kHz 16-bit (an odd split
        // cuts a sample), and in blocks of ragged sizes: the same packets as in one block.
        const std::vector<Packet> two{{'A', 5, 0}, {' ', 5, 10}};
        for (const int rate : {8000, 48000}) {
            o.rate = rate, o.leadMs = 20.0;
            const bool wide = rate != 8000;
            const QByteArray bytes = wide ? sig::s16(sig::render(two, o)) : sig::u8(sig::render(two, o));
            const levels::SampleFormat f = wide ? s16Format : u8Format;
            QCOMPARE(describe(decoded(bytes, f, rate, {int(bytes.size())})), describe(two));
            for (int split = 1; split < bytes.size(); ++split) {
                const std::vector<Packet> got = decoded(bytes, f, rate, {split, int(bytes.size())});
                if (!(got == two))
                    QFAIL(qPrintable(QStringLiteral("%1 Hz, split at %2: %3").arg(rate).arg(split).arg(describe(got))));
            }
            QCOMPARE(describe(decoded(bytes, f, rate, {1, 3, 77, 2, 500, 5, 13})), describe(two));
        }

        Packet p;
        const struct { const char *chars; bool ok; } rows[] = {
            {"S012345O", true}, {" 10345M", true}, {"S012345P", false}, {"S01234:O", false}, {"S060000F", false},
            {"X012345O", false}, {"S0123O", false}, {"S0123456T", false}};
        for (const auto &r : rows)
            QVERIFY2(stackmat::parsePacket(r.chars, int(qstrlen(r.chars)), p) == r.ok, r.chars);
        QVERIFY(stackmat::parsePacket(" 10345M", 7, p) && p == (Packet{' ', 5, 63450}));
    }
};

QTEST_GUILESS_MAIN(StackmatTest)
#include "test_stackmat.moc"
