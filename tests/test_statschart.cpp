#include "display/chartrandom.h"
#include "display/statschart.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <random>

namespace {

qint64 at(int year, int month, int day, int hour = 12)
{
    return QDateTime(QDate(year, month, day), QTime(hour, 0)).toSecsSinceEpoch();
}

struct Session
{
    std::vector<float> times;
    std::vector<qint32> penalties;
    std::vector<qint64> dates;
    void add(float ms, qint64 date, qint32 penalty = 0)
    {
        times.push_back(ms), penalties.push_back(penalty), dates.push_back(date);
    }
    QImage paint(int w = 400, int h = 160, statschart::Dots dots = statschart::Dots::Stamped,
                 QColor bg = Qt::white) const
    {
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        img.fill(bg);
        QPainter p(&img);
        statschart::paint(p, times, penalties, dates, dots);
        return img;
    }
};

bool near(QRgb pixel, QColor colour, int tolerance = 8)
{
    return std::abs(qRed(pixel) - colour.red()) <= tolerance && std::abs(qGreen(pixel) - colour.green()) <= tolerance
           && std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// Pixels of a rectangle close to a colour (antialiased text comes close to its pen only mid-stroke).
int pixelsNear(const QImage &img, QRect r, QColor colour)
{
    int count = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            count += near(img.pixel(x, y), colour, 40);
    return count;
}

} // namespace

class StatsChartTest : public QObject
{
    Q_OBJECT
private slots:
    void axis()
    {
        const struct { float largest; int axis, divisions, decimals; } rows[] = {
            {14.9f, 15, 15, 0}, {15.2f, 20, 10, 0}, {7.9f, 8, 8, 0},
            {6.5f, 7, 14, 1},   {24.0f, 25, 12, 0}, {65.0f, 65, 13, 0},
        };
        for (const auto &r : rows) {
            QCOMPARE(statschart::axisMaximum(r.largest), r.axis);
            int decimals = -1;
            QCOMPARE(statschart::divisions(r.axis, &decimals), r.divisions);
            QCOMPARE(decimals, r.decimals);
        }
    }

    void periods()
    {
        // The newest solve is a month old: today and this week are its day and the seven days before.
        Session s;
        s.add(10000, at(2024, 3, 1));
        s.add(11000, at(2024, 3, 2, 0));  // 8 days before: not this week
        s.add(12000, at(2024, 3, 3, 23)); // 7 days before: this week
        s.add(10000, at(2024, 3, 9, 23), 1);
        s.add(13000, at(2024, 3, 10, 0), -1);
        s.add(14000, at(2024, 3, 11, 9)); // later than the newest: today
        s.add(15000, at(2024, 3, 10, 18));
        const auto lists = statschart::periodLists(s.times, s.penalties, s.dates);
        QCOMPARE(lists.all, std::vector<float>({10, 11, 12, 12, 0, 14, 15}));
        QCOMPARE(lists.week, std::vector<float>({12, 12, 0, 14, 15}));
        QCOMPARE(lists.today, std::vector<float>({0, 14, 15}));
    }

    void rowsCaptionsAndAverages()
    {
        Session s;
        for (float t : {10.0f, 12.0f, 30.0f, 48.0f})
            s.add(t * 1000, at(2024, 5, 5));
        QImage white(400, 160, QImage::Format_ARGB32_Premultiplied);
        white.fill(Qt::white);
        QCOMPARE(s.paint(), white); // fewer than five solves draw nothing
        s.add(50000, at(2024, 5, 5));
        // All on one day: three boxes x(12)..x(48) on an axis of 50 s, x(t) = 7.8 t + 5; probe x(20).
        const int w = 400, h = 160, bh = h / 4;
        QImage img = s.paint(w, h);
        const int tops[3] = {10, (h - 10) / 3 + 10, 2 * (h - 10) / 3 + 10};
        const QColor colours[3] = {Qt::lightGray, QColor("#60a0f0"), QColor("#f0a060")};
        for (int r = 0; r < 3; ++r)
            QVERIFY2(near(img.pixel(161, tops[r] + bh / 2 + 4), colours[r]), qPrintable(QString::number(r)));
        QVERIFY(near(img.pixel(161, tops[0] - 2), Qt::white, 0)); // above the first box

        QFont font("Montserrat", 9, 75);
        const int fh = QFontMetrics(font).height();
        for (int r = 0; r < 3; ++r) // captions: the first in black, the others in their row's colour
            QVERIFY(pixelsNear(img, QRect(5, tops[r], 60, fh), r ? colours[r] : QColor(Qt::black)) > 0);

        // The value: the trimmed average, or "DNF" for an average of 0, right-aligned in the last 30
        // pixels of the row's first line; compared with the text drawn there on its own.
        Session dnf; // today holds one solve (a DNF average), the other rows five
        for (float t : {3.2f, 3.4f, 3.6f, 3.0f})
            dnf.add(t * 1000, at(2024, 5, 4));
        dnf.add(3100, at(2024, 5, 5));
        img = dnf.paint(w, h); // boxes and dots end at x(3.6) + 5 = 361 on an axis of 4 s
        const struct { int row; const char *text; } values[] = {{2, "DNF"}, {1, "3.23"}};
        for (const auto &v : values) {
            const QRect area(w - 30, tops[v.row], 30, fh);
            QImage ref = img.copy();
            QPainter p(&ref);
            p.setRenderHint(QPainter::Antialiasing);
            p.setFont(font);
            p.setPen(QPen(colours[v.row], 1));
            p.fillRect(area, Qt::white);
            p.drawText(area, Qt::AlignRight | Qt::AlignHCenter | Qt::AlignVCenter, v.text);
            p.end();
            QCOMPARE(img.copy(area), ref.copy(area));
        }

        // An average wider than those 30 pixels is shown whole, not cut to its last digits.
        Session wide; // one day; the trimmed average of 12..15.2 s is (13 + 14 + 15) / 3
        for (float t : {12.0f, 13.0f, 14.0f, 15.0f, 15.2f})
            wide.add(t * 1000, at(2024, 5, 5));
        img = wide.paint(w, h); // axis of 20 s: boxes and dots end at x(15.2) + 5 = 304
        const int tw = QFontMetrics(font).horizontalAdvance("14.00") + 1;
        QVERIFY(tw > 30);
        const QRect area(w - tw, tops[0], tw, fh);
        QImage ref = img.copy();
        QPainter p(&ref);
        p.setRenderHint(QPainter::Antialiasing);
        p.setFont(font);
        p.setPen(Qt::black);
        p.fillRect(area, Qt::white);
        p.drawText(area, Qt::AlignRight | Qt::AlignHCenter | Qt::AlignVCenter, "14.00");
        p.end();
        QCOMPARE(img.copy(area), ref.copy(area));
        QVERIFY(pixelsNear(img, QRect(w - tw, tops[0], tw - 30, fh), Qt::black) > 0);
    }

    void dotsAndDnf()
    {
        // +2 on 10 s counts 12 s.
        Session s;
        for (int i = 0; i < 4; ++i)
            s.add(5000, at(2024, 5, 5));
        s.add(10000, at(2024, 5, 5), 1);
        QCOMPARE(statschart::periodLists(s.times, s.penalties, s.dates).all.back(), 12.0f);
        s.penalties[0] = -1; // the first dot moves to x = 5
        const QImage a = s.paint();
        QCOMPARE(s.paint(), a); // same dots every paint
        // Its height is the first number of the generator reseeded with 0.
        const int h = 160, top = h / 4 + 13;
        QVERIFY(near(a.pixel(5, int(float(ChartRandom(0).next()) / 32767.0f * float(h - top - 5) + float(top))),
                     Qt::red, 30));

        // All DNF: an axis of no length, so no dots, ticks or boxes, but the rows still say DNF.
        for (qint32 &p : s.penalties)
            p = -1;
        const QImage none = s.paint();
        QCOMPARE(pixelsNear(none, QRect(0, 60, 400, 90), Qt::red), 0);
        QVERIFY(pixelsNear(none, QRect(370, 10, 30, 20), Qt::black) > 0);
    }

    // Leaving out dots that later dots hide changes no pixel; stamping them from pre-painted images
    // (centres rounded to 1/16 pixel) moves no channel by more than 40 and keeps the overall colour.
    void hiddenDotsChangeNothing()
    {
        std::mt19937 gen(5);
        std::normal_distribution<float> time(20000.0f, 6000.0f);
        Session s;
        for (int i = 0; i < 30000; ++i)
            s.add(std::max(3000.0f, time(gen)), at(2024, 5, 1 + i / 2000), gen() % 30 == 0 ? -1 : 0);
        for (QSize size : {QSize(1000, 80), QSize(700, 200)}) {
            auto paint = [&](statschart::Dots d) { return s.paint(size.width(), size.height(), d, Qt::transparent); };
            const QImage every = paint(statschart::Dots::Every), stamped = paint(statschart::Dots::Stamped);
            QCOMPARE(paint(statschart::Dots::Visible), every);
            QVERIFY(stamped != every); // enough dots to be stamped
            int worst = 0;
            double drift = 0;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) {
                    const QRgb p = stamped.pixel(x, y), q = every.pixel(x, y);
                    for (int c : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q),
                                  qAlpha(p) - qAlpha(q)}) {
                        worst = std::max(worst, std::abs(c));
                        drift += c;
                    }
                }
            drift /= 4.0 * size.width() * size.height();
            qInfo("%dx%d: largest channel difference %d, mean %.3f", size.width(), size.height(), worst, drift);
            QVERIFY(worst <= 40);
            QVERIFY(std::abs(drift) < 0.5);
        }
    }
};

QTEST_MAIN(StatsChartTest)
#include "test_statschart.moc"
