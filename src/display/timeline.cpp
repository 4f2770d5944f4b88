#include "app/cadenza.h"

void Cadenza::paintSolveTimeline() {}
