// The statistics chart's paint at 100,000 solves, into an image the size of
// the chart in a wide window (the clipboard picture is painted the same way).
// Pure painting: no window, nothing written.
//
//     QT_QPA_PLATFORM=offscreen build/bench/bench_statschart
#include "benchutil.h"
#include "display/statschart.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <random>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int solves = 100000;
    std::mt19937 gen(3);
    std::normal_distribution<float> time(14000.0f, 2500.0f);
    std::vector<float> times;
    std::vector<qint32> penalties;
    std::vector<qint64> dates;
    // A session spread over two years, a few hundred solves a day.
    qint64 date = QDateTime(QDate(2024, 1, 1), QTime(9, 0)).toSecsSinceEpoch();
    for (int i = 0; i < solves; ++i) {
        times.push_back(std::max(4000.0f, time(gen)));
        penalties.push_back(gen() % 50 == 0 ? -1 : (gen() % 40 == 0 ? 1 : 0));
        date += 60 + qint64(gen() % 400);
        dates.push_back(date);
    }
    for (QSize size : {QSize(1000, 80), QSize(1000, 200)}) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        const bench::Samples s = bench::measure(25, [&] {
            image.fill(Qt::transparent);
            QPainter painter(&image);
            statschart::paint(painter, times, penalties, dates);
        });
        std::printf("%d solves, %dx%d px: wall median %.2f ms, min %.2f ms, max %.2f ms; cpu median %.2f ms\n",
                    solves, size.width(), size.height(), bench::percentile(s.wallMs, 0.5),
                    bench::percentile(s.wallMs, 0.0), bench::percentile(s.wallMs, 1.0),
                    bench::percentile(s.cpuMs, 0.5));
    }
    return 0;
}
