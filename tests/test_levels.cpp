#include "audio/audiolevelsiodevice.h"
#include "audio/levels.h"

#include <QAudioFormat>
#include <QtTest>
#include <cstring>

using SF = levels::SampleFormat;
Q_DECLARE_METATYPE(SF)

namespace {

// n frames of format f with every sample at the raw value fill, except the
// first channel of the listed frames.
QByteArray frames(const SF &f, int n, quint32 fill, std::initializer_list<std::pair<int, quint32>> set = {})
{
    QByteArray b(n * f.frameBytes(), 0);
    auto put = [&](int off, quint32 v) {
        for (int i = 0; i < f.sampleBytes; ++i)
            b[off + (f.bigEndian ? f.sampleBytes - 1 - i : i)] = char(v >> (8 * i));
    };
    for (int s = 0; s < n * f.channels; ++s)
        put(s * f.sampleBytes, fill);
    for (const auto &p : set)
        put(p.first * f.frameBytes(), p.second);
    return b;
}

} // namespace

// The level sink: one level per captured block, from one frame in eight.
class LevelsTest : public QObject
{
    Q_OBJECT
private slots:
    void blockLevel_data()
    {
        QTest::addColumn<SF>("format");
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<double>("level");
        const SF u8, u8s{1, 2}, s16{2, 1, SF::Signed}, st{2, 2, SF::Signed}, be{2, 1, SF::Signed, true}, u16{2},
            f32{4, 1, SF::Float};
        QTest::newRow("u8 midpoint") << u8 << frames(u8, 80, 128) << 0.01;
        QTest::newRow("u8 one below") << u8 << frames(u8, 80, 127) << 0.77125;
        QTest::newRow("u8 one above") << u8 << frames(u8, 80, 129) << 0.79125;
        QTest::newRow("u8 zero") << u8 << frames(u8, 80, 0) << 99.99;
        QTest::newRow("u8 top") << u8 << frames(u8, 80, 255) << 99.22875;
        QTest::newRow("u8 8 bytes") << u8 << frames(u8, 8, 0, {{0, 129}}) << 0.79125;
        QTest::newRow("u8 15 bytes: byte 0 only") << u8 << frames(u8, 15, 0, {{0, 129}}) << 0.79125;
        QTest::newRow("u8 16 bytes: upper of two") << u8 << frames(u8, 16, 128, {{0, 130}, {8, 140}}) << 9.385;
        QTest::newRow("u8 unsampled bytes ignored") << u8 << frames(u8, 24, 0, {{0, 128}, {8, 128}, {16, 128}}) << 0.01;
        QTest::newRow("u8 even count: upper middle")
            << u8 << frames(u8, 32, 128, {{0, 133}, {8, 131}, {16, 130}, {24, 132}}) << 3.135;
        QTest::newRow("u8 odd count: middle") << u8 << frames(u8, 24, 128, {{0, 200}, {8, 129}, {16, 150}}) << 17.1975;
        QTest::newRow("u8 stereo: every 16th byte") << u8s << frames(u8s, 16, 0, {{0, 128}, {8, 128}}) << 0.01;
        // Zeros read byte-wise would be 99.99.
        QTest::newRow("s16 silence") << s16 << frames(s16, 80, 0) << 0.01;
        QTest::newRow("s16 -256") << s16 << frames(s16, 80, 0xFF00) << 0.77125;
        QTest::newRow("s16 +256") << s16 << frames(s16, 80, 0x0100) << 0.79125;
        QTest::newRow("s16 full scale") << s16 << frames(s16, 80, 0x8000) << 99.99;
        QTest::newRow("s16 loud unsampled frames") << s16 << frames(s16, 16, 20000, {{0, 0}, {8, 0}}) << 0.01;
        QTest::newRow("s16 15 frames: one value") << s16 << frames(s16, 15, 0, {{0, 12800}}) << 39.0725;
        QTest::newRow("s16 stereo: first channel") << st << frames(st, 16, 30000, {{0, 0}, {8, 0}}) << 0.01;
        QTest::newRow("s16 big endian") << be << frames(be, 8, 0, {{0, 0xFF00}}) << 0.77125;
        QTest::newRow("u16 midpoint") << u16 << frames(u16, 8, 32768) << 0.01;
        const float h = 0.5f;
        quint32 half;
        std::memcpy(&half, &h, 4);
        QTest::newRow("f32 half scale") << f32 << frames(f32, 8, 0, {{0, half}}) << 50.01;
    }
    void blockLevel()
    {
        QFETCH(SF, format);
        QFETCH(QByteArray, block);
        QFETCH(double, level);
        AudioLevelsIODevice sink(nullptr);
        sink.format = format;
        sink.open(QIODevice::WriteOnly);
        QCOMPARE(sink.write(block), qint64(block.size()));
        QVERIFY2(qAbs(sink.currentLevel - level) < 1e-5, qPrintable(QString::number(sink.currentLevel, 'f', 7)));
    }

    void shortBlockKeepsThePreviousLevel()
    {
        AudioLevelsIODevice sink(nullptr);
        sink.open(QIODevice::WriteOnly);
        sink.write(QByteArray(8, char(138)));
        const double before = sink.currentLevel;
        for (int len = 1; len <= 7; ++len)
            QCOMPARE(sink.write(QByteArray(len, 0)), qint64(len)); // consumed all the same
        QCOMPARE(sink.currentLevel, before);
        QCOMPARE(sink.recentIndex, 1);
    }

    void ringTurnsAndStaysBitExact()
    {
        AudioLevelsIODevice sink(nullptr);
        QCOMPARE(sink.recentLevels, std::vector<float>(100, 0.0f));
        sink.open(QIODevice::WriteOnly);
        for (int i = 0; i < 100; ++i)
            sink.write(QByteArray(8, char(128 + i)));
        QCOMPARE(sink.recentIndex, 0);
        for (int i = 0; i < 100; ++i)
            QVERIFY(sink.recentLevels[std::size_t(i)] == levels::u8Level(quint8(128 + i)));
        sink.write(QByteArray(8, char(0)));
        sink.write(QByteArray(8, char(255)));
        QCOMPARE(sink.recentIndex, 2);
        QVERIFY(sink.recentLevels[0] == levels::u8Level(0));
        QVERIFY(sink.recentLevels[1] == levels::u8Level(255));
        QVERIFY(sink.recentLevels[2] == levels::u8Level(130));
        QVERIFY(sink.currentLevel == double(levels::u8Level(255)));
    }

    void formatAskedOfTheDevice()
    {
        const QAudioFormat built = levels::firstEntriesFormat({8000, 11025, 44100}, {1, 2}, {8, 16},
                                                              {QStringLiteral("audio/pcm")});
        QVERIFY(built.sampleRate() == 8000 && built.channelCount() == 1 && built.sampleSize() == 8);
        QVERIFY(built.sampleType() == QAudioFormat::UnSignedInt && built.byteOrder() == QAudioFormat::LittleEndian);
        QVERIFY(levels::sampleFormatOf(built).isRawU8());
        QCOMPARE(levels::captureFormat(built, true, QAudioFormat()), built);

        // A rejected format falls back to the device's nearest one only when the sink can read it.
        const QAudioFormat u16 = levels::firstEntriesFormat({44100}, {2}, {16}, {QStringLiteral("audio/pcm")});
        QAudioFormat nearest = u16;
        nearest.setSampleType(QAudioFormat::SignedInt);
        nearest.setByteOrder(QAudioFormat::BigEndian);
        QCOMPARE(levels::captureFormat(u16, false, nearest), nearest);
        const SF s = levels::sampleFormatOf(nearest);
        QVERIFY(s.sampleBytes == 2 && s.channels == 2 && s.type == SF::Signed && s.bigEndian && !s.isRawU8());
        QAudioFormat halfFloat = nearest, compressed = nearest;
        halfFloat.setSampleType(QAudioFormat::Float);
        compressed.setCodec(QStringLiteral("audio/mpeg"));
        QCOMPARE(levels::captureFormat(u16, false, halfFloat), u16);
        QCOMPARE(levels::captureFormat(u16, false, compressed), u16);
        QCOMPARE(levels::captureFormat(u16, false, QAudioFormat()), u16);
    }
};

QTEST_GUILESS_MAIN(LevelsTest)
#include "test_levels.moc"
