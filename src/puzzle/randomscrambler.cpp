#include "puzzle/randomscrambler.h"

#include <QtConcurrent/QtConcurrentRun>
#include <array>
#include <random>

RandomStateScrambler::RandomStateScrambler(QObject *parent)
    : QObject(parent)
{
    connect(&building, &QFutureWatcherBase::finished, this, [this] {
        tables = building.result();
        prepareNext();
        emit tablesReady();
    });
}

// The worker jobs own copies of what they use, so a window closed while they
// run leaves them nothing to touch; their results are simply dropped.
RandomStateScrambler::~RandomStateScrambler() = default;

void RandomStateScrambler::start()
{
    if (tables || building.isRunning())
        return;
    building.setFuture(QtConcurrent::run(&twophase::buildTables));
}

void RandomStateScrambler::prepareNext()
{
    std::random_device device;
    const std::array<unsigned, 4> words{{device(), device(), device(), device()}};
    const std::shared_ptr<const twophase::Tables> shared = tables;
    next = QtConcurrent::run([shared, words] {
        std::seed_seq seed(words.begin(), words.end());
        std::mt19937_64 rng(seed);
        return twophase::randomStateScramble(*shared, rng);
    });
}

twophase::RandomScramble RandomStateScrambler::take()
{
    if (!tables)
        return {};
    taken = next.result();
    prepareNext();
    return taken;
}
