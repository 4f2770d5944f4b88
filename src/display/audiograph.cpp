#include "display/audiograph.h"

#include "app/cadenza.h"
#include "audio/audiolevelsiodevice.h"
#include "ui_cadenza.h"

#include <QPainter>
#include <QPainterPath>

namespace audiograph {

float curveFraction(float level, bool boost)
{
    float v = level / 100.0f;
    if (boost)
        v = v * boostGain;
    v = v * gain;
    return v < 1.0f ? v : 1.0f;
}

int thresholdRow(float threshold, int h)
{
    const float bottom = float(h - margin);
    return int(bottom - (threshold / 100.0f * gain) * float(h - 2 * margin));
}

namespace {

QPen linePen(const QColor &colour, int width, Qt::PenStyle style)
{
    return QPen(QBrush(colour), width, style, Qt::SquareCap, Qt::BevelJoin);
}

} // namespace

void draw(QPainter &painter, const AudioGraphInput &in)
{
    const int w = in.width;
    const int h = in.height;
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);

    painter.setPen(linePen(Qt::black, 2, Qt::SolidLine));
    painter.drawLine(margin, h - margin, w - margin, h - margin);

    if (in.hasSink) {
        const std::vector<float> ring = in.recentLevels;
        const int n = int(ring.size());
        QPainterPath path;
        for (int i = 0; i < n; ++i) {
            const float f = curveFraction(ring[std::size_t(i)], in.boost);
            const float x = float(i) / float(n) * float(w - 2 * margin) + float(margin);
            const float y = float(h - margin) - float(h - 2 * margin) * f;
            if (i == 0)
                path.moveTo(double(x), double(y));
            else
                path.lineTo(double(x), double(y));
        }
        const QPen curvePen = linePen(in.disabled ? Qt::gray : Qt::blue, 1, Qt::SolidLine);
        painter.setPen(curvePen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);

        QFont font = painter.font();
        font.setPointSize(10);
        font.setWeight(75);
        font.setFamily(QStringLiteral("Montserrat"));
        painter.setFont(font);
        painter.drawText(QRect(w / 2, margin, w / 2 - margin, h - margin), Qt::AlignRight | Qt::AlignTop,
                         QStringLiteral("%1").arg(in.currentLevel, 0, 'f', 2, QLatin1Char(' ')));
    }

    const int ys = thresholdRow(in.silenceThreshold, h);
    painter.setPen(linePen(Qt::red, 1, Qt::DotLine));
    painter.drawLine(margin, ys, w - margin, ys);

    const int yv = thresholdRow(in.voiceThreshold, h);
    painter.setPen(linePen(Qt::green, 1, Qt::DotLine));
    painter.drawLine(margin, yv, w - margin, yv);

    if (in.hasSink && !in.disabled && in.currentLevel > double(in.silenceThreshold)) {
        painter.setPen(linePen(Qt::blue, 9, Qt::SolidLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(0, 0, w, h));
    }
}

} // namespace audiograph

void Cadenza::paintAudioGraph()
{
    AudioGraphInput in;
    QPainter painter(ui->audioGraph);
    in.width = painter.viewport().width();
    in.height = painter.viewport().height();
    if (audioDevice) {
        in.hasSink = true;
        in.recentLevels = audioDevice->recentLevels;
        in.currentLevel = audioDevice->currentLevel;
    }
    in.silenceThreshold = float(ui->silenceSpin->value());
    in.voiceThreshold = float(ui->voiceSpin->value());
    in.boost = ui->boostAudioCheck->isChecked();
    in.disabled = ui->disableAudioCheck->isChecked();
    audiograph::draw(painter, in);
    painter.end();
}
