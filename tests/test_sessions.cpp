#include "app/cadenza.h"
#include "exchange/cstimer.h"
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

namespace {

// A second, plain reading of a well-formed export: all solves, then each session key, highest number first.
std::vector<SessionData> referenceRead(const QByteArray &bytes)
{
    const QJsonObject top = QJsonDocument::fromJson(bytes).object();
    std::map<int, QJsonValue, std::greater<int>> sessions;
    for (const QString &key : top.keys())
        if (key.startsWith("session") && key.mid(7).toInt() > 0)
            sessions[key.mid(7).toInt()] = top[key];
    std::vector<SessionData> pieces(1);
    for (auto &[number, value] : sessions) {
        pieces.emplace_back();
        for (const QJsonValue &r : value.isString() ? QJsonDocument::fromJson(value.toString().toUtf8()).array() : value.toArray()) {
            const QJsonArray rec = r.toArray(), t = rec[0].toArray();
            std::vector<qint32> splits; // [pen, total, e(k-1), ..., e1]
            for (qint64 i = t.size() - 1, previous = 0; t.size() > 2 && i >= 1; previous = qRound64(t[int(i--)].toDouble()))
                splits.push_back(qint32(qRound64(t[int(i)].toDouble()) - previous));
            for (SessionData *p : {&pieces[0], &pieces.back()})
                p->append(qRound64(t[1].toDouble()), {}, splits, rec[1].toString().replace('\n', ' ').replace('\r', ' '),
                          rec.size() > 3 ? qint64(rec[3].toDouble()) : 0, t[0] == 2000 || t[0] == 1 ? 1 : t[0] == -1 ? -1 : 0);
        }
    }
    return pieces;
}

bool same(const SessionData &a, const SessionData &b)
{
    return a.times == b.times && a.penalties == b.penalties && a.dates == b.dates && a.splits == b.splits &&
           a.scrambles == b.scrambles && a.pauseStats == b.pauseStats;
}

const QString tiny = QString(CADENZA_TEST_DATA) + "/cstimer_tiny_3solves_ok_plus2_dnf.txt";

} // namespace

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
            QVERIFY(w.ui->sessionCombo->count() == 1 && w.ui->sessionCombo->currentText() == "3x3x3");
            w.on_startButton_clicked(), w.on_startButton_clicked();
            w.ui->splitsCombo->setCurrentIndex(2);
            QVERIFY(w.createSession(hostile, Event::Skewb) && w.sessionIndex.current == 1 && w.times.empty());
            QVERIFY(w.ui->statsAvgLabel->text().isEmpty() && w.ui->statsPBLabel->text().isEmpty()); // no figures of the other session
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

    void aSolveOfThisRunMeetsItsExport() // a Megaminx scramble's lines are joined on the way out and back
    {
        SessionData held, back;
        held.append(61000, {}, {61000}, "R++ D-- R++\nU", 1700000000, 0);
        back.append(61000, {}, {61000}, "R++ D-- R++ U", 1700000000, 0);
        QCOMPARE(mergeNewSolves(held.view(), back).times.size(), std::size_t(1));
    }

    void realFilesImportAsASecondReadingSaysAndSurviveTheTimesFile()
    {
        const QDir shared(sharedDataPath() + "/cstimer");
        if (!shared.exists())
            SKIP_TEST(qPrintable("shared data not present: " + shared.path()));
        for (const QString &name : shared.entryList({"cstimer_*.txt"})) {
            QFile f(shared.filePath(name));
            const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            const std::vector<SessionData> want = referenceRead(bytes);
            const std::optional<CSTimerFile> got = parseCSTimerFile(bytes);
            QVERIFY(got && got->pieces.size() + 1 == want.size());
            for (std::size_t k = 0; k < want.size(); ++k)
                QVERIFY2(same(cstimerChosenSolves(*got, int(k)), want[k]), qPrintable(QString("%1 choice %2").arg(name).arg(k)));
            // No scramble's line break may split a solve across lines of the times file.
            const SessionData session = mergeInDateOrder(SessionData().view(), want[0]);
            QVERIFY(same(parseTimesFile(formatTimesFile(session.view()), 0), session));
        }
    }

    void readerMendsWhatCsTimerFilesHold()
    {
        // Pieces go by number, not text; string, empty and junk sessions and records, float noise, phase ends.
        const std::optional<CSTimerFile> file = parseCSTimerFile(
            QByteArray("{'session9':[[[2000,1000.4],'A\\nB\\r\\nC','c, [x]',5]],'session10':'[[[1,32200.000000000004],`L`,``],"
                       "[[4000,10],`M`,``,7,[`R@0`,`333`,1]]]','session2':[],'sessionData':[],'session11':{},'session':[],"
                       "'session1':[[[-1,8612,6904,5160,377],'S','',1700000000],5,[],[[0]],['x']],'properties':{'sessionData':'{}'}}")
                .replace('\'', '"').replace("`", "\\\""));
        SessionData want;
        want.append(32200, {}, {}, "L", 0, PenaltyPlusTwo);
        want.append(10, {}, {}, "M", 7, PenaltyNone);
        want.append(1000, {}, {}, "A B  C", 5, PenaltyPlusTwo);
        want.append(8612, {}, {377, 4783, 1744, 1708}, "S", 1700000000, PenaltyDnf);
        QVERIFY(file && same(cstimerChosenSolves(*file, 0), want));
        QCOMPARE(cstimerImportChoices(*file), (QStringList{"Merge all sessions together (4 solves)",
            "Import only session 1 (0 solves)", "Import only session 2 (2 solves)", "Import only session 3 (1 solves)",
            "Import only session 4 (0 solves)", "Import only session 5 (1 solves)"}));
        for (const char *bad : {"", "{\"session1\":[[[0,1],\"R\",\"\",0]]", "[]"})
            QVERIFY(!parseCSTimerFile(bad));
        QCOMPARE(parseCSTimerFile(R"({"session4":[[[0,1],"R","",0]],"session4":[]})")->pieces.size(), std::size_t(1)); // fuzzing
        QCOMPARE(dateOrder({3, 1, 3, 1, 2}), (std::vector<int>{1, 3, 4, 0, 2})); // equal stamps keep their order
    }

    void exportIsCsTimersShapeAndReadsBackWhole()
    {
        SessionData s, want;
        s.append(12346, {0.25f, 3}, {2000, 5300, 3200, 1846}, R"(Sq1: (1,0)/ [x] "q" \)", 1700000000, PenaltyNone);
        s.append(2345678, {}, {2345678}, "1) R\n2) U\u00e9", 1700000200, PenaltyDnf);
        s.append(1234.6f, {}, {}, "L", 0, PenaltyPlusTwo);
        const QByteArray text = formatCSTimerFile(s.view());
        QVERIFY(text.contains(R"("Splits: 2.00 5.30 3.20 1.85",1700000000],)") && !text.contains('\n') && !text.contains("e+"));
        QCOMPARE(QJsonDocument::fromJson(text).object().keys(), (QStringList{"properties", "session1"}));
        QVERIFY(QJsonDocument::fromJson(text)["properties"]["sessionData"].isString()); // csTimer parses it again itself
        // Both readers get it back; a single split is not a multi-phase solve; a line break comes back as a space.
        want.append(12346, {}, s.splits[0], s.scrambles[0], 1700000000, PenaltyNone);
        want.append(2345678, {}, {}, "1) R 2) U\u00e9", 1700000200, PenaltyDnf);
        want.append(1235, {}, {}, "L", 0, PenaltyPlusTwo);
        QVERIFY(same(parseCSTimerFile(text)->pieces.at(0), want) && same(referenceRead(text).at(1), want));
    }

    void exportClipsPhaseEndsToTheTotalSoEveryPhaseComesBack()
    {
        const struct { float time; std::vector<qint32> splits; const char *ends; std::vector<qint32> back; } cases[] = {
            {9870, {2100, 5310, 3200, 1740}, "0,9870,9870,7410,2100", {2100, 5310, 2460, 0}}, // splits over the total
            {9870, {2100, 5310, 2460}, "0,9870,7410,2100", {2100, 5310, 2460}}, // adding up
            {1000, {1500, 200}, "0,1000,1000", {1000, 0}}, // first split alone too long
            {3000, {1000, -400, 500}, "0,3000,1000,1000", {1000, 0, 2000}}}; // a negative split
        for (const auto &c : cases) {
            SessionData s;
            s.append(c.time, {}, c.splits, "R", 1700000000, PenaltyNone);
            const QByteArray text = formatCSTimerFile(s.view());
            QVERIFY2(text.contains(QByteArray("[[") + c.ends + "],"), text.constData());
            const SessionData read = parseCSTimerFile(text)->pieces.at(0);
            QCOMPARE(read.splits.at(0), c.back);
            QCOMPARE(std::accumulate(read.splits[0].begin(), read.splits[0].end(), 0), qint32(c.time));
        }
    }

    void exportAndImportGoThroughTheDialogs()
    {
        Cadenza w;
        w.replaceSession(SessionData{});
        const QString path = QDir::temp().filePath("export.txt");
        const auto exportTo = [&](const QString &answer) { return answering([&] { w.exportCSTimerSession(); }, {answer}); };
        QVERIFY(exportTo(path).isEmpty() && !QFile::exists(path)); // no solves: no dialog, no file
        SessionData s;
        s.append(12346, {0.25f, 3}, {2000, 5300, 3200, 1846}, "R U", 1700000000, PenaltyNone);
        s.append(9000, {}, {}, "F2", 1700000100, PenaltyDnf);
        w.replaceSession(SessionData(s));
        QVERIFY(exportTo("").size() == 1 && !QFile::exists(path)); // cancelled
        QCOMPARE(exportTo(path), QStringList{"Export solve session to CSTimer format|Txt file (*.txt)"});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly) && f.readAll() == formatCSTimerFile(s.view()));
        w.replaceSession(SessionData{});
        const auto import = [&](const QStringList &answers) { return answering([&] { w.importCSTimerSession(); }, answers); };
        const QStringList asked = import({tiny, "1"});
        QCOMPARE(asked.value(0), "Import solve session from CSTimer format|Txt file (*.txt)");
        QCOMPARE(asked.value(1).section('|', 0, 1), "Importing CSTimer data|I've detected 15 sessions of CSTimer data with 3 solves altogether. What should I do?");
        QCOMPARE(w.times, (std::vector<float>{1326, 1130, 846}));
        // Importing again appends in date order; a file that is not JSON changes nothing and asks nothing.
        QCOMPARE(import({tiny, "16"}).size(), 2);
        QCOMPARE(import({QString(CADENZA_TEST_DATA) + "/../test_sessions.cpp"}).size(), 1);
        QCOMPARE(w.times, (std::vector<float>{1326, 1326, 1130, 1130, 846, 846}));
    }
};

CADENZA_TEST_MAIN(SessionsTest)
#include "test_sessions.moc"
