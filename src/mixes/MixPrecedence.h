#pragma once

class FocusSession;
class SleepTimer;

// Who may move the volumes when several want to at once: the sleep timer's fade wins over
// everything (the music is on its way out); a focus phase that names a mix wins over a
// schedule that falls inside it. The user's own change of a volume needs no rule here: it
// takes that volume out of any glide under way (see VolumeGlide).
namespace MixPrecedence {
enum class Mover { FocusPhase, Schedule };

// Either may be absent.
bool mayMove(Mover mover, const SleepTimer *sleepTimer, const FocusSession *focus);
} // namespace MixPrecedence
