#include "app/cadenza.h"
#include "app/timesfile.h"
#include "exchange/cstimer.h"
#include "testsupport.h"
#include "ui_cadenza.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QJsonArray>
#include <QLineEdit>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <functional>
#include <map>

namespace {

// A second, deliberately plain reading of a well-formed csTimer export, to
// compute what the import must give.
struct RefSolve
{
    qint32 penalty;
    qint64 ms;
    qint64 date;
    std::vector<qint32> splits;
    QString scramble;
};
using RefPiece = std::vector<RefSolve>;

std::vector<RefPiece> referenceRead(const QByteArray &bytes)
{
    const QJsonObject top = QJsonDocument::fromJson(bytes).object();
    std::map<int, QString, std::greater<int>> keys; // highest number first
    for (const QString &key : top.keys()) {
        bool ok = false;
        const int number = key.mid(7).toInt(&ok);
        if (key.startsWith("session") && ok)
            keys[number] = key;
    }
    std::vector<RefPiece> pieces;
    for (const auto &entry : keys) {
        QJsonValue value = top.value(entry.second);
        if (value.isString())
            value = QJsonDocument::fromJson(value.toString().toUtf8()).array();
        RefPiece piece;
        for (const QJsonValue &r : value.toArray()) {
            const QJsonArray rec = r.toArray();
            const QJsonArray t = rec[0].toArray();
            const int code = t[0].toInt();
            RefSolve s{code == 2000 || code == 1 ? 1 : code == -1 ? -1 : 0, qRound64(t[1].toDouble()),
                       rec.size() > 3 ? qint64(rec[3].toDouble()) : 0, {}, rec[1].toString()};
            s.scramble.replace('\n', ' ').replace('\r', ' ');
            // [pen, total, e(k-1), ..., e1]: chronological ends are e1 ... total.
            qint64 previous = 0;
            for (int i = t.size() - 1; t.size() > 2 && i >= 1; --i) {
                const qint64 end = qRound64(t[i].toDouble());
                s.splits.push_back(qint32(end - previous));
                previous = end;
            }
            piece.push_back(s);
        }
        pieces.push_back(piece);
    }
    return pieces;
}

void compareSolves(const SessionData &got, const RefPiece &want)
{
    QCOMPARE(got.size(), int(want.size()));
    QCOMPARE(int(got.dates.size()), got.size());
    QCOMPARE(got.scrambles.size(), got.size());
    for (int i = 0; i < got.size(); ++i) {
        const RefSolve &w = want[std::size_t(i)];
        const std::size_t u = std::size_t(i);
        if (got.penalties[u] != w.penalty || qint64(got.times[u]) != w.ms || got.dates[u] != w.date ||
            got.splits[u] != w.splits || got.scrambles[i] != w.scramble || !(got.pauseStats[u] == PauseStats{}))
            QFAIL(qPrintable(QString("solve %1 differs: time %2/%3 penalty %4/%5 date %6/%7 splits %8/%9")
                                 .arg(i).arg(double(got.times[u])).arg(w.ms).arg(got.penalties[u]).arg(w.penalty)
                                 .arg(got.dates[u]).arg(w.date).arg(got.splits[u].size()).arg(w.splits.size())));
    }
}

// JSON written with single quotes, for readable tests.
QByteArray json(const char *text)
{
    return QByteArray(text).replace('\'', '"');
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const char *const realFiles[] = {
    "cstimer_tiny_3solves_ok_plus2_dnf.txt",
    "cstimer_9sessions_3573solves_session_gap_no_sessionN.txt",
    "cstimer_legacy2016_string_encoded_no_timestamps.txt",
    "cstimer_14sessions_14841solves_multibld.txt",
    "cstimer_28sessions_18553solves_comments_multiphase.txt",
    "cstimer_116sessions_21782solves_virtualcube_moves.txt",
};

// The tiny file is kept with the tests; the others are read from the shared data.
QString realFilePath(const QString &name)
{
    const QString local = QString(CADENZA_TEST_DATA) + "/" + name;
    if (QFile::exists(local))
        return local;
    return QString(CADENZA_SHARED_DATA) + "/cstimer/" + name;
}

SessionData sampleSession()
{
    SessionData s;
    s.append(12346, {0.25f, 3}, {2000, 5300, 3200, 1846}, "R U F", 1700000000, PenaltyNone);
    s.append(9870, {}, {}, "Sq1: (1,0)/ (-3,3)/ [x] \"quoted\" back\\slash", 1700000100, PenaltyPlusTwo);
    s.append(2345678, {}, {1000, 2345678 - 1000}, "multi 1) R\t2) U\u00e9\u2019", 1700000200, PenaltyDnf);
    s.append(15000, {}, {15000}, "", -5, 7); // an unknown code counts as none
    s.append(1234.6f, {}, {}, "L", 0, PenaltyNone);
    return s;
}

// Answers the modal dialogs that an operation opens, one step per dialog in
// the order they appear; a dialog beyond the steps is rejected and counted.
class DialogDriver : public QObject
{
public:
    using Step = std::function<void(QWidget *)>;
    explicit DialogDriver(std::vector<Step> steps) : steps_(std::move(steps))
    {
        connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start(10);
    }
    int seen() const { return seen_; }

private:
    void poll()
    {
        QWidget *w = QApplication::activeModalWidget();
        if (!w)
            return;
        if (w != last_) {
            last_ = w;
            ++seen_;
        } else if (since_.elapsed() < 300) {
            return;
        } else {
            // The dialog took no notice (it may not have been ready): answer again.
            qWarning("dialog %s still open, answering again", qPrintable(w->windowTitle()));
        }
        since_.start();
        if (std::size_t(seen_) <= steps_.size())
            steps_[std::size_t(seen_ - 1)](w);
        else if (auto *d = qobject_cast<QDialog *>(w))
            d->reject();
    }
    std::vector<Step> steps_;
    QPointer<QWidget> last_;
    QTimer timer_;
    QElapsedTimer since_;
    int seen_ = 0;
};

DialogDriver::Step openFile(const QString &path, QString *caption = nullptr)
{
    return [path, caption](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        if (!d)
            return;
        if (caption)
            *caption = d->windowTitle() + "|" + d->nameFilters().join(";");
        // selectFile leaves the name field alone while it has the focus, so
        // the path is typed into the field, as a user would.
        if (auto *edit = d->findChild<QLineEdit *>("fileNameEdit"))
            edit->setText(path);
        else
            d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    };
}

DialogDriver::Step chooseItem(int index, QStringList *items = nullptr, QString *label = nullptr)
{
    return [=](QWidget *w) {
        auto *d = qobject_cast<QInputDialog *>(w);
        if (!d)
            return;
        if (items)
            *items = d->comboBoxItems();
        if (label)
            *label = d->windowTitle() + "|" + d->labelText() + (d->isComboBoxEditable() ? "|editable" : "");
        d->setTextValue(d->comboBoxItems().value(index));
        d->accept();
    };
}

DialogDriver::Step cancel()
{
    return [](QWidget *w) {
        if (auto *d = qobject_cast<QDialog *>(w))
            d->reject();
    };
}

} // namespace

class CSTimerTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { requireIsolation(); }

    void realFilesImportAsASecondReadingSays_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : realFiles)
            QTest::newRow(name) << QString(name);
    }
    void realFilesImportAsASecondReadingSays()
    {
        QFETCH(QString, name);
        const QString path = realFilePath(name);
        if (!QFile::exists(path))
            QSKIP(qPrintable("shared data not present: " + path));
        const QByteArray bytes = readFile(path);
        const std::vector<RefPiece> want = referenceRead(bytes);
        const std::optional<CSTimerFile> got = parseCSTimerFile(bytes);
        QVERIFY(got);

        // Every session key is a piece, empty ones too, highest number first.
        QCOMPARE(got->pieces.size(), want.size());
        RefPiece all;
        std::size_t largest = 0;
        for (std::size_t k = 0; k < want.size(); ++k) {
            all.insert(all.end(), want[k].begin(), want[k].end());
            if (want[k].size() > want[largest].size())
                largest = k;
        }
        // The file names carry csTimer's own solve count.
        const QRegularExpressionMatch m = QRegularExpression("_(\\d+)solves").match(name);
        if (m.hasMatch())
            QCOMPARE(got->totalSolves(), m.captured(1).toInt());

        compareSolves(cstimerChosenSolves(*got, 0), all);
        compareSolves(cstimerChosenSolves(*got, int(largest) + 1), want[largest]);

        const QStringList choices = cstimerImportChoices(*got);
        QCOMPARE(choices.size(), int(want.size()) + 1);
        QCOMPARE(choices[0], QString("Merge all sessions together (%1 solves)").arg(all.size()));
        QCOMPARE(choices[int(largest) + 1],
                 QString("Import only session %1 (%2 solves)").arg(largest + 1).arg(want[largest].size()));
        QCOMPARE(cstimerImportQuestion(*got),
                 QString("I've detected %1 sessions of CSTimer data with %2 solves altogether. What should I do?")
                     .arg(want.size()).arg(all.size()));
    }

    void realFilesSurviveTheTimesFile_data() { realFilesImportAsASecondReadingSays_data(); }
    void realFilesSurviveTheTimesFile()
    {
        QFETCH(QString, name);
        const QString path = realFilePath(name);
        if (!QFile::exists(path))
            QSKIP(qPrintable("shared data not present: " + path));
        SessionData probe;
        probe.append(1000, {}, {}, "R", 1, 0);
        if (formatTimesFile(probe.view()).isEmpty())
            QSKIP("the times file writer is not built yet");

        const std::optional<CSTimerFile> file = parseCSTimerFile(readFile(path));
        QVERIFY(file);
        const SessionData session = mergeInDateOrder(SessionData().view(), cstimerChosenSolves(*file, 0));
        const QByteArray saved = formatTimesFile(session.view());
        QCOMPARE(saved.count('\n'), session.size());
        const SessionData back = parseTimesFile(saved, 0);
        QCOMPARE(back.size(), session.size());
        for (int i = 0; i < session.size(); ++i) {
            const std::size_t u = std::size_t(i);
            QCOMPARE(back.scrambles[i], session.scrambles[i]);
            QCOMPARE(back.dates[u], session.dates[u]);
            QCOMPARE(back.penalties[u], session.penalties[u]);
            QCOMPARE(back.splits[u], session.splits[u]);
            QCOMPARE(back.times[u], session.times[u]);
        }
    }

    void readerMendsWhatCsTimerFilesHold()
    {
        // Keys sort as text in a JSON object; pieces go by number. String
        // sessions, empty sessions, junk records, float noise, phase ends,
        // penalties and missing time stamps.
        const QByteArray text = json("{'session9':[[[2000,1000.4],'A\\nB\\r\\nC','c, [x]',5]],"
                                     "'session10':'[[[1,32200.000000000004],\\'L\\',\\'\\'],"
                                     "[[4000,10],\\'M\\',\\'\\',7,[\\'R@0\\',\\'333\\',1]]]',"
                                     "'session2':[], 'sessionData':[], 'session11':{}, 'session':[],"
                                     "'session1':[[[-1,8612,6904,5160,377],'S','',1700000000], 5, [], [[0]], ['x']],"
                                     "'properties':{'sessionData':'{}'}}");
        const std::optional<CSTimerFile> file = parseCSTimerFile(text);
        QVERIFY(file);
        QCOMPARE(file->pieces.size(), std::size_t(5)); // 11, 10, 9, 2, 1
        QCOMPARE(file->pieces[0].size(), 0);
        const SessionData &ten = file->pieces[1];
        QCOMPARE(ten.size(), 2);
        QCOMPARE(ten.times, (std::vector<float>{32200, 10}));
        QCOMPARE(ten.penalties, (std::vector<qint32>{PenaltyPlusTwo, PenaltyNone}));
        QCOMPARE(ten.dates, (std::vector<qint64>{0, 7}));
        const SessionData &nine = file->pieces[2];
        QCOMPARE(nine.times[0], 1000.0f);
        QCOMPARE(nine.penalties[0], qint32(PenaltyPlusTwo));
        QCOMPARE(nine.scrambles[0], QString("A B  C"));
        QCOMPARE(file->pieces[3].size(), 0);
        const SessionData &one = file->pieces[4];
        QCOMPARE(one.size(), 1);
        QCOMPARE(one.penalties[0], qint32(PenaltyDnf));
        QCOMPARE(one.times[0], 8612.0f);
        QCOMPARE(one.splits[0], (std::vector<qint32>{377, 4783, 1744, 1708}));
        QCOMPARE(cstimerChosenSolves(*file, 0).scrambles, (QStringList{"L", "M", "A B  C", "S"}));
        QCOMPARE(cstimerChosenSolves(*file, 5).scrambles, QStringList{"S"});
        QCOMPARE(cstimerChosenSolves(*file, 6).size(), 0);

        // Not a JSON object: nothing at all.
        for (const QByteArray bad : {QByteArray(), QByteArray("{\"session1\":[[[0,1],\"R\",\"\",0]]"),
                                     QByteArray("[[[0,1],\"R\",\"\",0]]"), QByteArray("garbage")})
            QVERIFY(!parseCSTimerFile(bad));
        QCOMPARE(parseCSTimerFile("{}")->pieces.size(), std::size_t(0));
        // A repeated key (found by fuzzing; Qt's parser leaks a little on it) is one session.
        QCOMPARE(parseCSTimerFile(json("{'session4':[[[0,1],'R','',0]],'session4':[]}"))->pieces.size(), std::size_t(1));
        QCOMPARE(parseCSTimerFile("\xEF\xBB\xBF{\"session1\":[[[0,1],\"R\",\"\",0]]}")->totalSolves(), 1);
        QCOMPARE(cstimerImportChoices(*parseCSTimerFile("{}")), QStringList{"Merge all sessions together (0 solves)"});
    }

    void exportIsCsTimersShapeAndReadsBackWhole()
    {
        const SessionData s = sampleSession();
        const QByteArray text = formatCSTimerFile(s.view());
        QVERIFY(!text.contains('\n'));
        QVERIFY(text.startsWith("{\"session1\":[[[0,12346,10500,7300,2000],\"R U F\",\"Splits: 2.00 5.30 3.20 1.85\","
                                "1700000000],[[2000,9870],"));
        QVERIFY(text.contains("[[-1,2345678,1000],"));
        QVERIFY(text.contains("[[0,1235],\"L\",\"Splits: \",0]]"));
        QVERIFY(!text.contains("e+"));
        QVERIFY(text.endsWith("\"timeU\":\"n\",\"toolsfunc\":\"[\\\"trend\\\",\\\"stats\\\",\\\"cross\\\","
                              "\\\"distribution\\\"]\"}}"));

        QJsonParseError error;
        const QJsonObject top = QJsonDocument::fromJson(text, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(top.keys(), (QStringList{"properties", "session1"}));
        const QJsonValue sessionData = top["properties"].toObject()["sessionData"];
        QVERIFY(sessionData.isString());
        const QJsonObject data = QJsonDocument::fromJson(sessionData.toString().toUtf8()).object();
        QCOMPARE(data.size(), 15);
        QCOMPARE(data["1"].toObject()["stat"].toArray(), (QJsonArray{5, 0, (12346 + 9870 + 2345678 + 15000 + 1235) / 5}));
        QCOMPARE(data["15"].toObject()["rank"].toInt(), 15);

        const std::optional<CSTimerFile> back = parseCSTimerFile(text);
        QVERIFY(back);
        QCOMPARE(back->pieces.size(), std::size_t(1));
        const SessionData &r = back->pieces[0];
        QCOMPARE(r.size(), s.size());
        QCOMPARE(r.scrambles, s.scrambles);
        QCOMPARE(r.dates, s.dates);
        QCOMPARE(r.penalties, (std::vector<qint32>{0, 1, -1, 0, 0}));
        QCOMPARE(r.times, (std::vector<float>{12346, 9870, 2345678, 15000, 1235}));
        // Splits that make up the time come back exactly; a single split is
        // not a multi-phase solve in csTimer.
        QCOMPARE(r.splits[0], s.splits[0]);
        QCOMPARE(r.splits[2], s.splits[2]);
        QVERIFY(r.splits[3].empty());

        // A line break goes out escaped and comes back as a space.
        SessionData lf;
        lf.append(1000, {}, {}, "1) R\n2) U", 1, 0);
        QVERIFY(formatCSTimerFile(lf.view()).contains("\"1) R\\n2) U\""));
        QCOMPARE(parseCSTimerFile(formatCSTimerFile(lf.view()))->pieces[0].scrambles[0], QString("1) R 2) U"));
    }

    void mergeAppendsAndSortsByDateStably()
    {
        SessionData existing;
        existing.append(1, {}, {}, "e0", 50, 0);
        existing.append(2, {0.5f, 2}, {1, 1}, "e1", 10, 1);
        SessionData added;
        added.append(3, {}, {}, "a0", 50, 0);
        added.append(4, {}, {}, "a1", 10, 0);
        added.append(5, {}, {}, "a2", 0, -1);
        const SessionData once = mergeInDateOrder(existing.view(), added);
        QCOMPARE(once.scrambles, (QStringList{"a2", "e1", "a1", "e0", "a0"}));
        QCOMPARE(once.pauseStats[1], (PauseStats{0.5f, 2}));
        QCOMPARE(once.splits[1], (std::vector<qint32>{1, 1}));
        QCOMPARE(once.penalties, (std::vector<qint32>{-1, 1, 0, 0, 0}));
        const SessionData twice = mergeInDateOrder(once.view(), added);
        QCOMPARE(twice.scrambles, (QStringList{"a2", "a2", "e1", "a1", "a1", "e0", "a0", "a0"}));
        QCOMPARE(dateOrder({3, 1, 3, 1, 2}), (std::vector<int>{1, 3, 4, 0, 2}));
    }

    void importGoesThroughTheDialogs()
    {
        QTemporaryDir dir;
        const QString tiny = realFilePath(realFiles[0]);
        const QString multi = dir.filePath("multi.txt");
        {
            QFile f(multi);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(json("{'session1':[[[0,1000],'one','',30]],'session2':[],'session10':[[[0,2000],'ten','',20]],"
                         "'properties':{}}"));
        }
        const QString broken = dir.filePath("broken.txt");
        {
            QFile f(broken);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("{\"session1\":[[[0,1000],\"one\",\"\",30]");
        }

        Cadenza w;
        w.replaceSession(SessionData{});
        w.updateHistory();
        QString caption, label;
        QStringList items;
        {
            DialogDriver d({openFile(tiny, &caption), chooseItem(0, &items, &label)});
            w.importCSTimerSession();
            QCOMPARE(d.seen(), 2);
        }
        QCOMPARE(caption, QString("Import solve session from CSTimer format|Txt file (*.txt)"));
        QCOMPARE(label, QString("Importing CSTimer data|I've detected 15 sessions of CSTimer data with 3 solves "
                                "altogether. What should I do?"));
        QCOMPARE(items.size(), 16);
        QCOMPARE(items[15], QString("Import only session 15 (3 solves)"));
        QCOMPARE(w.penalties, (std::vector<qint32>{0, -1, 1}));
        QCOMPARE(w.times, (std::vector<float>{1326, 1130, 846}));
        QCOMPARE(int(w.dates.size()), 3);

        // Importing again appends again; a cancelled choice or a file that is
        // not JSON changes nothing and shows no choice.
        {
            DialogDriver d({openFile(tiny), chooseItem(15)});
            w.importCSTimerSession();
        }
        QCOMPARE(w.times, (std::vector<float>{1326, 1326, 1130, 1130, 846, 846}));
        {
            DialogDriver d({openFile(tiny), cancel()});
            w.importCSTimerSession();
        }
        {
            DialogDriver d({openFile(broken)});
            w.importCSTimerSession();
            QTest::qWait(50);
            QCOMPARE(d.seen(), 1);
        }
        QCOMPARE(w.times.size(), std::size_t(6));

        // "session 1" of the choice is the highest-numbered session.
        {
            DialogDriver d({openFile(multi), chooseItem(1, &items)});
            w.importCSTimerSession();
        }
        QCOMPARE(items, (QStringList{"Merge all sessions together (2 solves)", "Import only session 1 (1 solves)",
                                     "Import only session 2 (0 solves)", "Import only session 3 (1 solves)"}));
        QCOMPARE(w.scrambles.first(), QString("ten"));
        QCOMPARE(w.dates.front(), qint64(20));

        // The export writes what the import reads.
        const QString out = dir.filePath("out.txt");
        {
            DialogDriver d({openFile(out, &caption)});
            w.exportCSTimerSession();
        }
        QCOMPARE(caption, QString("Export solve session to CSTimer format|Txt file (*.txt)"));
        const std::optional<CSTimerFile> back = parseCSTimerFile(readFile(out));
        QVERIFY(back);
        QCOMPARE(back->pieces.at(0).scrambles, w.scrambles);
        QCOMPARE(back->pieces.at(0).penalties, w.penalties);
    }
};

QTEST_MAIN(CSTimerTest)
#include "test_cstimer.moc"
