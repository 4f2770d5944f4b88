#include "puzzle/randomscrambler.h"
#include "puzzle/clock.h"
#include "puzzle/eventscramble.h"
#include "puzzle/scramble.h"
#include "puzzle/square1.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <chrono>
#include <condition_variable>
#include <mutex>

using events::Event;

// A scramble being prepared on a worker: the window waits for it with a bound.
struct RandomStateScrambler::Job
{
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    twophase::RandomScramble result; // the small puzzles fill only the text
};

// The tables one or more events share, and the scramble prepared from them.
struct RandomStateScrambler::Kind
{
    Event event; // the event that stands for the others
    std::shared_ptr<const void> tables;
    QFutureWatcher<std::shared_ptr<const void>> building;
    std::shared_ptr<Job> next;
};

namespace {

int kindKey(Event e)
{
    if (events::isCube333(e))
        return 0;
    switch (e) {
    case Event::Cube222: return 1;
    case Event::Pyraminx: return 2;
    case Event::Skewb: return 3;
    case Event::Square1: return 4;
    default: return -1;
    }
}

std::shared_ptr<const void> buildTables(Event e)
{
    if (events::isCube333(e))
        return twophase::buildTables();
    if (e == Event::Square1)
        return square1::buildTables();
    return eventscramble::buildStateTables(e);
}

twophase::RandomScramble drawScramble(Event e, const void *tables, std::mt19937_64 &rng)
{
    if (events::isCube333(e))
        return twophase::randomStateScramble(*static_cast<const twophase::Tables *>(tables), rng);
    twophase::RandomScramble r;
    if (e == Event::Square1) {
        const square1::RandomScramble s = square1::randomStateScramble(*static_cast<const square1::Tables *>(tables), rng);
        r.text = s.text;
        r.randomState = s.randomState; // a search stopped by its bounds gives a random-move stand-in
        return r;
    }
    r.text = eventscramble::randomStateScramble(e, *static_cast<const statetables::Tables *>(tables), rng).text;
    return r;
}

} // namespace

RandomStateScrambler::RandomStateScrambler(QObject *parent)
    : QObject(parent)
{
    const std::array<unsigned, 4> words = seedWords();
    std::seed_seq seed(words.begin(), words.end());
    rng.seed(seed);
    for (const Event e : {Event::Cube333, Event::Cube222, Event::Pyraminx, Event::Skewb, Event::Square1}) {
        auto kind = std::make_unique<Kind>();
        kind->event = e;
        Kind *k = kind.get();
        connect(&k->building, &QFutureWatcherBase::finished, this, [this, k] {
            k->tables = k->building.result();
            if (!k->tables)
                return;
            prepareNext(*k);
            emit tablesReady(k->event);
        });
        kinds[kindKey(e)] = std::move(kind);
    }
}

// The worker jobs own copies of what they use, so a window closed while they
// run leaves them nothing to touch; their results are simply dropped.
RandomStateScrambler::~RandomStateScrambler() = default;

std::array<unsigned, 4> RandomStateScrambler::seedWords()
{
    std::random_device device;
    return {{device(), device(), device(), device()}};
}

RandomStateScrambler::Kind *RandomStateScrambler::kindOf(Event event)
{
    const auto it = kinds.find(kindKey(event));
    return it == kinds.end() ? nullptr : it->second.get();
}

const RandomStateScrambler::Kind *RandomStateScrambler::kindOf(Event event) const
{
    const auto it = kinds.find(kindKey(event));
    return it == kinds.end() ? nullptr : it->second.get();
}

bool RandomStateScrambler::ready(Event event) const
{
    if (event == Event::Clock)
        return true;
    const Kind *k = kindOf(event);
    return k && k->tables;
}

void RandomStateScrambler::start(Event event)
{
    Kind *k = kindOf(event);
    if (!k || k->tables || k->building.isRunning())
        return;
    const Event e = k->event;
    k->building.setFuture(QtConcurrent::run([e] { return buildTables(e); }));
}

void RandomStateScrambler::prepareNext(Kind &kind)
{
    const std::array<unsigned, 4> words = seedWords();
    const std::shared_ptr<const void> tables = kind.tables;
    const std::shared_ptr<Job> job = std::make_shared<Job>();
    const Event e = kind.event;
    kind.next = job;
    QtConcurrent::run([e, tables, job, words] {
        std::seed_seq seed(words.begin(), words.end());
        std::mt19937_64 rng(seed);
        twophase::RandomScramble r = drawScramble(e, tables.get(), rng);
        const std::lock_guard<std::mutex> lock(job->mutex);
        job->result = std::move(r);
        job->finished = true;
        job->done.notify_all();
    });
}

twophase::RandomScramble RandomStateScrambler::takeFrom(Kind &kind, Event event)
{
    const std::shared_ptr<Job> job = kind.next;
    std::unique_lock<std::mutex> lock(job->mutex);
    if (job->done.wait_for(lock, std::chrono::milliseconds(maxWaitMs), [&job] { return job->finished; })) {
        twophase::RandomScramble r = std::move(job->result);
        lock.unlock();
        prepareNext(kind);
        return r;
    }
    lock.unlock();
    // Still searching: the random-move generator serves this once, and the
    // search's scramble waits for the next take.
    twophase::RandomScramble r;
    r.randomState = false;
    r.text = eventscramble::randomMoveScramble(event, rng);
    if (events::isCube333(event)) {
        cube::parseMoves(r.text, r.moves);
        r.state = cube::applyMoves(cube::Cube(), r.moves);
    }
    return r;
}

QString RandomStateScrambler::next(Event event, bool randomState)
{
    lastRandomState = false;
    if (randomState && eventscramble::hasRandomState(event)) {
        if (event == Event::Clock) {
            lastRandomState = true;
            return clockpuzzle::randomStateScramble(rng);
        }
        if (Kind *k = kindOf(event)) {
            if (k->tables) {
                taken = takeFrom(*k, event);
                lastRandomState = taken.randomState;
                return taken.text;
            }
            start(event);
        }
    }
    return eventscramble::randomMoveScramble(event, rng);
}
