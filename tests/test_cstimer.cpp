#include "app/cadenza.h"
#include "session/timesfile.h"
#include "exchange/cstimer.h"
#include <numeric>
#include "testsupport.h"

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

class CSTimerTest : public QObject
{
    Q_OBJECT
private slots:

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
        QCOMPARE(import({QString(CADENZA_TEST_DATA) + "/../test_cstimer.cpp"}).size(), 1);
        QCOMPARE(w.times, (std::vector<float>{1326, 1326, 1130, 1130, 846, 846}));
    }
};

CADENZA_TEST_MAIN(CSTimerTest)
#include "test_cstimer.moc"
