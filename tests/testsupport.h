#ifndef CADENZA_TESTSUPPORT_H
#define CADENZA_TESTSUPPORT_H

#include <QApplication>
#include <QByteArray>
#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <cmath>
#include <functional>
#include <numeric>

// Tests that construct the main window read and write the session file in the
// data folder and the settings store. They refuse to run outside run-isolated.sh (which
// CTest always uses), so running a test binary by hand can never touch the
// user's real data.
inline void requireIsolation()
{
    if (qgetenv("CADENZA_ISOLATED") != "1")
        qFatal("run this test through tests/run-isolated.sh (ctest does): it needs a private data folder and /tmp");
    // The runner's private data folder lies in its private /tmp; anything else
    // would be the user's real one.
    if (!QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).startsWith(QLatin1String("/tmp/")))
        qFatal("the data folder is not the isolated runner's private one");
}

// Qt Test counts a skipped function as passed and exits with 0. A test that
// could not run here must show as Skipped in CTest instead: SKIP_TEST records
// the skip, and CADENZA_TEST_MAIN then exits with the code that CTest's
// SKIP_RETURN_CODE (set on every test) reads as Skipped, unless something
// failed. CADENZA_TEST_MAIN is the main of every test that constructs the
// window: it first makes sure the test runs isolated.
namespace testsupport {
constexpr int SkipReturnCode = 77;
inline bool &skipped()
{
    static bool flag = false;
    return flag;
}
} // namespace testsupport

#define SKIP_TEST(message)                                                                                             \
    do {                                                                                                               \
        testsupport::skipped() = true;                                                                                 \
        QSKIP(message);                                                                                                \
    } while (0)

#define CADENZA_TEST_MAIN(TestObject)                                                                                  \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        requireIsolation();                                                                                            \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        const int failed = QTest::qExec(&tc, argc, argv);                                                              \
        return failed == 0 && testsupport::skipped() ? testsupport::SkipReturnCode : failed;                           \
    }

// A step of the timer tests' key scripts: +K / -K press / release key K (S space, E Escape, > Right
// arrow, else the letter) sent to target, @stamp its time stamp, * a marked repeat; M clicks start; ~N
// waits N ms. Returns "" once played, "stalled" if the machine stretched the wait far (too far to judge
// the 700 ms rule by), or the token itself if it is none of these steps (the caller's to check).
inline QString playKeyStep(QWidget *target, QWidget *start, const QString &t)
{
    if (t[0] == '+' || t[0] == '-') {
        const int k = t[1] == 'S' ? Qt::Key_Space : t[1] == 'E' ? Qt::Key_Escape : t[1] == '>' ? Qt::Key_Right : t[1].unicode();
        const int at = t.indexOf('@');
        QKeyEvent e(t[0] == '+' ? QEvent::KeyPress : QEvent::KeyRelease, k, Qt::NoModifier, QString(), t.endsWith('*'));
        e.setTimestamp(at < 0 ? 0 : t.mid(at + 1).remove('*').toULong());
        QApplication::sendEvent(target, &e);
    } else if (t[0] == 'M') {
        QTest::mouseClick(start, Qt::LeftButton);
    } else if (t[0] == '~') {
        QElapsedTimer waited;
        waited.start();
        QTest::qWait(t.mid(1).toInt());
        return waited.elapsed() > t.mid(1).toInt() + 250 ? QStringLiteral("stalled") : QString();
    } else {
        return t;
    }
    return QString();
}

// A w x h picture on white, drawn by paint(QPainter &); whether any pixel of area in it has colour rgb.
template <class Paint> QImage drawnOnWhite(int w, int h, Paint paint)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    paint(p);
    return img;
}
inline bool anyPixel(const QImage &img, QRect area, QRgb rgb)
{
    for (int i = 0; i < area.width() * area.height(); ++i)
        if (img.pixel(area.x() + i % area.width(), area.y() + i / area.width()) == rgb)
            return true;
    return false;
}

// A file's bytes (none when it cannot be read); a file written whole with the given bytes.
inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
inline bool writeRaw(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// Whether Pearson's statistic of counts against expected shares (equal ones when none are given) stays
// at or below the value it exceeds with probability 0.001 (Wilson-Hilferty).
inline bool chiSquarePasses(const std::vector<long> &counts, std::vector<double> shares = {})
{
    if (shares.empty())
        shares.assign(counts.size(), 1.0 / double(counts.size()));
    const double n = double(std::accumulate(counts.begin(), counts.end(), 0L)), k = double(counts.size() - 1);
    double x = 0;
    for (std::size_t i = 0; i < counts.size(); ++i)
        x += (double(counts[i]) - n * shares[i]) * (double(counts[i]) - n * shares[i]) / (n * shares[i]);
    return x <= k * std::pow(1 - 2 / (9 * k) + 3.0902 * std::sqrt(2 / (9 * k)), 3);
}

// Runs act(), answering each modal dialog it opens with the next of answers: a file dialog gets it typed as
// the file's name (selectFile leaves a focused name field alone), an input dialog as its text or, with a
// list, as the number of the item to choose; a message box clicks the button of that text. A null answer
// (or none left) accepts the dialog as it is, an empty one cancels it. Returns what each dialog showed: its
// title, then after '|' a file dialog's filters, an input dialog's label, value and items, or a box's text.
inline QStringList answering(const std::function<void()> &act, const QStringList &answers = {})
{
    QStringList shown;
    QPointer<QWidget> last;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto *d = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!d || d == last)
            return;
        last = d;
        const QString a = answers.value(shown.size());
        auto *file = qobject_cast<QFileDialog *>(d);
        auto *input = qobject_cast<QInputDialog *>(d);
        auto *box = qobject_cast<QMessageBox *>(d);
        shown << d->windowTitle() + '|' + (file ? file->nameFilters().join(';') : box ? box->text()
                 : input ? (QStringList{input->labelText(), input->textValue()} + input->comboBoxItems()).join('|') : QString());
        if (file && !a.isEmpty())
            file->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(a);
        else if (input && !a.isEmpty())
            input->setTextValue(input->comboBoxItems().isEmpty() ? a : input->comboBoxItems().value(a.toInt()));
        for (QAbstractButton *b : box && !a.isEmpty() ? box->buttons() : QList<QAbstractButton *>())
            if (b->text() == a)
                return b->click();
        a.isEmpty() && !a.isNull() ? d->reject() : d->accept();
    });
    timer.start(10);
    act();
    return shown;
}

// The shared sample data: CADENZA_SHARED_DATA in the environment, else the
// folder beside the checkout.
#ifdef CADENZA_SHARED_DATA
inline QString sharedDataPath()
{
    return qEnvironmentVariable("CADENZA_SHARED_DATA", QString::fromUtf8(CADENZA_SHARED_DATA));
}
#endif

#endif
