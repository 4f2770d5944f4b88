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
        times.push_back(ms);
        dates.push_back(date);
        penalties.push_back(penalty);
    }
    QImage paint(int w = 400, int h = 160) const
    {
        QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::white);
        QPainter p(&img);
        statschart::paint(p, times, penalties, dates);
        return img;
    }
};

bool near(QRgb pixel, QColor colour, int tolerance = 8)
{
    return std::abs(qRed(pixel) - colour.red()) <= tolerance && std::abs(qGreen(pixel) - colour.green()) <= tolerance
           && std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// Pixels of a rectangle close to a colour (text is antialiased: its
// strokes come close to the pen colour only in their middle).
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
    void axis_data()
    {
        QTest::addColumn<float>("largest");
        QTest::addColumn<int>("axis");
        QTest::addColumn<int>("divisions");
        QTest::addColumn<int>("decimals");
        QTest::newRow("14.9") << 14.9f << 15 << 15 << 0;
        QTest::newRow("15.2") << 15.2f << 20 << 10 << 0;
        QTest::newRow("7.9") << 7.9f << 8 << 8 << 0;
        QTest::newRow("6.5") << 6.5f << 7 << 14 << 1;
        QTest::newRow("24") << 24.0f << 25 << 12 << 0;
        QTest::newRow("65") << 65.0f << 65 << 13 << 0;
    }
    void axis()
    {
        QFETCH(float, largest);
        QFETCH(int, axis);
        QFETCH(int, divisions);
        QFETCH(int, decimals);
        QCOMPARE(statschart::axisMaximum(largest), axis);
        int d = -1;
        QCOMPARE(statschart::divisions(axis, &d), divisions);
        QCOMPARE(d, decimals);
    }

    void periods()
    {
        // The newest solve is a month old: today and this week are its day
        // and the seven days before, not the current date.
        Session s;
        s.add(10000, at(2024, 3, 1));
        s.add(11000, at(2024, 3, 2, 0));   // 8 days before: not this week
        s.add(12000, at(2024, 3, 3, 23));  // 7 days before: this week
        s.add(10000, at(2024, 3, 9, 23), 1);
        s.add(13000, at(2024, 3, 10, 0), -1);
        s.add(14000, at(2024, 3, 11, 9));  // later than the newest: today
        s.add(15000, at(2024, 3, 10, 18));
        const auto lists = statschart::periodLists(s.times, s.penalties, s.dates);
        QCOMPARE(lists.all, std::vector<float>({10, 11, 12, 12, 0, 14, 15}));
        QCOMPARE(lists.week, std::vector<float>({12, 12, 0, 14, 15}));
        QCOMPARE(lists.today, std::vector<float>({0, 14, 15}));
    }

    void fewerThanFiveSolvesDrawNothing()
    {
        Session s;
        for (int i = 0; i < 4; ++i)
            s.add(10000 + 1000 * i, at(2024, 5, 5));
        QImage white(400, 160, QImage::Format_ARGB32_Premultiplied);
        white.fill(Qt::white);
        QCOMPARE(s.paint(), white);
        s.add(20000, at(2024, 5, 5));
        QVERIFY(s.paint() != white);
    }

    void rowsCaptionsAndAverages()
    {
        // All on one day: three identical boxes from x(12) to x(48) on an
        // axis of 50 s, x(t) = 7.8 t + 5; probe at x(20), away from the dots.
        Session s;
        for (float t : {10.0f, 12.0f, 30.0f, 48.0f, 50.0f})
            s.add(t * 1000, at(2024, 5, 5));
        const int w = 400, h = 160;
        QImage img = s.paint(w, h);
        const int bh = h / 4;
        const int tops[3] = {10, (h - 10) / 3 + 10, 2 * (h - 10) / 3 + 10};
        const QColor colours[3] = {Qt::lightGray, QColor("#60a0f0"), QColor("#f0a060")};
        for (int r = 0; r < 3; ++r)
            QVERIFY2(near(img.pixel(161, tops[r] + bh / 2 + 4), colours[r]), qPrintable(QString::number(r)));
        QVERIFY(near(img.pixel(161, tops[0] - 2), Qt::white, 0)); // above the first box

        QFont font;
        font.setFamily("Montserrat");
        font.setWeight(75);
        font.setPointSize(9);
        const int fh = QFontMetrics(font).height();
        // Captions and values of rows 2 and 3 in their colours, row 1 in black.
        for (int r = 1; r < 3; ++r) {
            QVERIFY(pixelsNear(img, QRect(5, tops[r], 60, fh), colours[r]) > 0);
            QVERIFY(pixelsNear(img, QRect(w - 30, tops[r], 30, fh), colours[r]) > 0);
        }
        QVERIFY(pixelsNear(img, QRect(5, tops[0], 60, fh), Qt::black) > 0);

        // The value text: the trimmed average, or "DNF" for an average of 0,
        // right-aligned in the last 30 pixels of the row's first line.
        auto valueArea = [&](const QImage &source, int r) { return source.copy(QRect(w - 30, tops[r], 30, fh)); };
        auto expected = [&](const QString &text, QColor colour, const QImage &source, int r) {
            QImage ref = source.copy();
            QPainter p(&ref);
            p.setRenderHint(QPainter::Antialiasing);
            p.setFont(font);
            p.setPen(QPen(colour, 1));
            p.fillRect(QRect(w - 30, tops[r], 30, fh), Qt::white);
            p.drawText(QRect(w - 30, tops[r], 30, fh), Qt::AlignRight | Qt::AlignHCenter | Qt::AlignVCenter, text);
            p.end();
            return valueArea(ref, r);
        };
        // Today holds one solve (a DNF average), the other rows five.
        Session dnf;
        for (float t : {3.2f, 3.4f, 3.6f, 3.0f})
            dnf.add(t * 1000, at(2024, 5, 4));
        dnf.add(3100, at(2024, 5, 5));
        img = dnf.paint(w, h);
        // Boxes and dots reach x(3.6) + 5 = 361 at most on an axis of 4 s;
        // the value area starts at 370 and holds only the text.
        QCOMPARE(valueArea(img, 2), expected("DNF", colours[2], img, 2));
        QCOMPARE(valueArea(img, 1), expected("3.23", colours[1], img, 1));
    }

    void dnfAndPlusTwoDots()
    {
        // +2 on 10 s counts 12 s: the axis goes to 12 s and no further.
        Session s;
        for (int i = 0; i < 4; ++i)
            s.add(5000, at(2024, 5, 5));
        s.add(10000, at(2024, 5, 5), 1);
        QCOMPARE(statschart::periodLists(s.times, s.penalties, s.dates).all.back(), 12.0f);
        s.penalties[0] = -1; // the first dot moves to x = 5
        const QImage a = s.paint();
        QCOMPARE(s.paint(), a); // same dots every paint
        const int h = 160, top = h / 4 + 13;
        // The first dot's height comes first from the generator reseeded with 0.
        const int y = int(float(ChartRandom(0).next()) / 32767.0f * float(h - top - 5) + float(top));
        QVERIFY(near(a.pixel(5, y), Qt::red, 30));
    }

    // Leaving out the dots that later dots hide changes no pixel; stamping
    // them from pre-painted images moves no pixel by more than 40 of 255 in
    // any channel (the centres are rounded to 1/16 pixel, which shifts the
    // antialiased rims), and keeps the picture's overall colour.
    void hiddenDotsChangeNothing()
    {
        std::mt19937 gen(5);
        std::normal_distribution<float> time(20000.0f, 6000.0f);
        Session s;
        for (int i = 0; i < 30000; ++i)
            s.add(std::max(3000.0f, time(gen)), at(2024, 5, 1 + i / 2000), gen() % 30 == 0 ? -1 : 0);
        for (QSize size : {QSize(1000, 80), QSize(700, 200)}) {
            QImage culled(size, QImage::Format_ARGB32_Premultiplied);
            QImage every(size, QImage::Format_ARGB32_Premultiplied);
            culled.fill(Qt::transparent);
            every.fill(Qt::transparent);
            QPainter a(&culled);
            statschart::paint(a, s.times, s.penalties, s.dates, statschart::Dots::Visible);
            a.end();
            QPainter b(&every);
            statschart::paint(b, s.times, s.penalties, s.dates, statschart::Dots::Every);
            b.end();
            QCOMPARE(culled, every);
            QImage stamped(size, QImage::Format_ARGB32_Premultiplied);
            stamped.fill(Qt::transparent);
            QPainter c(&stamped);
            statschart::paint(c, s.times, s.penalties, s.dates, statschart::Dots::Stamped);
            c.end();
            QVERIFY(stamped != every); // enough dots to be stamped
            int worst = 0;
            double sum[2] = {0, 0};
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x) {
                    const QRgb p = stamped.pixel(x, y), q = every.pixel(x, y);
                    worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                      std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
                    sum[0] += qRed(p) + qGreen(p) + qBlue(p) + qAlpha(p);
                    sum[1] += qRed(q) + qGreen(q) + qBlue(q) + qAlpha(q);
                }
            qInfo("%dx%d: largest channel difference %d, mean %.3f", size.width(), size.height(), worst,
                  (sum[0] - sum[1]) / (4.0 * size.width() * size.height()));
            QVERIFY(worst <= 40);
            QVERIFY(std::abs(sum[0] - sum[1]) / (4.0 * size.width() * size.height()) < 0.5);
        }
    }

    void allDnfDrawsNoAxisContent()
    {
        Session s;
        for (int i = 0; i < 6; ++i)
            s.add(5000, at(2024, 5, 5), -1);
        const QImage img = s.paint();
        // No dots, ticks or boxes (the axis has no length), but the rows
        // still name their period and say DNF.
        QCOMPARE(pixelsNear(img, QRect(0, 60, 400, 90), Qt::red), 0);
        QVERIFY(pixelsNear(img, QRect(370, 10, 30, 20), Qt::black) > 0);
    }
};

QTEST_MAIN(StatsChartTest)
#include "test_statschart.moc"
