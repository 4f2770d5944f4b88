#include "app/cadenza.h"
#include "app/timesfile.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

// The times file both ways, what its reader forgives, and the window's load, save, autosave and dialogs.

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeRaw(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// Exact equality: float == tells every value apart except 0 and -0, which no case here uses.
bool same(const SessionData &a, const SessionData &b)
{
    return a.times == b.times && a.pauseStats == b.pauseStats && a.splits == b.splits && a.scrambles == b.scrambles
           && a.dates == b.dates && a.penalties == b.penalties;
}

QByteArray noise(int size, quint32 seed) // size: a multiple of 4
{
    QByteArray bytes(size, '\0');
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

SessionData of(const Cadenza &w) { return {w.times, w.dates, w.pauseStats, w.splits, w.scrambles, w.penalties}; }

SessionData sample()
{
    SessionData s;
    s.append(12345, {0.25f, 3}, {2000, 5300, 3200, 1845}, QStringLiteral("R U2 F'"), 1700000000, 1);
    s.append(1234567, {1.0f / 3.0f, 0}, {}, QStringLiteral("L2 D' B"), -5, 0);
    s.append(16777217.0f, {0.0f, 12}, {-4, 0}, QStringLiteral("R U \u2013 \u00fc"), 0, -1);
    s.append(12345.678f, {0.999999f, 2147483647}, {2147483647}, QString(), 4102444800LL, 5);
    s.append(0.1f, {1e-7f, -1}, {1}, QStringLiteral("F"), 1, 0);
    return s;
}

} // namespace

class TimesFileTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }
    void init()
    {
        QFile::remove(QString::fromLatin1(Cadenza::autosavePath));
        QFile::remove(QSettings(QStringLiteral("Merlo"), QStringLiteral("Cadenza")).fileName());
    }

    void writesTheLineGrammarAndReadsItBackExactly()
    {
        SessionData s;
        s.append(12345, {0.25f, 3}, {2000, 5300, 3200, 1845}, QStringLiteral("R U2 F'"), 1700000000, 1);
        s.append(1000000, {0, 0}, {}, QStringLiteral("R"), -7, -1);
        QCOMPARE(formatTimesFile(s.view()),
                 QByteArray("12345|0.25|3|2000|5300|3200|1845[]R U2 F'|1700000000|1\n1e+06|0|0[]R|-7|-1\n"));
        QCOMPARE(formatTimesFile(SessionData().view()), QByteArray());

        QVERIFY(same(parseTimesFile(formatTimesFile(sample().view()), 99), sample()));
        SessionData many; // floats of a wide spread read back bit for bit
        QRandomGenerator rng(7);
        for (int i = 0; i < 5000; ++i)
            many.append(float(rng.generateDouble() * std::pow(10.0, rng.bounded(9))), {float(rng.generateDouble()), i},
                        {}, QStringLiteral("R"), i, 0);
        QVERIFY(same(parseTimesFile(formatTimesFile(many.view()), 0), many));

        // A scramble never breaks or shifts the fields of its line.
        SessionData odd;
        odd.append(1, {0, 0}, {}, QStringLiteral("R\nU\r\nF|B[]D"), 50, 1);
        odd.append(2, {0, 0}, {}, QStringLiteral("L"), 60, 0);
        const QByteArray text = formatTimesFile(odd.view());
        QCOMPARE(text.count('\n'), 2);
        QVERIFY(!text.contains('\r'));
        odd.scrambles[0] = QStringLiteral("R U  F\u00a6B[ ]D");
        QVERIFY(same(parseTimesFile(text, 0), odd));
    }

    void readsLegacyLinesAndInheritsDateAndPenalty()
    {
        SessionData expected;
        expected.append(12345, {0.25f, 3}, {}, QString(), 42, 0); // the file's date until a line has one
        expected.append(12345, {0.25f, 3}, {2000, 5300}, QString(), 42, 0);
        expected.append(1, {2, 3}, {}, QStringLiteral("R"), 500, 1);
        expected.append(12345, {0.25f, 3}, {}, QStringLiteral("R U"), 500, 1); // inherits both
        expected.append(5, {0.5f, 1}, {}, QStringLiteral("D"), 0, -1); // skipped line's penalty, junk date
        expected.append(0, {0, 4}, {0}, QStringLiteral("B"), 12, 0); // junk numbers; tail after the last "[]"
        QVERIFY(same(parseTimesFile("12345|0.25|3\n"
                                    "12345|0.25|3|2000|5300\n"
                                    "1|2|3[]R|500|1\n"
                                    "12345|0.25|3[]R U\n"
                                    "12345|0.25\n"
                                    "9|9[]x|777|-1\n"
                                    "\n"
                                    "5|0.5|1[]D|junk\n"
                                    "abc|x|+4|y[][]B|12|oops|extra",
                                    42),
                     expected));
    }

    void forgivesGarbage()
    {
        const SessionData crlf = parseTimesFile("1|0.5|2[]R|10|1\r\n2|0|0[]U\r\n", 0);
        QVERIFY(crlf.size() == 2 && same(crlf, parseTimesFile("1|0.5|2[]R|10|1\n2|0|0[]U\n", 0)));
        QCOMPARE(parseTimesFile(QByteArray(), 0).size(), 0);
        QCOMPARE(parseTimesFile("\n\n\n", 0).size(), 0);
        QCOMPARE(parseTimesFile("1e40|nan|99999999999|inf[]x|99999999999999999999|7", 0).times[0], 0.0f);

        const SessionData binary = parseTimesFile(noise(1 << 20, 1), 0);
        QCOMPARE(binary.scrambles.size(), binary.size());
        QVERIFY(parseTimesFile(QByteArray(1 << 20, '|'), 0).splits.at(0).size() > 1000);

        const SessionData big = parseTimesFile("1|2|3[]" + QByteArray(10 * 1024 * 1024, 'R') + "|5|1\n", 0);
        QCOMPARE(big.size(), 1);
        QCOMPARE(big.scrambles[0].size(), 10 * 1024 * 1024);
        QCOMPARE(big.penalties[0], 1);
    }

    void loadAndSave()
    {
        QTemporaryDir dir;
        Cadenza w;
        w.replaceSession(sample());
        // Missing, a folder, a pipe with no writer (must not block), a dangling
        // link, an unreadable file: the session stays as it was.
        const QString fifo = dir.filePath(QStringLiteral("pipe.times"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString dangling = dir.filePath(QStringLiteral("dangling.times"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), dangling));
        const QString locked = dir.filePath(QStringLiteral("locked.times"));
        QVERIFY(writeRaw(locked, "1|0|0\n"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        const bool rootReads = ::access(QFile::encodeName(locked).constData(), R_OK) == 0;
        for (const QString &bad : {dir.filePath(QStringLiteral("missing.times")), dir.path(), fifo, dangling,
                                   rootReads ? dir.path() : locked}) { // root reads any file
            w.loadTimes(bad);
            QVERIFY2(same(of(w), sample()), qPrintable(bad));
        }
        QVERIFY(!QFile::exists(QString::fromLatin1(Cadenza::autosavePath)));

        // A load replaces the session and becomes the autosave.
        const QString good = dir.filePath(QStringLiteral("good.times"));
        QVERIFY(writeRaw(good, "1|0|0[]R|10|0\n2|0|0[]U|20|0\n"));
        w.loadTimes(good);
        QCOMPARE(w.scrambles, (QStringList{QStringLiteral("R"), QStringLiteral("U")}));
        QCOMPARE(readAll(QString::fromLatin1(Cadenza::autosavePath)), readAll(good));
        // A file of garbage loads as whatever lines it has, without a crash.
        const QString junk = dir.filePath(QStringLiteral("junk.times"));
        QVERIFY(writeRaw(junk, noise(200000, 3)));
        w.loadTimes(junk);
        QCOMPARE(w.times.size(), w.penalties.size());

        // Save follows the user's own link: the file it points to is updated.
        w.replaceSession(sample());
        const QString target = dir.filePath(QStringLiteral("target.times"));
        QVERIFY(writeRaw(target, "old\n"));
        const QString link = dir.filePath(QStringLiteral("link.times"));
        QVERIFY(QFile::link(target, link));
        w.saveTimes(link);
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(same(parseTimesFile(readAll(target), 0), sample()));
        // Unwritable place: nothing happens, nothing is left behind.
        w.saveTimes(dir.filePath(QStringLiteral("no/such/folder/x.times")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
    }

    void autosaveReplacesAPlantedLinkAndSurvivesARestart()
    {
        const QString victim = QStringLiteral("/tmp/victim.txt");
        QVERIFY(writeRaw(victim, "precious\n"));
        QVERIFY(QFile::link(victim, QString::fromLatin1(Cadenza::autosavePath)));
        {
            Cadenza w;
            QVERIFY(w.times.empty()); // "precious" is no times line
            w.replaceSession(sample());
            w.autosave();
            QCOMPARE(readAll(victim), QByteArray("precious\n"));
            QVERIFY(!QFileInfo(QString::fromLatin1(Cadenza::autosavePath)).isSymLink());
            w.times[0] = 4242; // only the save at shutdown has this
        }
        QCOMPARE(readAll(victim), QByteArray("precious\n"));
        const QStringList left = QDir(QStringLiteral("/tmp")).entryList({QStringLiteral(".cadenza.times*")},
                                                                         QDir::Files | QDir::Hidden);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(' '))); // no staging file left behind
        SessionData expected = sample();
        expected.times[0] = 4242;
        Cadenza again;
        QVERIFY(same(of(again), expected));
    }

    void dialogsUseTheWorkingDirectory()
    {
        QTemporaryDir start, chosen;
        Cadenza w; // (restores the folder stored by an earlier window)
        QVERIFY(QDir::setCurrent(start.path()));
        w.replaceSession(sample());
        const QString target = chosen.filePath(QStringLiteral("mine.times"));
        QString seen; // title;filter;folder of the last dialog
        // Answers the next file dialog once it is up by typing `file`, or cancels it.
        auto answer = [&](const QString &file) {
            auto *timer = new QTimer(&w);
            QObject::connect(timer, &QTimer::timeout, [&, timer, file] {
                auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                if (!d || !d->isVisible())
                    return;
                timer->stop();
                seen = d->windowTitle() + ';' + d->nameFilters().join(';') + ';' + d->directory().absolutePath();
                auto *edit = d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                if (edit && !file.isEmpty()) {
                    edit->setText(file);
                    d->QDialog::accept();
                }
                if (d->isVisible()) // refused or cancelled: never hang
                    d->QDialog::reject();
            });
            timer->start(20);
        };
        const QString startDir = QDir(start.path()).absolutePath(), chosenDir = QDir(chosen.path()).absolutePath();

        answer(target);
        w.on_actionSave_Times_triggered();
        QCOMPARE(seen, QStringLiteral("Save times list;Time lists (*.times);") + startDir);
        QCOMPARE(QDir::currentPath(), chosenDir);
        QVERIFY(same(parseTimesFile(readAll(target), 0), sample()));

        QVERIFY(QDir::setCurrent(startDir));
        answer(QString()); // a cancelled dialog changes nothing
        w.on_actionLoad_Times_triggered();
        QCOMPARE(seen, QStringLiteral("Load times list;Time lists (*.times);") + startDir);
        QCOMPARE(QDir::currentPath(), startDir);
        QVERIFY(same(of(w), sample()));

        QVERIFY(writeRaw(target, "7|0|0[]B|1|0\n"));
        answer(target);
        w.on_actionLoad_Times_triggered();
        QCOMPARE(w.scrambles, QStringList{QStringLiteral("B")});
        QCOMPARE(QDir::currentPath(), chosenDir);
        QDir::setCurrent(QStringLiteral("/"));
    }
};

QTEST_MAIN(TimesFileTest)
#include "test_timesfile.moc"
