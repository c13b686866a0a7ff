// SPDX-License-Identifier: GPL-3.0-or-later
// libsndfile gives each Ogg stream a serial number drawn from the clock, so two renders of
// the same sound would differ in four bytes of every page and in each page's checksum.
// Every page header is given one fixed serial instead, with its checksum corrected, so
// that .ogg renders are byte-identical from run to run, as .wav and .flac ones are.
#pragma once

#include <cstddef>

namespace session {

// `header` is a whole Ogg page header ("OggS", 27 bytes and its segment table) as
// libsndfile hands it over, the page body following in the next write. Returns false,
// leaving it alone, for anything else.
bool FixOggSerial(unsigned char* header, std::size_t bytes);

}  // namespace session
