#ifndef CADENZA_SESSIONUNDO_H
#define CADENZA_SESSIONUNDO_H

#include "session/session.h"

#include <QUndoCommand>

class Cadenza;

// A change of the session that Edit > Undo takes back (Remove, +2, DNF, Clear
// Times, Load Times, an import). The command keeps the session as it is on
// the other side of the change and swaps it in, each time writing the
// session as any change does. New solves are never undone: the solves stored
// after the change (the end of the session) stay through undo and redo.
class SessionChange : public QUndoCommand
{
public:
    // Made once the change is done; `before` is the session as it was.
    SessionChange(Cadenza *window, const QString &text, SessionData before);
    void undo() override { swap(); }
    void redo() override;

private:
    void swap();

    Cadenza *window;
    SessionData other;
    // How many solves the session had when this command last acted (the rest
    // were stored since).
    int size;
    bool applied = true; // the change is made before the command is pushed
};

#endif
