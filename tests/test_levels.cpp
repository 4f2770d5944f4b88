#include "audio/audiolevelsiodevice.h"
#include "audio/levels.h"

#include <QAudioFormat>
#include <QtEndian>
#include <QtTest>
#include <cstring>

// The level sink: one level per captured block, from one frame in eight.
class LevelsTest : public QObject
{
    Q_OBJECT

    static QByteArray filled(int len, quint8 value) { return QByteArray(len, char(value)); }

    // Feeds one block to a fresh, opened sink and returns its level.
    static double levelOf(const QByteArray &block, const levels::SampleFormat &format = {})
    {
        AudioLevelsIODevice sink(nullptr);
        sink.format = format;
        sink.open(QIODevice::WriteOnly);
        const qint64 written = sink.write(block);
        if (written != block.size())
            return -1.0;
        return sink.currentLevel;
    }

private slots:
    void freshSinkIsZeroed()
    {
        AudioLevelsIODevice sink(nullptr);
        QCOMPARE(sink.currentLevel, 0.0);
        QCOMPARE(sink.recentLevels.size(), std::size_t(100));
        for (float v : sink.recentLevels)
            QCOMPARE(v, 0.0f);
        QCOMPARE(sink.recentIndex, 0);
    }

    void byteValuesOnTheLevelScale_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<double>("level");
        QTest::newRow("midpoint") << 128 << 0.01;
        QTest::newRow("one below") << 127 << 0.77125;
        QTest::newRow("one above") << 129 << 0.79125;
        QTest::newRow("zero") << 0 << 99.99;
        QTest::newRow("top") << 255 << 99.22875;
    }
    void byteValuesOnTheLevelScale()
    {
        QFETCH(int, byte);
        QFETCH(double, level);
        const double got = levelOf(filled(80, quint8(byte)));
        QVERIFY2(qAbs(got - level) < 5e-6, qPrintable(QString::number(got, 'f', 7)));
        // The unsigned 8-bit path is bit-exact single precision.
        QCOMPARE(got, double(levels::u8Level(quint8(byte))));
    }

    void blockSizes()
    {
        // 8 to 15 bytes: one value, from byte 0 only.
        for (int len = 8; len <= 15; ++len) {
            QByteArray b = filled(len, 0);
            b[0] = char(129);
            QCOMPARE(levelOf(b), double(levels::u8Level(129)));
        }
        // 16 bytes: bytes 0 and 8; the upper of the two is taken.
        QByteArray b = filled(16, 128);
        b[0] = char(130);
        b[8] = char(140);
        QCOMPARE(levelOf(b), double(levels::u8Level(140)));
        // Bytes between the sampled ones are never looked at.
        QByteArray c = filled(24, 0);
        c[0] = c[8] = c[16] = char(128);
        QCOMPARE(levelOf(c), double(0.01f));
    }

    void shortBlockKeepsThePreviousLevel()
    {
        AudioLevelsIODevice sink(nullptr);
        sink.open(QIODevice::WriteOnly);
        sink.write(filled(8, 138));
        const double before = sink.currentLevel;
        const qint32 indexBefore = sink.recentIndex;
        for (int len = 1; len <= 7; ++len)
            QCOMPARE(sink.write(filled(len, 0)), qint64(len)); // consumed all the same
        QCOMPARE(sink.currentLevel, before);
        QCOMPARE(sink.recentIndex, indexBefore);
    }

    void evenCountTakesTheUpperMiddle()
    {
        // Sampled values in scrambled order whose levels sort to four steps.
        QByteArray b = filled(32, 128);
        b[0] = char(133);
        b[8] = char(131);
        b[16] = char(130);
        b[24] = char(132);
        QCOMPARE(levelOf(b), double(levels::u8Level(132)));
        // Odd count: the middle one.
        QByteArray c = filled(24, 128);
        c[0] = char(200);
        c[8] = char(129);
        c[16] = char(150);
        QCOMPARE(levelOf(c), double(levels::u8Level(150)));
    }

    void ringTurns()
    {
        AudioLevelsIODevice sink(nullptr);
        sink.open(QIODevice::WriteOnly);
        for (int i = 0; i < 100; ++i)
            sink.write(filled(8, quint8(128 + i % 100)));
        for (int i = 0; i < 100; ++i)
            QCOMPARE(sink.recentLevels[std::size_t(i)], levels::u8Level(quint8(128 + i)));
        QCOMPARE(sink.recentIndex, 0);
        sink.write(filled(8, 0));
        QCOMPARE(sink.recentLevels[0], levels::u8Level(0));
        QCOMPARE(sink.recentLevels[1], levels::u8Level(129));
        sink.write(filled(8, 255));
        QCOMPARE(sink.recentLevels[1], levels::u8Level(255));
        QCOMPARE(sink.recentIndex, 2);
        QCOMPARE(sink.currentLevel, double(levels::u8Level(255)));
    }

    void signed16BitIsDecodedNotMisreadAsBytes()
    {
        levels::SampleFormat s16;
        s16.sampleBytes = 2;
        s16.type = levels::SampleFormat::Signed;
        // Silence: zeros read byte-wise would be 99.99.
        QCOMPARE(levelOf(filled(160, 0), s16), double(0.01f));
        // -256 is one step below the midpoint on the 8-bit scale, +256 one above.
        QByteArray b(160, 0);
        for (int i = 0; i < 80; ++i)
            qToLittleEndian<qint16>(-256, b.data() + 2 * i);
        QVERIFY(qAbs(levelOf(b, s16) - 0.77125) < 5e-6);
        for (int i = 0; i < 80; ++i)
            qToLittleEndian<qint16>(256, b.data() + 2 * i);
        QVERIFY(qAbs(levelOf(b, s16) - 0.79125) < 5e-6);
        // Full scale.
        for (int i = 0; i < 80; ++i)
            qToLittleEndian<qint16>(-32768, b.data() + 2 * i);
        QVERIFY(qAbs(levelOf(b, s16) - 99.99) < 1e-4);
        // Only every 8th frame counts: loud frames in between change nothing.
        QByteArray c(32, 0);
        for (int i = 1; i < 16; ++i)
            if (i != 8)
                qToLittleEndian<qint16>(20000, c.data() + 2 * i);
        QCOMPARE(levelOf(c, s16), double(0.01f));
        // 15 frames hold no whole group of 8 beyond the first: one value.
        QByteArray d(30, 0);
        qToLittleEndian<qint16>(12800, d.data());
        QVERIFY(qAbs(levelOf(d, s16) - (50.0 / 1.28 + 0.01)) < 1e-4);
    }

    void otherLayouts()
    {
        // Stereo: the first channel only.
        levels::SampleFormat stereo;
        stereo.sampleBytes = 2;
        stereo.channels = 2;
        stereo.type = levels::SampleFormat::Signed;
        QByteArray b(64, 0);
        for (int i = 0; i < 16; ++i)
            qToLittleEndian<qint16>(30000, b.data() + 4 * i + 2);
        QCOMPARE(levelOf(b, stereo), double(0.01f));

        // Big-endian signed 16-bit.
        levels::SampleFormat be = stereo;
        be.channels = 1;
        be.bigEndian = true;
        QByteArray c(16, 0);
        qToBigEndian<qint16>(-256, c.data());
        QVERIFY(qAbs(levelOf(c, be) - 0.77125) < 5e-6);

        // Unsigned 16-bit: the midpoint is 32768.
        levels::SampleFormat u16;
        u16.sampleBytes = 2;
        QByteArray d(16, 0);
        qToLittleEndian<quint16>(32768, d.data());
        QCOMPARE(levelOf(d, u16), double(0.01f));

        // 32-bit float: half scale is 64 steps from the midpoint.
        levels::SampleFormat f32;
        f32.sampleBytes = 4;
        f32.type = levels::SampleFormat::Float;
        QByteArray e(32, 0);
        const float half = 0.5f;
        std::memcpy(e.data(), &half, 4);
        QVERIFY(qAbs(levelOf(e, f32) - (64.0 / 1.28 + 0.01)) < 1e-4);

        // Unsigned 8-bit stereo: every 8th frame is every 16th byte.
        levels::SampleFormat u8s;
        u8s.channels = 2;
        QByteArray g = filled(32, 0);
        g[0] = g[16] = char(128);
        QCOMPARE(levelOf(g, u8s), double(0.01f));
    }

    void formatAskedOfTheDevice()
    {
        // The first entries, whatever follows them.
        const QAudioFormat built = levels::firstEntriesFormat({8000, 11025, 44100}, {1, 2}, {8, 16},
                                                              {QStringLiteral("audio/pcm")});
        QCOMPARE(built.sampleRate(), 8000);
        QCOMPARE(built.channelCount(), 1);
        QCOMPARE(built.sampleSize(), 8);
        QCOMPARE(built.sampleType(), QAudioFormat::UnSignedInt);
        QCOMPARE(built.byteOrder(), QAudioFormat::LittleEndian);
        QCOMPARE(levels::captureFormat(built, true, QAudioFormat()), built);

        // A device whose first size is 16 rejects 16-bit unsigned: its
        // nearest format is taken rather than a silent capture.
        const QAudioFormat u16 = levels::firstEntriesFormat({44100}, {2}, {16}, {QStringLiteral("audio/pcm")});
        QAudioFormat nearest = u16;
        nearest.setSampleType(QAudioFormat::SignedInt);
        QCOMPARE(levels::captureFormat(u16, false, nearest), nearest);
        // A nearest format the sink cannot read (or none) leaves the built one.
        QAudioFormat halfFloat = nearest;
        halfFloat.setSampleType(QAudioFormat::Float);
        QCOMPARE(levels::captureFormat(u16, false, halfFloat), u16);
        QCOMPARE(levels::captureFormat(u16, false, QAudioFormat()), u16);
        QAudioFormat compressed = nearest;
        compressed.setCodec(QStringLiteral("audio/mpeg"));
        QCOMPARE(levels::captureFormat(u16, false, compressed), u16);
    }

    void formatFromQt()
    {
        QAudioFormat f;
        f.setSampleRate(8000);
        f.setChannelCount(1);
        f.setSampleSize(8);
        f.setSampleType(QAudioFormat::UnSignedInt);
        QVERIFY(levels::sampleFormatOf(f).isRawU8());
        f.setSampleSize(16);
        f.setSampleType(QAudioFormat::SignedInt);
        f.setByteOrder(QAudioFormat::BigEndian);
        const levels::SampleFormat s = levels::sampleFormatOf(f);
        QCOMPARE(s.sampleBytes, 2);
        QCOMPARE(int(s.type), int(levels::SampleFormat::Signed));
        QVERIFY(s.bigEndian);
        QVERIFY(!s.isRawU8());
        f.setSampleType(QAudioFormat::Float);
        QVERIFY(!levels::sampleFormatOf(f).isDecodable()); // 16-bit float is not read
    }
};

QTEST_GUILESS_MAIN(LevelsTest)
#include "test_levels.moc"
