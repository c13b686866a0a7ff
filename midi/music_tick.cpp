#include "engine/beat_engine.h"

// The music schedule of the MIDI accompaniment. The accompaniment is not part of this
// build yet, so the tick has nothing to schedule.
void CBeatEngine::MusicTick() {}
