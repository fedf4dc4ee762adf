#include "mixes/MixPrecedence.h"

#include "mixes/FocusSession.h"
#include "mixes/SleepTimer.h"

bool MixPrecedence::mayMove(Mover mover, const SleepTimer *sleepTimer, const FocusSession *focus)
{
    if (sleepTimer && sleepTimer->fading())
        return false;
    if (mover == Mover::Schedule && focus && !focus->phaseMixId().isEmpty())
        return false;
    return true;
}
