#include "app/cadenza.h"

PauseStats Cadenza::computePauseStats()
{
    return {};
}

std::vector<qint32> Cadenza::findVoiceOnsets()
{
    return {};
}

std::vector<qint32> Cadenza::computeSplitTimes()
{
    return {};
}
