#ifndef CADENZA_RANDOMSCRAMBLER_H
#define CADENZA_RANDOMSCRAMBLER_H

#include "puzzle/events.h"
#include "puzzle/twophase.h"

#include <QMetaType>
#include <QObject>
#include <array>
#include <map>
#include <memory>
#include <random>

// The scrambles of every event for the window, without ever making it wait
// for long: each event's random-state tables are built on a worker thread the
// first time the event needs them (random-move scrambles serve until they are
// ready), and while the user solves the next random-state scramble is already
// being prepared on another. Taking it waits at most maxWaitMs for a search
// still running (which leaves room for the thread to wake within the 50 ms a
// stop may wait); past that the random-move generator serves that once, and
// the search's scramble is kept for the next take.
class RandomStateScrambler : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxWaitMs = 40;

    explicit RandomStateScrambler(QObject *parent = nullptr);
    ~RandomStateScrambler() override;

    // The scramble to show for `event` now: with randomState, for an event
    // that has random-state scrambles, a random-state one once its tables are
    // ready (starting their build on first need); else, and until then, a
    // random-move one. Other: empty.
    QString next(events::Event event, bool randomState);
    // Whether the last scramble next() gave is a random-state one.
    bool lastWasRandomState() const { return lastRandomState; }

    // Whether the event's random-state scrambles are ready (its tables built;
    // Clock needs none).
    bool ready(events::Event event = events::Event::Cube333) const;
    // Starts building the event's tables (once; later calls do nothing).
    void start(events::Event event = events::Event::Cube333);

    // The last scramble next() took from an event's prepared ones (each take
    // waits at most maxWaitMs, then starts the search for the one after it);
    // its cube state and moves for the 3x3x3 events.
    const twophase::RandomScramble &last() const { return taken; }

signals:
    void tablesReady(events::Event event);

private:
    struct Job;
    struct Kind;
    Kind *kindOf(events::Event event);
    const Kind *kindOf(events::Event event) const;
    void prepareNext(Kind &kind);
    twophase::RandomScramble takeFrom(Kind &kind, events::Event event);
    std::array<unsigned, 4> seedWords();

    std::map<int, std::unique_ptr<Kind>> kinds;
    std::mt19937_64 rng;
    twophase::RandomScramble taken;
    bool lastRandomState = false;
};

Q_DECLARE_METATYPE(events::Event)

#endif
