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
#include <memory>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

// The times file: its grammar both ways, what the reader forgives, and the
// window's load, save, autosave and dialogs.

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

bool bitEqual(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void compareSessions(const SessionData &a, const SessionData &b)
{
    QCOMPARE(a.size(), b.size());
    for (int i = 0; i < a.size(); ++i) {
        QVERIFY2(bitEqual(a.times[i], b.times[i]), qPrintable(QString::number(i)));
        QVERIFY(bitEqual(a.pauseStats[i].idleFraction, b.pauseStats[i].idleFraction));
        QCOMPARE(a.pauseStats[i].pauseCount, b.pauseStats[i].pauseCount);
        QCOMPARE(a.splits[i], b.splits[i]);
        QCOMPARE(a.scrambles[i], b.scrambles[i]);
        QCOMPARE(a.dates[i], b.dates[i]);
        QCOMPARE(a.penalties[i], b.penalties[i]);
    }
}

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

    void writesTheLineGrammar()
    {
        SessionData s;
        s.append(12345, {0.25f, 3}, {2000, 5300, 3200, 1845}, QStringLiteral("R U2 F'"), 1700000000, 1);
        s.append(1000000, {0, 0}, {}, QStringLiteral("R"), -7, -1);
        QCOMPARE(formatTimesFile(s.view()),
                 QByteArray("12345|0.25|3|2000|5300|3200|1845[]R U2 F'|1700000000|1\n"
                            "1e+06|0|0[]R|-7|-1\n"));
        QCOMPARE(formatTimesFile(SessionData().view()), QByteArray());
    }

    void roundTripIsExact()
    {
        const SessionData s = sample();
        compareSessions(parseTimesFile(formatTimesFile(s.view()), 99), s);
        // Every float of a wide spread reads back bit for bit.
        SessionData many;
        QRandomGenerator rng(7);
        for (int i = 0; i < 5000; ++i) {
            const float t = float(rng.generateDouble() * std::pow(10.0, rng.bounded(9)));
            many.append(t, {float(rng.generateDouble()), i}, {}, QStringLiteral("R"), i, 0);
        }
        compareSessions(parseTimesFile(formatTimesFile(many.view()), 0), many);
    }

    void scrambleTextStaysOnItsLine()
    {
        SessionData s;
        s.append(1, {0, 0}, {}, QStringLiteral("R\nU\r\nF|B[]D"), 50, 1);
        s.append(2, {0, 0}, {}, QStringLiteral("L"), 60, 0);
        const QByteArray text = formatTimesFile(s.view());
        QCOMPARE(text.count('\n'), 2);
        QVERIFY(!text.contains('\r'));
        const SessionData back = parseTimesFile(text, 0);
        QCOMPARE(back.size(), 2);
        QCOMPARE(back.scrambles[0], QStringLiteral("R U  F\u00a6B[ ]D"));
        QCOMPARE(back.dates[0], qint64(50));
        QCOMPARE(back.penalties[0], 1);
        QCOMPARE(back.dates[1], qint64(60));
    }

    void readsLegacyLinesAndInheritsDateAndPenalty()
    {
        const SessionData s = parseTimesFile("12345|0.25|3\n"
                                             "12345|0.25|3|2000|5300\n"
                                             "1|2|3[]R|500|1\n"
                                             "12345|0.25|3[]R U\n"
                                             "12345|0.25\n"
                                             "9|9[]x|777|-1\n"
                                             "\n"
                                             "5|0.5|1[]D|junk\n"
                                             "abc|x|+4|y[][]B|12|oops|extra",
                                             42);
        QCOMPARE(s.size(), 6);
        QCOMPARE(s.times[0], 12345.0f);
        QCOMPARE(s.pauseStats[0].idleFraction, 0.25f);
        QCOMPARE(s.pauseStats[0].pauseCount, 3);
        QVERIFY(s.splits[0].empty());
        QCOMPARE(s.scrambles[0], QString());
        QCOMPARE(s.dates[0], qint64(42));
        QCOMPARE(s.penalties[0], 0);
        QCOMPARE(s.splits[1], (std::vector<qint32>{2000, 5300}));
        QCOMPARE(s.dates[1], qint64(42));
        QCOMPARE(s.dates[2], qint64(500));
        QCOMPARE(s.penalties[2], 1);
        // A tail with only a scramble inherits from the line before.
        QCOMPARE(s.scrambles[3], QStringLiteral("R U"));
        QCOMPARE(s.dates[3], qint64(500));
        QCOMPARE(s.penalties[3], 1);
        // A skipped line still sets the running date and penalty; a malformed
        // date reads as 0, the penalty stays.
        QCOMPARE(s.dates[4], qint64(0));
        QCOMPARE(s.penalties[4], -1);
        // Malformed numbers read as 0; the tail is after the last "[]".
        QCOMPARE(s.times[5], 0.0f);
        QCOMPARE(s.pauseStats[5].pauseCount, 4);
        QCOMPARE(s.splits[5], std::vector<qint32>{0});
        QCOMPARE(s.scrambles[5], QStringLiteral("B"));
        QCOMPARE(s.dates[5], qint64(12));
        QCOMPARE(s.penalties[5], 0);
    }

    void forgivesGarbage()
    {
        // Line ends of another system read the same.
        const SessionData crlf = parseTimesFile("1|0.5|2[]R|10|1\r\n2|0|0[]U|20|0\r\n", 0);
        QCOMPARE(crlf.size(), 2);
        QCOMPARE(crlf.penalties[0], 1);
        QCOMPARE(crlf.penalties[1], 0);
        QCOMPARE(crlf.scrambles[1], QStringLiteral("U"));

        QCOMPARE(parseTimesFile(QByteArray(), 0).size(), 0);
        QCOMPARE(parseTimesFile("\n\n\n", 0).size(), 0);

        QRandomGenerator rng(1);
        QByteArray binary(1 << 20, '\0');
        for (char &c : binary)
            c = char(rng.bounded(256));
        parseTimesFile(binary, 0);
        QByteArray pipes(1 << 20, '|');
        QVERIFY(parseTimesFile(pipes, 0).splits.at(0).size() > 1000);

        QByteArray longLine = "1|2|3[]";
        longLine += QByteArray(10 * 1024 * 1024, 'R');
        longLine += "|5|1\n";
        const SessionData big = parseTimesFile(longLine, 0);
        QCOMPARE(big.size(), 1);
        QCOMPARE(big.scrambles[0].size(), 10 * 1024 * 1024);
        QCOMPARE(big.penalties[0], 1);

        QCOMPARE(parseTimesFile("1e40|nan|99999999999|inf[]x|99999999999999999999|7", 0).times[0], 0.0f);
    }

    void loadReplacesTheSessionAndFailuresKeepIt()
    {
        QTemporaryDir dir;
        Cadenza w;
        w.replaceSession(sample());
        const QString good = dir.filePath(QStringLiteral("good.times"));
        QVERIFY(writeRaw(good, "1|0|0[]R|10|0\n2|0|0[]U|20|0\n"));

        // Missing, a folder, a pipe with no writer (must not block), a
        // dangling link: the session stays as it was.
        const QString fifo = dir.filePath(QStringLiteral("pipe.times"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString dangling = dir.filePath(QStringLiteral("dangling.times"));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), dangling));
        for (const QString &bad : {dir.filePath(QStringLiteral("missing.times")), dir.path(), fifo, dangling}) {
            w.loadTimes(bad);
            QCOMPARE(int(w.times.size()), sample().size());
        }
        QVERIFY(!QFile::exists(QString::fromLatin1(Cadenza::autosavePath)));

        const QString locked = dir.filePath(QStringLiteral("locked.times"));
        QVERIFY(writeRaw(locked, "1|0|0\n"));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
        if (::access(QFile::encodeName(locked).constData(), R_OK) != 0) {
            w.loadTimes(locked);
            QCOMPARE(int(w.times.size()), sample().size());
        } // (as root the file stays readable and the case cannot arise)

        // A load of another file replaces the session and becomes the autosave.
        w.loadTimes(good);
        QCOMPARE(w.scrambles, (QStringList{QStringLiteral("R"), QStringLiteral("U")}));
        QCOMPARE(readAll(QString::fromLatin1(Cadenza::autosavePath)), readAll(good));

        // A file of garbage loads as whatever lines it has, without a crash.
        const QString junk = dir.filePath(QStringLiteral("junk.times"));
        QByteArray bytes(200000, '\0');
        QRandomGenerator rng(3);
        for (char &c : bytes)
            c = char(rng.bounded(256));
        QVERIFY(writeRaw(junk, bytes));
        w.loadTimes(junk);
        QCOMPARE(w.times.size(), w.scrambles.size());
    }

    void saveWritesWholeFiles()
    {
        QTemporaryDir dir;
        Cadenza w;
        w.replaceSession(sample());
        const QString path = dir.filePath(QStringLiteral("s.times"));
        w.saveTimes(path);
        compareSessions(parseTimesFile(readAll(path), 0), sample());

        // The user's own link is followed: the file it points to is updated.
        const QString target = dir.filePath(QStringLiteral("target.times"));
        QVERIFY(writeRaw(target, "old\n"));
        const QString link = dir.filePath(QStringLiteral("link.times"));
        QVERIFY(QFile::link(target, link));
        w.saveTimes(link);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(parseTimesFile(readAll(target), 0).size(), sample().size());

        // Unwritable place: nothing happens, nothing is left behind.
        w.saveTimes(dir.filePath(QStringLiteral("no/such/folder/x.times")));
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("no"))));
    }

    void autosaveReplacesAPlantedLink()
    {
        const QString victim = QStringLiteral("/tmp/victim.txt");
        QVERIFY(writeRaw(victim, "precious\n"));
        QVERIFY(QFile::link(victim, QString::fromLatin1(Cadenza::autosavePath)));
        {
            Cadenza w;
            // The start-up load read the link's target as a times file: "precious" is no line.
            QVERIFY(w.times.empty());
            w.replaceSession(sample());
            w.autosave();
            QCOMPARE(readAll(victim), QByteArray("precious\n"));
            const QFileInfo saved(QString::fromLatin1(Cadenza::autosavePath));
            QVERIFY(!saved.isSymLink());
            QVERIFY(saved.isFile());
            compareSessions(parseTimesFile(readAll(saved.filePath()), 0), sample());
        }
        QCOMPARE(readAll(victim), QByteArray("precious\n"));
        // No staging file is left in the folder.
        const QStringList left = QDir(QStringLiteral("/tmp")).entryList(
            {QStringLiteral(".cadenza.times*")}, QDir::Files | QDir::Hidden);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(' ')));
    }

    void autosaveIsLoadedAtStartAndWrittenAtShutdown()
    {
        {
            Cadenza w;
            w.replaceSession(sample());
        }
        Cadenza again;
        SessionData back;
        back.times = again.times;
        back.dates = again.dates;
        back.pauseStats = again.pauseStats;
        back.splits = again.splits;
        back.scrambles = again.scrambles;
        back.penalties = again.penalties;
        compareSessions(back, sample());
    }

    void dialogsUseTheWorkingDirectory()
    {
        QTemporaryDir start, chosen;
        Cadenza w; // (restores the folder stored by an earlier window)
        QVERIFY(QDir::setCurrent(start.path()));
        w.replaceSession(sample());
        const QString target = chosen.filePath(QStringLiteral("mine.times"));

        QString title, filter, folder;
        // Answers the next file dialog as soon as it is up. A dialog that
        // refuses the answer is rejected, so a failure cannot hang the test.
        auto answer = [&](bool accept, const QString &file) {
            title.clear();
            auto *timer = new QTimer(&w);
            QObject::connect(timer, &QTimer::timeout, [&, timer, accept, file] {
                auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
                if (!dialog || !dialog->isVisible())
                    return;
                timer->stop();
                timer->deleteLater();
                title = dialog->windowTitle();
                filter = dialog->nameFilters().join(';');
                folder = dialog->directory().absolutePath();
                QDialog *plain = dialog;
                if (accept) {
                    // Typed as a user would: the dialog's own file list loads
                    // in the background and must not matter here.
                    if (auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                        edit->setText(file);
                    plain->accept();
                }
                if (dialog->isVisible())
                    plain->reject();
            });
            timer->start(20);
        };

        answer(true, target);
        w.on_actionSave_Times_triggered();
        QCOMPARE(title, QStringLiteral("Save times list"));
        QCOMPARE(filter, QStringLiteral("Time lists (*.times)"));
        QCOMPARE(folder, QDir(start.path()).absolutePath());
        QCOMPARE(QDir::currentPath(), QDir(chosen.path()).absolutePath());
        compareSessions(parseTimesFile(readAll(target), 0), sample());

        // A cancelled dialog changes nothing.
        QVERIFY(QDir::setCurrent(start.path()));
        answer(false, QString());
        w.on_actionLoad_Times_triggered();
        QCOMPARE(title, QStringLiteral("Load times list"));
        QCOMPARE(QDir::currentPath(), QDir(start.path()).absolutePath());
        QCOMPARE(int(w.times.size()), sample().size());

        QVERIFY(writeRaw(target, "7|0|0[]B|1|0\n"));
        answer(true, target);
        w.on_actionLoad_Times_triggered();
        QCOMPARE(w.scrambles, QStringList{QStringLiteral("B")});
        QCOMPARE(QDir::currentPath(), QDir(chosen.path()).absolutePath());
        QDir::setCurrent(QStringLiteral("/"));
    }
};

QTEST_MAIN(TimesFileTest)
#include "test_timesfile.moc"
