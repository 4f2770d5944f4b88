#include "app/cadenza.h"

void Cadenza::exportCSTimerSession() {}
void Cadenza::importCSTimerSession() {}

void Cadenza::on_actionExport_CSTimer_Session_triggered()
{
    exportCSTimerSession();
}

void Cadenza::on_actionImport_CSTimer_Session_triggered()
{
    importCSTimerSession();
}
