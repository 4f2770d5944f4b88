#include "session/sessionindex.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <set>

namespace sessionindex {

namespace {

const QRegularExpression &sessionFilePattern()
{
    static const QRegularExpression re(QStringLiteral("^session-([1-9][0-9]{0,8})\\.times$"));
    return re;
}

// The number of a session file: 1 for the first, N for session-N.times, 0 for
// anything else.
int fileNumber(const QString &fileName)
{
    if (fileName == firstFile)
        return 1;
    const QRegularExpressionMatch m = sessionFilePattern().match(fileName);
    const int n = m.hasMatch() ? m.captured(1).toInt() : 0;
    return n >= 2 ? n : 0;
}

QString nameOfFile(const QString &fileName)
{
    if (fileName == firstFile)
        return events::eventName(events::Event::Cube333);
    return fileName.left(fileName.size() - int(qstrlen(".times")));
}

} // namespace

QByteArray format(const Index &index)
{
    QJsonArray sessions;
    for (const Entry &e : index.sessions) {
        QJsonObject o;
        o.insert(QStringLiteral("file"), e.file);
        o.insert(QStringLiteral("name"), e.name);
        o.insert(QStringLiteral("event"), cstimerTypeOf(e));
        o.insert(QStringLiteral("splits"), e.splits);
        sessions.append(o);
    }
    QJsonObject top;
    top.insert(QStringLiteral("sessions"), sessions);
    top.insert(QStringLiteral("current"), index.current);
    return QJsonDocument(top).toJson(QJsonDocument::Compact) + '\n';
}

std::optional<Index> parse(const QByteArray &text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject top = doc.object();
    if (!top.value(QStringLiteral("sessions")).isArray())
        return std::nullopt;
    Index index;
    for (const QJsonValue &v : top.value(QStringLiteral("sessions")).toArray()) {
        const QJsonObject o = v.toObject();
        Entry e;
        e.file = o.value(QStringLiteral("file")).toString();
        e.name = o.value(QStringLiteral("name")).toString();
        const QString type = o.value(QStringLiteral("event")).toString();
        e.event = events::eventForCstimerType(type);
        if (e.event == events::Event::Other)
            e.otherType = type;
        e.splits = std::clamp(o.value(QStringLiteral("splits")).toInt(), 0, 2);
        index.sessions.push_back(e);
    }
    index.current = top.value(QStringLiteral("current")).toInt();
    return index;
}

bool isSessionFile(const QString &fileName)
{
    return fileNumber(fileName) > 0;
}

QString newSessionFile(const std::vector<Entry> &sessions, const QStringList &filesInFolder)
{
    int highest = 1;
    for (const Entry &e : sessions)
        highest = std::max(highest, fileNumber(e.file));
    for (const QString &f : filesInFolder)
        highest = std::max(highest, fileNumber(f));
    return QStringLiteral("session-%1.times").arg(highest + 1);
}

Index reconcile(const std::optional<Index> &stored, const QStringList &filesInFolder)
{
    Index out;
    std::set<QString> listed;
    QString currentFile;
    if (stored) {
        for (std::size_t i = 0; i < stored->sessions.size(); ++i) {
            const Entry &e = stored->sessions[i];
            if (!isSessionFile(e.file) || !listed.insert(e.file).second)
                continue;
            if (int(i) == stored->current)
                currentFile = e.file;
            out.sessions.push_back(e);
        }
    }
    QStringList found;
    for (const QString &f : filesInFolder)
        if (isSessionFile(f) && !listed.count(f))
            found << f;
    std::sort(found.begin(), found.end(),
              [](const QString &a, const QString &b) { return fileNumber(a) < fileNumber(b); });
    for (const QString &f : found) {
        Entry e;
        e.file = f;
        e.name = nameOfFile(f);
        out.sessions.push_back(e);
        listed.insert(f);
    }
    if (out.sessions.empty()) {
        Entry e;
        e.file = firstFile;
        e.name = nameOfFile(firstFile);
        out.sessions.push_back(e);
    }
    out.current = 0;
    for (std::size_t i = 0; i < out.sessions.size(); ++i)
        if (out.sessions[i].file == currentFile)
            out.current = int(i);
    return out;
}

QString cstimerTypeOf(const Entry &entry)
{
    return entry.event == events::Event::Other ? entry.otherType : events::cstimerType(entry.event);
}

} // namespace sessionindex
