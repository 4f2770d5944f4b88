#include "app/cadenza.h"
#include "session/sessionstore.h"
#include "session/timesfile.h"
#include "ui_cadenza.h"
#include "testsupport.h"

#include <QLockFile>
#include <sys/stat.h>
#include <unistd.h>

static QByteArray text(const SessionData &s) { return formatTimesFile(s.view()); }
static SessionData solves(std::initializer_list<std::pair<float, const char *>> list)
{
    SessionData s;
    for (const auto &[time, scramble] : list) s.append(time, {}, {}, QString::fromLatin1(scramble), qint64(time), 0);
    return s;
}
// The text of the message box the window shows, which is then closed; empty when there is none.
static QString takeProblem(QWidget *w)
{
    QMessageBox *box = w->findChild<QMessageBox *>();
    const QString text = box ? box->text() : QString();
    if (box) box->close(), QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return text;
}
static QStringList backupContents()
{
    QStringList out;
    const QDir dir(backupsFolder());
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) out << QString::fromUtf8(readAll(dir.filePath(name)));
    return out;
}

class SessionStoreTest : public QObject
{
    Q_OBJECT
    QString session;
private slots:
    void initTestCase() { session = Cadenza::sessionFilePath(); }
    void init() { QDir(sessionFolder()).removeRecursively(); QVERIFY(ensurePrivateFolder(sessionFolder())); }

    void backupNamesAndPruning()
    {
        const QDateTime at(QDate(2026, 3, 9), QTime(7, 5, 3));
        const QString base = QStringLiteral("cadenza-20260309-070503");
        QCOMPARE(backupFileName(at, {base + ".times", base + "-2.times", base + "-10.times", "x"}), base + "-11.times");
        // A burst of 40 backups today, one a day for the 20 days before, and names that are no backups.
        QStringList names{"notes.txt", "cadenza-2026-bad.times"};
        for (int i = 0; i < 40; ++i) names << QStringLiteral("cadenza-20260309-0800%1.times").arg(i, 2, 10, QLatin1Char('0'));
        for (int d = 1; d <= 20; ++d) names << backupFileName(QDateTime(at.date().addDays(-d), QTime(12, 0)), {});
        const QStringList pruned = backupsToPrune(names, at.date());
        QStringList kept = names;
        for (const QString &p : pruned) kept.removeOne(p);
        // The newest 30 of the burst, the days 1 to 13 before today (14 days with today), and the other files.
        QCOMPARE(kept.size(), 2 + 30 + 13);
        QVERIFY(kept.contains("cadenza-20260309-080010.times") && !kept.contains("cadenza-20260309-080009.times"));
        QVERIFY(kept.contains("cadenza-20260224-120000.times") && !kept.contains("cadenza-20260223-120000.times"));
        QVERIFY(pruned.first() < pruned.last()); // oldest first
        // One made just now under a clock set back has the oldest name: it stays all the same.
        QVERIFY(!backupsToPrune(names << "cadenza-20000101-000000.times", at.date(), "cadenza-20000101-000000.times").contains("cadenza-20000101-000000.times"));
        QVERIFY(!dailyBackupDue(names, at.date()) && dailyBackupDue(names, at.date().addDays(1)));
    }

    void solveKeysSeeEveryLeftOutSolve()
    {
        const SessionData disk = solves({{1000, "R"}, {2000, "U"}, {2000, "U"}, {3000, "F"}});
        const auto keys = [](SessionData s) { return solveKeys(s.view()); };
        SessionData added = disk, reordered = solves({{3000, "F"}, {2000, "U"}, {1000, "R"}, {2000, "U"}}), penalised = disk, one = disk;
        added.append(4000, {}, {}, "B", 4, 0);
        penalised.penalties[1] = PenaltyDnf;
        one.times.erase(one.times.begin() + 2), one.dates.erase(one.dates.begin() + 2), one.scrambles.removeAt(2);
        QVERIFY(keepsEverySolve(keys(disk), keys(added)) && keepsEverySolve(keys(disk), keys(reordered)) && keepsEverySolve(keys(disk), keys(penalised)));
        QVERIFY(!keepsEverySolve(keys(disk), keys(one))); // one of two equal solves gone
        QVERIFY(!keepsEverySolve(keys(disk), keys(solves({{1000, "R"}, {2000, "U"}, {2000, "U"}, {3000, "D"}}))));
        QVERIFY(keepsEverySolve({}, {}) && !keepsEverySolve(keys(disk), {}));
    }

    // A load of a larger file, a remove and a clear each back up first, with the file's own bytes
    // (also through a link); an edit of the session file afterwards never reaches a backup.
    void changesThatLeaveOutSolvesBackUpFirst()
    {
        const QByteArray two = "1|0|0[]R|10|0\n2|0|0[]U|20|0\n";
        QVERIFY(writeRaw("/tmp/real.times", two) && QFile::link("/tmp/real.times", session));
        Cadenza w;
        QCOMPARE(backupContents(), QStringList{two}); // the first start of the day: the bytes, not the link
        QVERIFY(writeRaw("/tmp/three.times", "5|0|0[]D|50|0\n6|0|0[]B|60|0\n7|0|0[]L|70|0\n"));
        QVERIFY(w.loadTimes("/tmp/three.times"));
        QCOMPARE(backupContents().size(), 2); // the replaced session, although the new one is larger
        w.on_plusTwoButton_clicked();
        QCOMPARE(backupContents().size(), 2); // a penalty leaves every solve in place
        w.ui->historyList->setCurrentRow(0), w.on_removeButton_clicked();
        QCOMPARE(backupContents().size(), 3);
        QVERIFY(backupContents().contains("5|0|0[]D|50|0\n6|0|0[]B|60|0\n7|0|0[]L|70|1\n"));
        const QStringList before = backupContents();
        for (const QString &name : QDir(backupsFolder()).entryList(QDir::Files)) {
            struct stat a, b;
            QVERIFY(::lstat(QFile::encodeName(QDir(backupsFolder()).filePath(name)).constData(), &a) == 0 && S_ISREG(a.st_mode) && a.st_nlink == 1);
            QVERIFY(::stat(QFile::encodeName(session).constData(), &b) == 0 && a.st_ino != b.st_ino);
        }
        QFile inPlace(session); // an editor writing in place
        QVERIFY(inPlace.open(QIODevice::ReadWrite) && inPlace.write("9") == 1);
        inPlace.close();
        QCOMPARE(backupContents(), before);
    }

    // When the backup before such a write fails, the file stays as it was and the
    // times stay in the window; once the backup works again, both happen.
    void aFailedBackupStopsTheWrite()
    {
        const QByteArray two = "1|0|0[]R|10|0\n2|0|0[]U|20|0\n";
        QVERIFY(writeRaw(session, two) && writeRaw(backupsFolder(), "a file where the folder goes"));
        Cadenza w;
        QStringList shown;
        connect(w.ui->statusBar, &QStatusBar::messageChanged, [&](const QString &m) { if (!m.isEmpty()) shown << m; });
        w.on_startButton_clicked(), w.on_startButton_clicked(); // added: written, no backup needed
        QCOMPARE(parseTimesFile(readAll(session), 0).size(), 3);
        const QByteArray three = readAll(session);
        w.ui->historyList->setCurrentRow(2), w.on_removeButton_clicked();
        QCOMPARE(readAll(session), three);
        QCOMPARE(w.times.size(), std::size_t(2));
        QVERIFY2(shown.size() == 1 && shown[0].startsWith("Could not back up " + session), qPrintable(shown.join('\n')));
        QVERIFY(QFile::remove(backupsFolder()));
        w.on_plusTwoButton_clicked();
        QCOMPARE(backupContents(), QStringList{QString::fromUtf8(three)});
        QCOMPARE(parseTimesFile(readAll(session), 0).size(), 2);
    }

    // A session file that exists but cannot be read (a dangling link, a folder) is
    // told about, never written, and the run's solves go to a recovery file.
    void anUnreadableSessionFileIsNeverWritten_data()
    {
        QTest::addColumn<bool>("link");
        QTest::newRow("dangling link") << true;
        QTest::newRow("folder") << false;
    }
    void anUnreadableSessionFileIsNeverWritten()
    {
        QFETCH(bool, link);
        QVERIFY(link ? QFile::link("/media/unmounted/cadenza.times", session) : QDir().mkpath(session));
        QString recovery;
        {
            Cadenza w;
            QTRY_VERIFY(w.findChild<QMessageBox *>());
            const QString problem = takeProblem(&w);
            QVERIFY2(problem.contains(session) && problem.contains(link ? "No such file" : "not a regular file"), qPrintable(problem));
            recovery = w.sessionPath;
            QVERIFY(QFileInfo(recovery).fileName().startsWith("cadenza-recovered-") && problem.contains(recovery));
            QVERIFY(w.ui->statusBar->currentMessage().contains(recovery));
            w.on_startButton_clicked(), w.on_startButton_clicked();
        }
        QCOMPARE(parseTimesFile(readAll(recovery), 0).size(), 1);
        QVERIFY(link ? QFile::symLinkTarget(session) == "/media/unmounted/cadenza.times" : QFileInfo(session).isDir());
        QVERIFY(!QDir(backupsFolder()).exists() || backupContents().isEmpty());
    }

    // Start-up removes the staging files of its own interrupted writes, nothing else.
    void startUpRemovesOnlyItsOwnStagingFiles()
    {
        const QStringList users{"cadenza.times.backup", "cadenza.times.before", ".cadenza.times.swp", ".cadenza.times.x1"};
        const QStringList ours{".cadenza.times" + stagingMark + "k3x9a", ".cadenza.times" + stagingMark + "k3x9a.Ab12Cd"};
        for (const QString &name : users + ours) QVERIFY(writeRaw(QDir(sessionFolder()).filePath(name), "x"));
        Cadenza w;
        for (const QString &name : users) QVERIFY2(QFile::exists(QDir(sessionFolder()).filePath(name)), qPrintable(name));
        for (const QString &name : ours) QVERIFY2(!QFile::exists(QDir(sessionFolder()).filePath(name)), qPrintable(name));
    }

    // An empty lock (a power cut while it was written) is stale; a lock of another host is
    // named with its lock file, process and host, and taken over only when the user says so.
    void staleAndForeignLocks()
    {
        const QString lockPath = sessionLockPath();
        QVERIFY(writeRaw(lockPath, ""));
        {
            QLockFile lock(lockPath);
            QVERIFY(claimSession(lock));
        }
        for (const bool takeOver : {false, true}) {
            QVERIFY(writeRaw(lockPath, "4242\ncadenza\nelsewhere.example\n"));
            QLockFile lock(lockPath);
            bool claimed = false;
            const QString shown = answering([&] { claimed = claimSession(lock); }, {takeOver ? "Take Over" : "Close"}).value(0);
            QCOMPARE(claimed, takeOver);
            QVERIFY2(shown.contains(lockPath) && shown.contains("4242") && shown.contains("elsewhere.example"), qPrintable(shown));
        }
    }

    // Failed saves, exports, loads and imports are told in a message box naming the file, and change nothing.
    void failuresAreToldAndChangeNothing()
    {
        QVERIFY(writeRaw(session, "1|0|0[]R|10|0\n"));
        Cadenza w;
        const QString missing = "/tmp/no-such-folder/out.times";
        w.saveTimes(missing);
        QVERIFY(takeProblem(&w).contains(missing));
        QVERIFY(!w.exportCSTimerSessionTo("/tmp/no-such-folder/out.txt"));
        QVERIFY(takeProblem(&w).contains("/tmp/no-such-folder/out.txt"));
        QVERIFY(writeRaw("/tmp/notes.txt", "a shopping list\nmilk\n") && writeRaw("/tmp/empty.json", "{\"session1\":[],\"properties\":{}}"));
        for (const QString &file : {QStringLiteral("/tmp/missing.times"), QStringLiteral("/tmp/notes.txt")}) {
            QVERIFY(!w.loadTimes(file));
            QVERIFY(takeProblem(&w).contains(file));
        }
        for (const QString &file : {QStringLiteral("/tmp/missing.txt"), QStringLiteral("/tmp/notes.txt"), QStringLiteral("/tmp/empty.json")}) {
            w.importCSTimerSessionFrom(file);
            QVERIFY2(takeProblem(&w).contains(file), qPrintable(file));
        }
        QCOMPARE(w.scrambles, QStringList{"R"});
        QCOMPARE(readAll(session), QByteArray("1|0|0[]R|10|0\n"));
    }

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
            w.times[0] = 4242; // only the save at shutdown has this
        }
        QCOMPARE(readAll(QStringLiteral("/tmp/victim")), QByteArray("precious\n"));
        QCOMPARE(QDir(sessionFolder()).entryList({QStringLiteral("*cadenza.times*")}, QDir::Files | QDir::Hidden).size(), 1);
        QCOMPARE(Cadenza().times, (std::vector<float>{4242, 2}));
    }

    void takesOverOnlyTheUsersOwnRegularTmpFile_data()
    {
        QTest::addColumn<QString>("legacy"); // own, link, or own with a session already there (another user's: e2e_test_session_safety)
        for (const char *legacy : {"own", "link", "session"})
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
        if (legacy == "session")
            QVERIFY(ensurePrivateFolder(sessionFolder()) && writeRaw(Cadenza::sessionFilePath(), "1|0|0[]R|10|0\n"));
        {
            Cadenza w;
            QCOMPARE(w.times, taken ? (std::vector<float>{7, 8}) : legacy == "session" ? std::vector<float>{1} : std::vector<float>{});
            QCOMPARE(readAll(Cadenza::sessionFilePath()), taken ? old : legacy == "session" ? QByteArray("1|0|0[]R|10|0\n") : QByteArray());
        }
        QCOMPARE(readAll(legacy == "link" ? own : tmp), old); // never written
    }
};

CADENZA_TEST_MAIN(SessionStoreTest)
#include "test_sessionstore.moc"
