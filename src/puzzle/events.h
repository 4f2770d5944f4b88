#ifndef CADENZA_EVENTS_H
#define CADENZA_EVENTS_H

#include <QString>
#include <vector>

// The events a session can be for: each has a name shown to the user and the
// csTimer scramble type code that a csTimer session of it carries.
namespace events {

enum class Event {
    Cube333,
    Cube222,
    Cube444,
    Cube555,
    Cube666,
    Cube777,
    Blind333,
    OneHanded333,
    Fewest333,
    Pyraminx,
    Skewb,
    Megaminx,
    Square1,
    Clock,
    Blind444,
    Blind555,
    MultiBlind333,
    // Any other csTimer type: the session keeps the code so that it exports
    // back unchanged, and shows no scramble.
    Other,
};

// Every event in the order the user chooses from, Other last.
const std::vector<Event> &allEvents();

// "3x3x3", "2x2x2", "Pyraminx", ... "Other".
QString eventName(Event e);
// The event a shown name stands for; Other for a name that is none.
Event eventForName(const QString &name);

// The csTimer type code of an event ("333", "222so", ...). Other has none of
// its own: the caller keeps the code it came with.
QString cstimerType(Event e);
// The event of a csTimer type code: "" and "333" are 3x3x3; an unknown code is Other.
Event eventForCstimerType(const QString &code);

// True for the events scrambled and pictured as a 3x3x3.
bool isCube333(Event e);

} // namespace events

#endif
