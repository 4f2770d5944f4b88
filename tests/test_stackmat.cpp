#include "app/cadenza.h"
#include "audio/stackmat.h"
#include "session/timesfile.h"
#include "testsupport.h"
#include "ui_cadenza.h"
#include "../bench/stackmatsignal.h"

#include <QSettings>

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

void feed(Cadenza &w, const std::vector<Packet> &packets)
{
    for (const Packet &p : packets)
        w.stackmatPacket(p);
}

// Plays the steps of playKeyStep to the window.
void keys(Cadenza &w, const QString &script)
{
    for (const QString &t : script.split(' '))
        playKeyStep(&w, w.ui->startButton, t);
}

} // namespace

class StackmatTest : public QObject
{
    Q_OBJECT
private slots:
    void init() // each window starts empty, with the settings' defaults
    {
        QFile::remove(Cadenza::sessionFilePath());
        QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).clear();
    }

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
        if (!wide) // after a calibration with fine levels capture runs at 8 kHz in 16 bits
            QCOMPARE(describe(decoded(sig::s16(x), s16Format, rate, {2 * block})), describe(sent));
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

    // Through the window, packets as the tick hands them over: one solve a run with exactly the
    // Stackmat's time, nothing from a reset or a cancelled run, keys other than Escape ignored.
    void theStackmatTimesTheSolves()
    {
        Cadenza w;
        feed(w, sig::solvePackets(1000, 6)); // off: packets change nothing
        QVERIFY(!w.running && w.times.empty());
        w.ui->actionStackmat_Timer->trigger();
        QVERIFY(!w.ui->audioWidget->isVisibleTo(&w) && !w.ui->splitLabel->isVisibleTo(&w));
        QCOMPARE(w.ui->pauseLabel->text(), QStringLiteral("Stackmat not connected"));
        const QString scramble = w.currentScramble;
        w.ui->splitsCombo->setCurrentIndex(1);
        const std::vector<Packet> run = sig::solvePackets(12345, 6);
        feed(w, {run.begin(), run.begin() + 60}); // reset, ready, running up to 5.537 s
        QVERIFY(w.running && w.ui->timerLabel->text() == QStringLiteral("5.537"));
        QCOMPARE(w.ui->pauseLabel->text(), QStringLiteral("Stackmat connected"));
        w.on_startButton_clicked(); // neither the mouse nor a key stops it
        keys(w, "+A@1000 -A@1100 +S@1200 -S@1300 ~50");
        QVERIFY(w.running && w.times.empty());
        feed(w, {run.begin() + 60, run.end()}); // the rest: stopped at 12.345 in many packets, reset
        QCOMPARE(w.times, std::vector<float>{12345.0f});
        QCOMPARE(w.ui->timerLabel->text(), QStringLiteral("12.345"));
        feed(w, sig::solvePackets(8761, 5)); // a new run after the reset: hundredths
        QCOMPARE(w.times, (std::vector<float>{12345.0f, 8760.0f}));
        QCOMPARE(w.ui->timerLabel->text(), QStringLiteral("8.76"));
        const SessionData saved = parseTimesFile(readAll(Cadenza::sessionFilePath()), 0); // stored as a keyboard solve is: at once, no sound figures
        QVERIFY(saved.times == w.times && saved.penalties == (std::vector<qint32>{0, 0}) && saved.scrambles.value(0) == scramble);
        QVERIFY(saved.pauseStats == std::vector<PauseStats>(2) && saved.splits == std::vector<std::vector<qint32>>(2));

        feed(w, {{' ', 5, 100}, {'I', 5, 0}, {' ', 5, 20}}); // reset without a stop: nothing stored; a new run
        QVERIFY(w.running && w.times.size() == 2);
        keys(w, "+E"); // Escape cancels; that run stays cancelled
        feed(w, {{' ', 5, 300}, {'S', 5, 2000}, {'S', 5, 2000}, {'I', 5, 0}});
        QVERIFY(!w.running && w.times.size() == 2);
        feed(w, {{' ', 5, 30}}); // the choice turned off during a run cancels it
        w.ui->actionStackmat_Timer->trigger();
        feed(w, {{'S', 5, 990}});
        QVERIFY(!w.running && w.times.size() == 2 && w.ui->audioWidget->isVisibleTo(&w));
        w.ui->actionStackmat_Timer->trigger();
        QVERIFY(w.ui->pauseLabel->text() == QStringLiteral("Stackmat not connected"));
        feed(w, {{'A', 5, 0}});
        QCOMPARE(w.ui->pauseLabel->text(), QStringLiteral("Stackmat connected"));
        QTRY_COMPARE_WITH_TIMEOUT(w.ui->pauseLabel->text(), QStringLiteral("Stackmat not connected"), 3000); // no packet for 1 s
    }

    // The space bar (or Start) begins the inspection, the Stackmat's start ends it: the penalty is
    // that of the moment the Stackmat started, its first packet's time before the packet came.
    void inspectionEndsWhenTheStackmatStarts()
    {
        Cadenza w;
        w.ui->actionInspection->setChecked(true);
        w.ui->actionStackmat_Timer->setChecked(true);
        const struct { qint64 inspectedMs; qint32 firstPacketMs; qint32 penalty; } rows[] = {
            {15300, 800, PenaltyNone}, {15300, 200, PenaltyPlusTwo}, {17500, 900, PenaltyPlusTwo}, {17500, 400, PenaltyDnf}};
        for (const auto &r : rows) {
            if (&r == rows) {
                keys(w, "~720 -S +E +S"); // begun by the space bar; Escape cancels it
                QVERIFY(!w.inspecting);
                keys(w, "~720 -S +A -A ~720 -S"); // begun; other keys do nothing; the Stackmat starts the solve, not the space bar
            } else {
                w.on_startButton_clicked(); // Start begins it
            }
            QVERIFY(w.inspecting && !w.running);
            w.inspectionStartMs = Cadenza::monotonicMs() - r.inspectedMs;
            feed(w, {{'A', 6, 0}, {' ', 6, r.firstPacketMs}});
            QVERIFY(w.running && !w.inspecting);
            feed(w, {{'S', 6, 4321}, {'I', 6, 0}});
            QVERIFY(!w.running && w.times.back() == 4321.0f);
            QVERIFY2(w.penalties.back() == r.penalty, qPrintable(QString::number(w.penalties.back())));
        }
    }
};

CADENZA_TEST_MAIN(StackmatTest)
#include "test_stackmat.moc"
