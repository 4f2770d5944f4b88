#include "exchange/cstimer.h"
#include "session/timesfile.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <limits>

namespace {

// Rounds a JSON number into a range, so that no value of a hostile file can
// overflow a conversion.
qint64 roundClamped(double v, qint64 lo, qint64 hi)
{
    if (!std::isfinite(v))
        return 0;
    v = std::round(v);
    if (v <= double(lo))
        return lo;
    if (v >= double(hi))
        return hi;
    return qint64(v);
}

qint32 toInt32(qint64 v)
{
    return qint32(std::clamp<qint64>(v, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

// The phase ends must stay far inside qint64 so that their differences cannot
// overflow either.
const qint64 endLimit = qint64(1) << 52;

// The session number of a top-level key "sessionN", or an empty string when
// the key is not one. Leading zeros are dropped so numbers compare as text of
// equal length.
QString sessionNumber(const QString &key)
{
    static const QString prefix = QStringLiteral("session");
    if (!key.startsWith(prefix) || key.size() == prefix.size())
        return {};
    for (int i = prefix.size(); i < key.size(); ++i)
        if (key[i] < QLatin1Char('0') || key[i] > QLatin1Char('9'))
            return {};
    QString digits = key.mid(prefix.size());
    int nonZero = 0;
    while (nonZero < digits.size() - 1 && digits[nonZero] == QLatin1Char('0'))
        ++nonZero;
    return digits.mid(nonZero);
}

// Higher session number first; equal numbers (session01 and session1) in key order.
struct Piece
{
    QString number;
    QString key;
    bool operator<(const Piece &o) const
    {
        if (number.size() != o.number.size())
            return number.size() > o.number.size();
        if (number != o.number)
            return number > o.number;
        return key < o.key;
    }
};

QString withoutLineBreaks(QString text)
{
    for (QChar &c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    return text;
}

void readRecord(const QJsonValue &value, SessionData &out)
{
    if (!value.isArray())
        return;
    const QJsonArray record = value.toArray();
    if (record.isEmpty() || !record.at(0).isArray())
        return;
    const QJsonArray timing = record.at(0).toArray();
    if (timing.size() < 2)
        return;

    const double code = timing.at(0).toDouble();
    qint32 penalty = PenaltyNone;
    if (code == 2000 || code == 1)
        penalty = PenaltyPlusTwo;
    else if (code == -1)
        penalty = PenaltyDnf;

    const qint64 total = roundClamped(timing.at(1).toDouble(), -endLimit, endLimit);

    // Phase ends follow the total, latest first: [pen, total, e(k-1), ..., e1].
    std::vector<qint32> phases;
    if (timing.size() > 2) {
        phases.reserve(timing.size() - 1);
        qint64 previous = 0;
        for (int i = timing.size() - 1; i >= 2; --i) {
            const qint64 end = roundClamped(timing.at(i).toDouble(), -endLimit, endLimit);
            phases.push_back(toInt32(end - previous));
            previous = end;
        }
        phases.push_back(toInt32(total - previous));
    }

    const QString scramble = record.size() > 1 ? withoutLineBreaks(record.at(1).toString()) : QString();
    qint64 date = 0;
    if (record.size() > 3 && record.at(3).isDouble())
        date = roundClamped(record.at(3).toDouble(), std::numeric_limits<qint64>::min() / 2,
                            std::numeric_limits<qint64>::max() / 2);

    const float time = float(std::clamp(double(total), -double(FLT_MAX), double(FLT_MAX)));
    out.append(time, PauseStats{}, std::move(phases), scramble, date, penalty);
}

SessionData readSession(const QJsonValue &value)
{
    QJsonArray records;
    if (value.isArray()) {
        records = value.toArray();
    } else if (value.isString()) {
        const QJsonDocument inner = QJsonDocument::fromJson(value.toString().toUtf8());
        if (inner.isArray())
            records = inner.array();
    }
    SessionData session;
    session.times.reserve(records.size());
    for (const QJsonValue &record : records)
        readRecord(record, session);
    return session;
}

void appendJsonNumber(QByteArray &out, qint64 v)
{
    out += QByteArray::number(qlonglong(v));
}

qint64 wholeMs(float time)
{
    return roundClamped(double(time), -endLimit, endLimit);
}

// An object, or a string holding an object's JSON text; else an empty object.
QJsonObject objectOrItsText(const QJsonValue &value)
{
    if (value.isObject())
        return value.toObject();
    if (value.isString()) {
        const QJsonDocument inner = QJsonDocument::fromJson(value.toString().toUtf8());
        if (inner.isObject())
            return inner.object();
    }
    return {};
}

} // namespace

int CSTimerFile::totalSolves() const
{
    int total = 0;
    for (const SessionData &piece : pieces)
        total += piece.size();
    return total;
}

std::optional<CSTimerFile> parseCSTimerFile(const QByteArray &text)
{
    // A byte order mark, as some editors add, is not part of the JSON text.
    const QByteArray bom("\xEF\xBB\xBF");
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.startsWith(bom) ? text.mid(bom.size()) : text, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject top = doc.object();

    std::vector<Piece> order;
    for (auto it = top.begin(); it != top.end(); ++it) {
        QString number = sessionNumber(it.key());
        if (!number.isEmpty())
            order.push_back({number, it.key()});
    }
    std::sort(order.begin(), order.end());

    // What csTimer says of each session: properties (an object, or its JSON
    // text in older files) holds sessionData (an object, or its JSON text).
    const QJsonObject properties = objectOrItsText(top.value(QStringLiteral("properties")));
    const QJsonObject sessionData = objectOrItsText(properties.value(QStringLiteral("sessionData")));

    CSTimerFile file;
    file.pieces.reserve(order.size());
    for (const Piece &piece : order) {
        file.pieces.push_back(readSession(top.value(piece.key)));
        CSTimerSessionInfo info;
        info.number = piece.number;
        info.rank = piece.number.size() < 9 ? piece.number.toInt() : std::numeric_limits<int>::max();
        info.name = piece.number;
        const QJsonObject data = sessionData.value(piece.number).toObject();
        const QJsonValue name = data.value(QStringLiteral("name"));
        if (name.isString() && !name.toString().isEmpty())
            info.name = name.toString();
        else if (name.isDouble())
            info.name = QString::number(name.toDouble(), 'g', 15);
        info.type = data.value(QStringLiteral("opt")).toObject().value(QStringLiteral("scrType")).toString();
        if (data.value(QStringLiteral("rank")).isDouble())
            info.rank = int(roundClamped(data.value(QStringLiteral("rank")).toDouble(), 0, std::numeric_limits<int>::max()));
        file.info.push_back(info);
    }
    return file;
}

std::vector<int> cstimerSessionsToImport(const CSTimerFile &file)
{
    std::vector<int> out;
    for (std::size_t k = 0; k < file.pieces.size() && k < file.info.size(); ++k)
        if (file.pieces[k].size() > 0 || file.info[k].name != file.info[k].number)
            out.push_back(int(k));
    std::stable_sort(out.begin(), out.end(), [&file](int a, int b) {
        const CSTimerSessionInfo &x = file.info[std::size_t(a)], &y = file.info[std::size_t(b)];
        if (x.rank != y.rank)
            return x.rank < y.rank;
        return x.number.size() != y.number.size() ? x.number.size() < y.number.size() : x.number < y.number;
    });
    return out;
}

QString cstimerSeparateChoice(const CSTimerFile &file)
{
    const std::vector<int> sessions = cstimerSessionsToImport(file);
    int solves = 0;
    for (int k : sessions)
        solves += file.pieces[std::size_t(k)].size();
    return QCoreApplication::translate("Cadenza", "Import every session as its own session (%1 sessions, %2 solves)")
        .arg(sessions.size())
        .arg(solves);
}

namespace {

// A solve as the duplicate check sees it.
struct SolveId
{
    quint32 timeBits;
    qint32 penalty;
    qint64 date;
    QString scramble;
    bool operator==(const SolveId &o) const
    {
        return timeBits == o.timeBits && penalty == o.penalty && date == o.date && scramble == o.scramble;
    }
};

struct SolveIdHash
{
    std::size_t operator()(const SolveId &id) const
    {
        return std::size_t(qHash(id.scramble)) ^ (std::size_t(id.timeBits) * 0x9E3779B1u)
               ^ std::size_t(quint64(id.date) * 0x85EBCA77u) ^ std::size_t(quint32(id.penalty) << 7);
    }
};

SolveId solveId(const SessionView &s, std::size_t i)
{
    SolveId id;
    std::memcpy(&id.timeBits, &s.times[i], sizeof id.timeBits);
    id.penalty = s.penalties[i];
    id.date = s.dates[i];
    // As the times file and the csTimer reader keep it: a Megaminx's lines
    // joined, so a solve of this run (lines still apart) meets its export.
    id.scramble = scrambleForTimesFile(s.scrambles[int(i)]);
    return id;
}

} // namespace

SessionData mergeNewSolves(const SessionView &existing, const SessionData &added)
{
    std::unordered_map<SolveId, int, SolveIdHash> held;
    held.reserve(existing.times.size());
    for (std::size_t i = 0; i < existing.times.size(); ++i)
        ++held[solveId(existing, i)];
    const SessionView from = added.view();
    SessionData fresh;
    for (std::size_t i = 0; i < added.times.size(); ++i) {
        const auto found = held.find(solveId(from, i));
        if (found != held.end() && found->second > 0) {
            --found->second;
            continue;
        }
        fresh.append(added.times[i], added.pauseStats[i], added.splits[i], added.scrambles[int(i)], added.dates[i],
                     added.penalties[i]);
    }
    return mergeInDateOrder(existing, fresh);
}

QStringList cstimerImportChoices(const CSTimerFile &file)
{
    QStringList choices;
    choices << QCoreApplication::translate("Cadenza", "Merge all sessions together (%1 solves)").arg(file.totalSolves());
    for (std::size_t k = 0; k < file.pieces.size(); ++k)
        choices << QCoreApplication::translate("Cadenza", "Import only session %1 (%2 solves)").arg(k + 1).arg(file.pieces[k].size());
    return choices;
}

QString cstimerImportQuestion(const CSTimerFile &file)
{
    return QCoreApplication::translate("Cadenza", "I've detected %1 sessions of CSTimer data with %2 solves altogether. What should I do?")
        .arg(file.pieces.size())
        .arg(file.totalSolves());
}

SessionData cstimerChosenSolves(const CSTimerFile &file, int choice)
{
    SessionData out;
    if (choice < 0 || choice > int(file.pieces.size()))
        return out;
    const std::size_t first = choice == 0 ? 0 : std::size_t(choice - 1);
    const std::size_t last = choice == 0 ? file.pieces.size() : std::size_t(choice);
    for (std::size_t k = first; k < last; ++k) {
        const SessionData &p = file.pieces[k];
        out.times.insert(out.times.end(), p.times.begin(), p.times.end());
        out.dates.insert(out.dates.end(), p.dates.begin(), p.dates.end());
        out.pauseStats.insert(out.pauseStats.end(), p.pauseStats.begin(), p.pauseStats.end());
        out.splits.insert(out.splits.end(), p.splits.begin(), p.splits.end());
        out.scrambles += p.scrambles;
        out.penalties.insert(out.penalties.end(), p.penalties.begin(), p.penalties.end());
    }
    return out;
}

std::vector<int> dateOrder(const std::vector<qint64> &dates)
{
    std::vector<int> order(dates.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&dates](int a, int b) { return dates[a] < dates[b]; });
    return order;
}

SessionData mergeInDateOrder(const SessionView &existing, const SessionData &added)
{
    const std::size_t n = existing.times.size();
    const std::size_t total = n + added.times.size();
    std::vector<qint64> allDates(existing.dates);
    allDates.insert(allDates.end(), added.dates.begin(), added.dates.end());
    const std::vector<int> order = dateOrder(allDates);

    SessionData out;
    out.times.reserve(total);
    out.dates.reserve(total);
    out.pauseStats.reserve(total);
    out.splits.reserve(total);
    out.scrambles.reserve(int(total));
    out.penalties.reserve(total);
    for (int idx : order) {
        const std::size_t i = std::size_t(idx);
        if (i < n)
            out.append(existing.times[i], existing.pauseStats[i], existing.splits[i], existing.scrambles[int(i)],
                       existing.dates[i], existing.penalties[i]);
        else
            out.append(added.times[i - n], added.pauseStats[i - n], added.splits[i - n],
                       added.scrambles[int(i - n)], added.dates[i - n], added.penalties[i - n]);
    }
    return out;
}

QByteArray jsonString(const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    out += '"';
    for (char ch : utf8) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

namespace {

// The records of one session, "[...],[...]", each with its real penalty (2000
// for +2, -1 for DNF), whole-millisecond time, phase ends, scramble, a
// "Splits: ..." comment and date. `sum` gets the sum of the times.
void appendRecords(QByteArray &out, const SessionView &session, qint64 &sum)
{
    const int n = session.size();
    for (int i = 0; i < n; ++i) {
        const qint64 ms = wholeMs(session.times[i]);
        sum += ms;
        const qint32 code = session.penalties[i];
        out += "[[";
        out += code == PenaltyPlusTwo ? "2000" : code == PenaltyDnf ? "-1" : "0";
        out += ',';
        appendJsonNumber(out, ms);
        // csTimer's phase ends: cumulative, latest first, the last phase ending
        // at the total. Splits that do not add up to the time are clipped: an
        // end lies between the one before it and the total, so no phase comes
        // back negative; the early phases, measured from the start, stay exact.
        const std::vector<qint32> &parts = session.splits[i];
        if (parts.size() > 1) {
            std::vector<qint64> ends;
            ends.reserve(parts.size() - 1);
            qint64 end = 0, clipped = 0;
            for (std::size_t j = 0; j + 1 < parts.size(); ++j) {
                end += parts[j];
                clipped = std::clamp(end, clipped, std::max<qint64>(ms, clipped));
                ends.push_back(clipped);
            }
            for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
                out += ',';
                appendJsonNumber(out, *it);
            }
        }
        out += "],";
        out += jsonString(session.scrambles[i]);
        out += ',';
        QString comment = QStringLiteral("Splits: ");
        for (std::size_t j = 0; j < parts.size(); ++j) {
            if (j > 0)
                comment += QLatin1Char(' ');
            comment += QString::number(parts[j] / 1000.0, 'f', 2);
        }
        out += jsonString(comment);
        out += ',';
        appendJsonNumber(out, session.dates[i]);
        out += ']';
        if (i + 1 < n)
            out += ',';
    }
}

} // namespace

QByteArray formatCSTimerFile(const SessionView &session)
{
    const int n = session.size();
    QByteArray out;
    out.reserve(n * 120 + 1200);
    out += "{\"session1\":[";
    qint64 sum = 0;
    appendRecords(out, session, sum);
    out += "],\"properties\":{\"sessionData\":\"{";
    out += "\\\"1\\\":{\\\"name\\\":1,\\\"opt\\\":{},\\\"rank\\\":1,\\\"stat\\\":[";
    appendJsonNumber(out, n);
    out += ",0,";
    appendJsonNumber(out, n > 0 ? sum / n : 0);
    out += "],\\\"date\\\":[1588629764,1601230448]},";
    for (int k = 2; k <= 15; ++k) {
        const QByteArray num = QByteArray::number(k);
        out += "\\\"" + num + "\\\":{\\\"name\\\":" + num + ",\\\"opt\\\":{},\\\"rank\\\":" + num + "}";
        if (k < 15)
            out += ',';
    }
    out += "}\",";
    out += "\"timeU\":\"n\",";
    out += "\"toolsfunc\":\"[\\\"trend\\\",\\\"stats\\\",\\\"cross\\\",\\\"distribution\\\"]\"}";
    out += '}';
    return out;
}

QByteArray formatCSTimerFileAll(const std::vector<CSTimerExportSession> &sessions)
{
    std::size_t records = 0;
    for (const CSTimerExportSession &s : sessions)
        records += std::size_t(s.solves.size());
    QByteArray out;
    out.reserve(int(std::min<std::size_t>(records * 120 + sessions.size() * 200 + 200, 1u << 30)));
    out += '{';
    QJsonObject sessionData;
    for (std::size_t k = 0; k < sessions.size(); ++k) {
        const CSTimerExportSession &s = sessions[k];
        const QString number = QString::number(k + 1);
        out += "\"session" + number.toLatin1() + "\":[";
        qint64 sum = 0;
        appendRecords(out, s.solves, sum);
        out += "],";
        const int n = s.solves.size();
        qint64 first = 0, last = 0;
        if (n > 0) {
            const auto [lo, hi] = std::minmax_element(s.solves.dates.begin(), s.solves.dates.end());
            first = *lo;
            last = *hi;
        }
        QJsonObject opt;
        if (!s.type.isEmpty() && s.type != QLatin1String("333"))
            opt.insert(QStringLiteral("scrType"), s.type);
        QJsonObject data;
        data.insert(QStringLiteral("name"), s.name);
        data.insert(QStringLiteral("opt"), opt);
        data.insert(QStringLiteral("rank"), int(k + 1));
        data.insert(QStringLiteral("stat"), QJsonArray{n, 0, double(n > 0 ? sum / n : 0)});
        data.insert(QStringLiteral("date"), QJsonArray{double(first), double(last)});
        sessionData.insert(number, data);
    }
    out += "\"properties\":{\"sessionData\":";
    out += jsonString(QString::fromUtf8(QJsonDocument(sessionData).toJson(QJsonDocument::Compact)));
    out += ",\"sessionN\":";
    appendJsonNumber(out, qint64(sessions.size()));
    out += "}}";
    return out;
}

// The window's operations. The fuzzing build compiles the reader alone.
#ifndef CADENZA_CSTIMER_READER_ONLY

#include "app/cadenza.h"
#include "session/timesfile.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>

void Cadenza::exportCSTimerSession()
{
    if (times.empty())
        return;
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Export solve session to CSTimer format"),
                                                          QDir::currentPath(), tr("Txt file (*.txt)"));
    if (!fileName.isEmpty())
        exportCSTimerSessionTo(fileName);
}

bool Cadenza::exportCSTimerSessionTo(const QString &fileName)
{
    QString error;
    const bool written = writeFileAtomically(fileName, formatCSTimerFile(sessionView()), false, {}, &error);
    if (!written)
        showProblem(tr("Export CSTimer Session"), tr("Could not export the session to %1 (%2).")
                                                      .arg(QDir::toNativeSeparators(fileName), error));
    return written;
}

void Cadenza::importCSTimerSession()
{
    const QString fileName = QFileDialog::getOpenFileName(this, tr("Import solve session from CSTimer format"),
                                                          QDir::currentPath(), tr("Txt file (*.txt)"));
    if (!fileName.isEmpty())
        importCSTimerSessionFrom(fileName);
}

void Cadenza::importCSTimerSessionFrom(const QString &fileName)
{
    const QString shown = QDir::toNativeSeparators(fileName);
    const QString title = tr("Import CSTimer Session");
    QByteArray content;
    qint64 modified = 0;
    QString error;
    if (!readRegularFile(fileName, content, modified, &error)) {
        showProblem(title, tr("Could not read %1 (%2). Nothing was imported.").arg(shown, error));
        return;
    }
    const std::optional<CSTimerFile> parsed = parseCSTimerFile(content);
    if (!parsed) {
        showProblem(title, tr("%1 is not a csTimer export. Nothing was imported.").arg(shown));
        return;
    }
    if (parsed->totalSolves() == 0) {
        showProblem(title, tr("%1 holds no csTimer solves. Nothing was imported.").arg(shown));
        return;
    }

    // First, every csTimer session as a session of its own; then the merges
    // into the current session, the first of them chosen as it always was.
    const QStringList choices = QStringList{cstimerSeparateChoice(*parsed)} + cstimerImportChoices(*parsed);
    bool ok = false;
    const QString answer = QInputDialog::getItem(this, tr("Importing CSTimer data"), cstimerImportQuestion(*parsed),
                                                 choices, 1, false, &ok);
    if (!ok)
        return;
    const int choice = choices.indexOf(answer);
    if (choice < 0)
        return;
    if (choice == 0) {
        importCSTimerSeparately(*parsed);
        return;
    }

    SessionData merged = mergeInDateOrder(sessionView(), cstimerChosenSolves(*parsed, choice - 1));
    SessionData before = takeSession();
    replaceSession(std::move(merged));
    updateHistory();
    autosave();
    recordSessionChange(tr("Import csTimer Session"), std::move(before));
}

void Cadenza::on_actionExport_CSTimer_Session_triggered()
{
    exportCSTimerSession();
}

void Cadenza::on_actionImport_CSTimer_Session_triggered()
{
    importCSTimerSession();
}

#endif
