#include "app/cadenza.h"
#include "session/sessionstore.h"
#include "session/timesfile.h"
#include "ui_cadenza.h"
#include "testsupport.h"
#include <unistd.h>

static QByteArray text(const SessionData &s) { return formatTimesFile(s.view()); }

class TimesFileTest : public QObject
{
    Q_OBJECT
private slots:

    void writesTheLineGrammarAndReadsItBackExactly()
    {
        SessionData s;
        s.append(12345, {0.25f, 3}, {2000, 5300, 3200, 1845}, QStringLiteral("R U2 F'"), 1700000000, 1);
        s.append(1000000, {0, 0}, {}, QStringLiteral("R"), -7, -1);
        QCOMPARE(text(s), QByteArray("12345|0.25|3|2000|5300|3200|1845[]R U2 F'|1700000000|1\n1e+06|0|0[]R|-7|-1\n"));
        QRandomGenerator rng(7); // floats of a wide spread, seven digits and more, read back bit for bit
        for (int i = 0; i < 5000; ++i)
            s.append(float(rng.generateDouble() * std::pow(10.0, rng.bounded(9))), {float(rng.generateDouble()), i},
                     {i, -i}, QStringLiteral("L \u00fc"), i, i % 3 - 1);
        const SessionData read = parseTimesFile(text(s), 99);
        QVERIFY(read.times == s.times && read.pauseStats == s.pauseStats);
        QCOMPARE(text(read), text(s));
    }

    void readsLegacyLinesInheritsDateAndPenaltyAndForgivesGarbage()
    {
        // The file's date until a line has one; a penalty inherited even from a skipped line; junk reads as 0.
        const SessionData read = parseTimesFile("12345|0.25|3\n12345|0.25|3|2000|5300\n1|2|3[]R|500|1\n"
                                                "12345|0.25|3[]R U\n12345|0.25\n9|9[]x|777|-1\n\n5|0.5|1[]D|junk\n"
                                                "abc|x|+4|y[][]B|12|oops|extra", 42);
        QCOMPARE(text(read), QByteArray("12345|0.25|3[]|42|0\n12345|0.25|3|2000|5300[]|42|0\n1|2|3[]R|500|1\n"
                                        "12345|0.25|3[]R U|500|1\n5|0.5|1[]D|0|-1\n0|0|4|0[]B|12|0\n"));
        // Garbage is forgiven: CRLF, nothing, binary noise, a huge line.
        const QByteArray lf = "1|0.5|2[]R|10|1\n2|0|0[]U\n";
        QCOMPARE(text(parseTimesFile(QByteArray(lf).replace("\n", "\r\n"), 0)), text(parseTimesFile(lf, 0)));
        QCOMPARE(parseTimesFile(QByteArray(), 0).size(), 0);
        QByteArray noise(1 << 20, '\0');
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        const SessionData binary = parseTimesFile(noise, 0), big = parseTimesFile("1|2|3[]" + QByteArray(10 << 20, 'R') + "|5|1\n", 0);
        QCOMPARE(binary.scrambles.size(), binary.size());
        QVERIFY(big.size() == 1 && big.scrambles[0].size() == 10 << 20 && big.penalties[0] == 1);
    }

    void loadsKeepOrReplaceTheSessionAndTheAutosaveReplacesAPlantedLink()
    {
        const QString autosave = Cadenza::sessionFilePath();
        QVERIFY(ensurePrivateFolder(sessionFolder()) && writeRaw("/tmp/victim", "precious\n")
                && QFile::link("/tmp/victim", autosave));
        const QString locked = QStringLiteral("/tmp/locked"), good = QStringLiteral("/tmp/good");
        QVERIFY(writeRaw(locked, "1|0|0\n") && QFile::setPermissions(locked, QFileDevice::Permissions()));
        const bool rootReads = ::access(QFile::encodeName(locked).constData(), R_OK) == 0; // root reads any file
        {
            Cadenza w;
            QVERIFY(writeRaw(good, "\xEF\xBB\xBF" "1|0|0[]R|10|0\n2|0|0[]U|20|0\n")); // a byte-order mark is skipped
            w.loadTimes(good);
            for (const QString &bad : {QStringLiteral("/tmp/missing"), QStringLiteral("/tmp"), rootReads ? QStringLiteral("/") : locked}) {
                w.loadTimes(bad);
                QVERIFY2(w.scrambles == (QStringList{QStringLiteral("R"), QStringLiteral("U")}), qPrintable(bad));
            }
            QCOMPARE(readAll(autosave), readAll(good).mid(3));
            QVERIFY(!QFileInfo(autosave).isSymLink());
            QCOMPARE(QFileInfo(autosave).permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser);
            QCOMPARE(QFileInfo(sessionFolder()).permissions() & 0x0777, QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
            w.times[0] = 4242; // only the save at shutdown has this
        }
        QCOMPARE(readAll(QStringLiteral("/tmp/victim")), QByteArray("precious\n"));
        QCOMPARE(QDir(sessionFolder()).entryList({QStringLiteral("*cadenza.times*")}, QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(Cadenza().times, (std::vector<float>{4242, 2}));
    }

    void takesOverOnlyTheUsersOwnRegularTmpFile_data()
    {
        QTest::addColumn<QString>("legacy"); // own, link, other (another uid), or own with a session already there
        for (const char *legacy : {"own", "link", "other", "session"})
            QTest::newRow(legacy) << QString(legacy);
    }
    void takesOverOnlyTheUsersOwnRegularTmpFile()
    {
        QFETCH(QString, legacy);
        const bool taken = legacy == "own";
        const QString tmp = legacySessionFilePath(), own = QStringLiteral("/tmp/own.times");
        QFile::remove(tmp), QDir(sessionFolder()).removeRecursively();
        const QByteArray old = "7|0|0[]F|70|0\n8|0|0[]B|80|1\n";
        QVERIFY(writeRaw(legacy == "link" ? own : tmp, old));
        QVERIFY(legacy != "link" || QFile::link(own, tmp));
        if (legacy == "other" && (::geteuid() != 0 || ::chown(QFile::encodeName(tmp).constData(), 65534, 65534) != 0))
            QSKIP("giving a file to another user needs root");
        if (legacy == "session")
            QVERIFY(ensurePrivateFolder(sessionFolder()) && writeRaw(Cadenza::sessionFilePath(), "1|0|0[]R|10|0\n"));
        {
            Cadenza w;
            QCOMPARE(w.times, taken ? (std::vector<float>{7, 8}) : legacy == "session" ? std::vector<float>{1} : std::vector<float>{});
            QCOMPARE(readAll(Cadenza::sessionFilePath()), taken ? old : legacy == "session" ? QByteArray("1|0|0[]R|10|0\n") : QByteArray());
        }
        QCOMPARE(readAll(legacy == "link" ? own : tmp), old); // never written
        QCOMPARE(QFileInfo(tmp).ownerId(), legacy == "other" ? 65534u : ::geteuid());
    }
};

CADENZA_TEST_MAIN(TimesFileTest)
#include "test_timesfile.moc"
