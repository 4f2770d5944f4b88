#include "audio/audiolevelsiodevice.h"
#include "audio/devicechoice.h"

#include <QtTest>

class LevelsTest : public QObject
{
    Q_OBJECT
private slots:
    void sinkLevelsAndCaptureFormat()
    {
        AudioLevelsIODevice sink(nullptr);
        sink.open(QIODevice::WriteOnly);
        for (int i = 0; i < 102; ++i) // the ring wraps; the last block is too short for a level but consumed
            QCOMPARE(sink.write(QByteArray(i == 101 ? 7 : 8, char(128 + i))), qint64(i == 101 ? 7 : 8));
        QVERIFY(sink.recentIndex == 1 && sink.recentLevels[1] == levels::u8Level(129));
        QVERIFY(sink.recentLevels[0] == levels::u8Level(228) && sink.currentLevel == double(sink.recentLevels[0]));

        const levels::SampleFormat u8, s16{2, 1, levels::SampleFormat::Signed}; // s16 zeros read as u8: 99.99
        const struct { levels::SampleFormat f; int bytes, fill; QVector<int> every8th; double level; } rows[] = {
            {u8, 80, 128, {}, 0.01}, {u8, 80, 127, {}, 0.77125}, {u8, 80, 129, {}, 0.79125}, {u8, 80, 0, {}, 99.99},
            {u8, 80, 255, {}, 99.22875}, {u8, 8, 0, {129}, 0.79125}, {u8, 15, 0, {129}, 0.79125}, {s16, 160, 0, {}, 0.01},
            {u8, 16, 128, {130, 140}, 9.385}, {u8, 32, 128, {133, 131, 130, 132}, 3.135}};
        for (const auto &r : rows) {
            QByteArray block(r.bytes, char(r.fill));
            for (int i = 0; i < r.every8th.size(); ++i) block[8 * i] = char(r.every8th[i]);
            sink.format = r.f;
            QVERIFY2(sink.write(block) == r.bytes && qAbs(sink.currentLevel - r.level) < 1e-5, qPrintable(QString::number(sink.currentLevel)));
        }

        const QAudioFormat built = levels::firstEntriesFormat({8000, 44100}, {1, 2}, {8, 16}, {"audio/pcm"});
        QAudioFormat nearest = levels::firstEntriesFormat({44100}, {2}, {16}, {"audio/pcm"});
        QVERIFY(levels::sampleFormatOf(built).isRawU8() && levels::captureFormat(built, true, nearest) == built);
        QCOMPARE(levels::captureFormat(built, false, nearest), nearest); // rejected: the device's nearest
        nearest.setCodec(QStringLiteral("audio/mpeg"));
        QCOMPARE(levels::captureFormat(built, false, nearest), built); // unless the sink cannot read it

        // Fine levels: 16-bit signed at the same rate and channels, only when wanted (a calibration made
        // with them) and supported; a format of 16 bits already is kept.
        const QAudioFormat fine = levels::fineFormat(built);
        QVERIFY(fine.sampleRate() == 8000 && fine.channelCount() == 1 && fine.sampleSize() == 16 && fine.codec() == "audio/pcm");
        QVERIFY(fine.sampleType() == QAudioFormat::SignedInt && fine.byteOrder() == QAudioFormat::LittleEndian);
        QVERIFY(levels::givesFineLevels(fine) && !levels::givesFineLevels(built));
        QCOMPARE(levels::chosenFormat(built, true, true), fine);
        QCOMPARE(levels::chosenFormat(built, false, true), built);
        QCOMPARE(levels::chosenFormat(built, true, false), built);
        nearest.setCodec(QStringLiteral("audio/pcm"));
        QCOMPARE(levels::chosenFormat(nearest, true, true), nearest);
    }

    void sinkGathersWholeBlocksFromPieces() // the audio server hands out a few bytes at a time
    {
        AudioLevelsIODevice sink(nullptr);
        sink.open(QIODevice::WriteOnly);
        sink.blockBytes = 80;
        QByteArray stream(400, char(128)); // five blocks, each its own level
        for (int b = 0; b < 5; ++b)
            for (int i = 0; i < 10; ++i)
                stream[80 * b + 8 * i] = char(128 + 10 * (b + 1) + (i % 3));
        const int pieces[] = {1, 7, 30, 0, 42, 120, 200};
        int at = 0;
        for (const int n : pieces) {
            QCOMPARE(sink.write(stream.mid(at, n)), qint64(n));
            at += n;
            if (at < 80)
                QVERIFY(sink.recentIndex == 0 && sink.currentLevel == 0.0); // no level from part of a block
        }
        QCOMPARE(sink.recentIndex, 5);
        for (int b = 0; b < 5; ++b)
            QCOMPARE(sink.recentLevels[std::size_t(b)], levels::u8Level(quint8(128 + 10 * (b + 1) + 1)));
        QCOMPARE(sink.currentLevel, double(sink.recentLevels[4]));
        QCOMPARE(sink.write(stream.left(79)), qint64(79)); // a block not yet whole leaves everything as it was
        QCOMPARE(sink.recentIndex, 5);
    }

    void decodesWideSignedFloatAndBigEndianSamples() // the first channel of frame 0 of an 8-frame block, the rest junk
    {
        using F = levels::SampleFormat;
        const struct { F f; QByteArray sample; float offset; } rows[] = {
            {{2, 1, F::Signed, false}, QByteArray("\x00\x40", 2), 64},       {{2, 2, F::Signed, true}, QByteArray("\xc0\x00", 2), -64},
            {{2, 1, F::Unsigned, true}, QByteArray("\xc0\x00", 2), 64},      {{3, 1, F::Signed, false}, QByteArray("\x00\x00\x40", 3), 64},
            {{3, 2, F::Signed, true}, QByteArray("\xe0\x00\x00", 3), -32}, {{4, 1, F::Signed, false}, QByteArray("\x00\x00\x00\x40", 4), 64},
            {{4, 1, F::Signed, true}, QByteArray("\x80\x00\x00\x00", 4), -128}, {{4, 2, F::Float, false}, QByteArray("\x00\x00\x00\x3f", 4), 64},
            {{4, 1, F::Float, true}, QByteArray("\xbe\x80\x00\x00", 4), -32},  {{4, 1, F::Float, false}, QByteArray("\x00\x00\x00\x40", 4), 128}, // 2.0 held at full scale
            {{2, 1, F::Signed, false}, QByteArray("\x2c\x01", 2), 300.0f / 256.0f}}; // fine levels keep the fraction
        for (const auto &r : rows) {
            QByteArray block(8 * r.f.frameBytes(), '\x7f');
            block.replace(0, r.sample.size(), r.sample);
            std::vector<float> out;
            levels::decodeBlock(block.constData(), block.size(), r.f, out);
            QVERIFY2(out.size() == 1 && out[0] == levels::offsetLevel(r.offset) && out[0] > 0.1f, qPrintable(QString::number(double(r.offset))));
        }
    }
};

QTEST_GUILESS_MAIN(LevelsTest)
#include "test_levels.moc"
