#ifndef CADENZA_RANDOMSCRAMBLER_H
#define CADENZA_RANDOMSCRAMBLER_H

#include "puzzle/twophase.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <memory>

// Random-state scrambles for the window, without ever making it wait for the
// search tables: they are built on a worker thread, and while the user solves
// the next scramble is already being searched for on another.
class RandomStateScrambler : public QObject
{
    Q_OBJECT

public:
    explicit RandomStateScrambler(QObject *parent = nullptr);
    ~RandomStateScrambler() override;

    // Starts building the tables (once; later calls do nothing).
    void start();
    bool ready() const { return tables != nullptr; }
    // The prepared scramble (waiting for it only if its search is still
    // running), and the search for the one after it starts. Before the tables
    // are ready: an empty result.
    twophase::RandomScramble take();
    // What the last take() returned.
    const twophase::RandomScramble &last() const { return taken; }

signals:
    void tablesReady();

private:
    void prepareNext();

    std::shared_ptr<const twophase::Tables> tables;
    QFutureWatcher<std::shared_ptr<const twophase::Tables>> building;
    QFuture<twophase::RandomScramble> next;
    twophase::RandomScramble taken;
};

#endif
