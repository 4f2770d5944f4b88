#include "app/cadenza.h"
#include "exchange/cstimer.h"
#include "puzzle/eventscramble.h"
#include "session/sessionindex.h"
#include "session/sessionstore.h"
#include "session/timesfile.h"
#include "ui_cadenza.h"
#include "testsupport.h"

using events::Event;
using sessionindex::Entry;

static QString inFolder(const QString &name) { return sessionFolder() + '/' + name; }
// Every session of the window: its name, csTimer type and solves, as text.
static QStringList sessionsOf(Cadenza &w)
{
    QStringList out;
    for (int i = 0; i < int(w.sessionIndex.sessions.size()); ++i) {
        SessionData d;
        if (!w.sessionSolves(i, d, nullptr)) return {"unreadable"};
        const Entry &e = w.sessionIndex.sessions[std::size_t(i)];
        out << e.name + '|' + sessionindex::cstimerTypeOf(e) + '|' + QString::fromUtf8(formatTimesFile(d.view()));
    }
    return out;
}

class SessionsTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { QDir(sessionFolder()).removeRecursively(); }

    // Names may hold anything and never reach a file name; a damaged or lost index loses no session file.
    void theIndexIsAConvenience()
    {
        const QString hostile = "../../etc/\"passwd\"/" + QString(200, QChar(0x00e9));
        sessionindex::Index index;
        index.sessions = {Entry{"cadenza.times", "3x3x3", Event::Cube333, {}, 1}, Entry{"session-4.times", hostile, Event::Other, "2gen", 2},
                          Entry{"../escape.times", "x", Event::Skewb, {}, 0}, Entry{"session-4.times", "twice", Event::Clock, {}, 0}};
        index.current = 1;
        const QByteArray text = sessionindex::format(index);
        const auto back = sessionindex::parse(text);
        QVERIFY(back && back->sessions.size() == 4 && back->sessions[1].name == hostile && back->sessions[1].otherType == "2gen" && back->sessions[0].splits == 1);
        QVERIFY(!sessionindex::parse(text.left(text.size() / 2)) && !sessionindex::parse("[]") && !sessionindex::parse(QByteArray(50, '\xff')));
        const QStringList files{"session-9.times", "notes.times", "session-0.times", "session-02.times", "cadenza.times", "session-3.times", "sessions.index"};
        const sessionindex::Index kept = sessionindex::reconcile(back, files);
        QStringList listed;
        for (const Entry &e : kept.sessions) listed << e.file + '=' + e.name;
        QCOMPARE(listed, (QStringList{"cadenza.times=3x3x3", "session-4.times=" + hostile, "session-3.times=session-3", "session-9.times=session-9"}));
        QCOMPARE(kept.current, 1);
        const sessionindex::Index lost = sessionindex::reconcile(std::nullopt, files);
        QCOMPARE(lost.sessions.size(), std::size_t(3));
        QVERIFY(lost.sessions[0].name == "3x3x3" && lost.current == 0 && sessionindex::reconcile(std::nullopt, {}).sessions[0].file == "cadenza.times");
        QCOMPARE(sessionindex::newSessionFile(kept.sessions, files + QStringList{"session-12.times"}), QString("session-13.times"));
        for (const Event e : events::allEvents()) // every event's name and csTimer type lead back to it
            QVERIFY(events::eventForName(events::eventName(e)) == e && (e == Event::Other || events::eventForCstimerType(events::cstimerType(e)) == e));
        QVERIFY(events::eventForCstimerType("") == Event::Cube333 && events::eventForCstimerType("2gen") == Event::Other);
    }

    // Sessions through the window: made, switched, timed in, kept across a restart with their events, splits
    // choices and the current one; deleted with a backup; a lost index lists every file.
    void sessionsInTheWindow()
    {
        const QString hostile = "../" + QString(200, 'x') + "/\"";
        {
            Cadenza w;
            QVERIFY(w.ui->sessionCombo->count() == 1 && w.ui->sessionCombo->currentText() == "3x3x3" && w.ui->sessionCombo->accessibleName() == "Session");
            w.on_startButton_clicked(), w.on_startButton_clicked();
            w.ui->splitsCombo->setCurrentIndex(2);
            QVERIFY(w.createSession(hostile, Event::Skewb) && w.sessionIndex.current == 1 && w.times.empty());
            QVERIFY(w.ui->statsAvgLabel->text().isEmpty() && w.ui->statsPBLabel->text().isEmpty()); // no figures of the other session
            std::vector<int> moves; // the scramble shown fits the event
            QVERIFY2(eventscramble::stickerModel(Event::Skewb)->parse(w.currentScramble, moves) && moves.size() == 11, qPrintable(w.currentScramble));
            QCOMPARE(w.ui->splitsCombo->currentIndex(), 2); // a new session starts with the choice in use
            w.ui->splitsCombo->setCurrentIndex(0);
            for (int i = 0; i < 2; ++i) w.on_startButton_clicked(), w.on_startButton_clicked();
            QVERIFY(w.switchSession(0) && w.times.size() == 1 && w.ui->splitsCombo->currentIndex() == 2);
            QVERIFY(w.switchSession(1));
        }
        QCOMPARE(QDir(sessionFolder()).entryList(QDir::Files), (QStringList{"cadenza.times", "session-2.times", "sessions.index"}));
        Cadenza w;
        QVERIFY(w.sessionIndex.current == 1 && w.times.size() == 2 && w.currentEvent() == Event::Skewb && w.ui->splitsCombo->currentIndex() == 0);
        QCOMPARE(w.ui->sessionCombo->itemText(1), hostile);
        QVERIFY(w.renameSession(1, "  Skewb  ") && w.ui->sessionCombo->itemText(1) == "Skewb" && !w.renameSession(1, " "));
        const QByteArray skewb = readAll(inFolder("session-2.times"));
        QVERIFY(w.deleteSession(1) && w.sessionIndex.current == 0 && w.times.size() == 1 && !QFile::exists(inFolder("session-2.times")));
        bool backedUp = false;
        for (const QString &b : QDir(backupsFolder()).entryList({"session-2-*.times"}, QDir::Files)) backedUp |= readAll(backupsFolder() + '/' + b) == skewb;
        QVERIFY(backedUp);
        QVERIFY(w.deleteSession(0) && w.sessionIndex.sessions.size() == 1 && w.times.empty() && w.ui->sessionCombo->currentText() == "3x3x3");
        QVERIFY(w.createSession("OH", Event::OneHanded333));
        w.on_startButton_clicked(), w.on_startButton_clicked();
        QVERIFY(writeRaw(inFolder("sessions.index"), "{\"sessions\":[{\"fi") && writeRaw(inFolder("session-7.times"), "1|0|0[]R|10|0\n"));
        Cadenza again; // a damaged index: every session file is still there
        QCOMPARE(again.sessionIndex.sessions.size(), std::size_t(3));
        QCOMPARE(again.sessionIndex.sessions.back().name, QString("session-7"));
    }

    // The real csTimer files imported every session as its own: counts, names and solves as a separate JSON
    // reader finds them; importing again changes nothing; exporting all and importing that into an empty
    // profile gives the same sessions and solves.
    void realCSTimerFilesAsSeparateSessions_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sessions"); // of the file, besides the empty "3x3x3" an empty profile has
        QTest::addColumn<int>("solves");
        QTest::addColumn<QString>("first"); // name|type|solves of the first one in csTimer's order
        QTest::newRow("116") << "cstimer_116sessions_21782solves_virtualcube_moves.txt" << 116 << 21782 << "3x3||10500";
        QTest::newRow("14") << "cstimer_14sessions_14841solves_multibld.txt" << 13 << 14841 << "3x3x3|333|7850"; // its "3x3x3" merges
        QTest::newRow("28") << "cstimer_28sessions_18553solves_comments_multiphase.txt" << 28 << 18553 << "3 x 3 BLIND|333ni|4354";
        QTest::newRow("9") << "cstimer_9sessions_3573solves_session_gap_no_sessionN.txt" << 9 << 3573 << "1|666wca|260";
        QTest::newRow("legacy") << "cstimer_legacy2016_string_encoded_no_timestamps.txt" << 11 << 5240 << "1||4323";
        QTest::newRow("tiny") << "cstimer_tiny_3solves_ok_plus2_dnf.txt" << 1 << 3 << "1||3";
    }
    void realCSTimerFilesAsSeparateSessions()
    {
        QFETCH(QString, file);
        QFETCH(int, sessions);
        QFETCH(int, solves);
        QFETCH(QString, first);
        const QByteArray text = readAll(sharedDataPath() + "/cstimer/" + file);
        if (text.isEmpty()) SKIP_TEST("no shared csTimer data here");
        const std::optional<CSTimerFile> parsed = parseCSTimerFile(text);
        QVERIFY(parsed);
        QStringList before;
        {
            Cadenza w;
            w.importCSTimerSeparately(*parsed);
            before = sessionsOf(w);
            QCOMPARE(before.size(), 1 + sessions);
            int total = 0;
            for (const QString &s : before) total += s.count('\n');
            QCOMPARE(total, solves);
            const int at = first.startsWith("3x3x3|") ? 0 : 1;
            const QStringList want = first.split('|');
            QCOMPARE(before[at].section('|', 0, 0), want[0]);
            QCOMPARE(before[at].section('|', 1, 1), want[1].isEmpty() ? QString("333") : want[1]);
            QCOMPARE(before[at].count('\n'), want[2].toInt());
            w.importCSTimerSeparately(*parsed); // again: nothing new
            QCOMPARE(sessionsOf(w), before);
            QVERIFY(w.exportAllSessionsTo("/tmp/all.txt"));
        }
        QDir(sessionFolder()).removeRecursively();
        Cadenza fresh;
        fresh.importCSTimerSeparately(*parseCSTimerFile(readAll("/tmp/all.txt")));
        QCOMPARE(sessionsOf(fresh), before);
    }
};

CADENZA_TEST_MAIN(SessionsTest)
#include "test_sessions.moc"
