#include "app/cadenza.h"

void Cadenza::paintAudioGraph() {}
