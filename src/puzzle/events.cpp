#include "puzzle/events.h"

#include <QCoreApplication>

namespace events {

namespace {

struct Info
{
    Event event;
    const char *name;
    const char *cstimer;
};

const Info infos[] = {
    {Event::Cube333, "3x3x3", "333"},
    {Event::Cube222, "2x2x2", "222so"},
    {Event::Cube444, "4x4x4", "444wca"},
    {Event::Cube555, "5x5x5", "555wca"},
    {Event::Cube666, "6x6x6", "666wca"},
    {Event::Cube777, "7x7x7", "777wca"},
    {Event::Blind333, "3x3x3 Blindfolded", "333ni"},
    {Event::OneHanded333, "3x3x3 One-Handed", "333oh"},
    {Event::Fewest333, "3x3x3 Fewest Moves", "333fm"},
    {Event::Pyraminx, "Pyraminx", "pyrso"},
    {Event::Skewb, "Skewb", "skbso"},
    {Event::Megaminx, "Megaminx", "mgmp"},
    {Event::Square1, "Square-1", "sqrs"},
    {Event::Clock, "Clock", "clkwca"},
    {Event::Blind444, "4x4x4 Blindfolded", "444bld"},
    {Event::Blind555, "5x5x5 Blindfolded", "555bld"},
    {Event::MultiBlind333, "3x3x3 Multi-Blind", "r3ni"},
    {Event::Other, "Other", ""},
};

const Info &infoOf(Event e)
{
    for (const Info &i : infos)
        if (i.event == e)
            return i;
    return infos[std::size(infos) - 1];
}

} // namespace

const std::vector<Event> &allEvents()
{
    static const std::vector<Event> all = [] {
        std::vector<Event> v;
        for (const Info &i : infos)
            v.push_back(i.event);
        return v;
    }();
    return all;
}

QString eventName(Event e)
{
    return QCoreApplication::translate("Cadenza", infoOf(e).name);
}

Event eventForName(const QString &name)
{
    for (const Info &i : infos)
        if (name == QLatin1String(i.name) || name == QCoreApplication::translate("Cadenza", i.name))
            return i.event;
    return Event::Other;
}

QString cstimerType(Event e)
{
    return QLatin1String(infoOf(e).cstimer);
}

Event eventForCstimerType(const QString &code)
{
    if (code.isEmpty())
        return Event::Cube333;
    for (const Info &i : infos)
        if (i.event != Event::Other && code == QLatin1String(i.cstimer))
            return i.event;
    return Event::Other;
}

bool isCube333(Event e)
{
    return e == Event::Cube333 || e == Event::Blind333 || e == Event::OneHanded333 || e == Event::Fewest333
           || e == Event::MultiBlind333;
}

} // namespace events
