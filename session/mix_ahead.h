// SPDX-License-Identifier: GPL-3.0-or-later
// A mix file decoded ahead of the synthesis, on threads of its own. Decoding a compressed
// mix costs more than the rest of a session (an hour of a looping Ogg Vorbis file takes
// about 4 s of a core), so it must not sit on the synthesis thread: it is cut into pieces
// that the decoding threads fill while the synthesis takes the pieces before them.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>

#include "session/mix_file.h"

namespace session {

// Opens `path` to play at `rate` as OpenMixFile does, decoded ahead: on as many threads as
// there are cores (at most four) when the file has the session's rate, on one when it is
// resampled, since a seek then decodes the pass up to that point again.
std::unique_ptr<MixStream> OpenMix(const std::string& path, int rate, std::string& error);

// Wraps `first`, a stream already open. With `threads` above 1, more streams on the same
// file come from `another` (null when one cannot be opened: fewer threads decode then), and
// each piece is read after a Seek of its own, so this is for streams whose seeks are cheap
// and exact. With one thread, that thread reads on in order and seeks only when told to.
// Either way the frames are those `first` alone gives. No thread starts before the first
// Read or Seek, so a stream opened only for its Info costs nothing. At most two pieces of
// `pieceFrames` frames a thread are held: 131072 frames are 2 MiB, about 3 s at 44.1 kHz,
// long enough that a seek in an Ogg Vorbis file (about 0.4 ms with its first packets) adds
// a few percent to the decoding.
std::unique_ptr<MixStream> ReadAhead(std::unique_ptr<MixStream> first,
                                     std::function<std::unique_ptr<MixStream>()> another,
                                     int threads, std::size_t pieceFrames = 131072);

}  // namespace session
