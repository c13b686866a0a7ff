// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace res {
// Makes the compiled-in images available under ":/images/". Safe to call more than once.
void InitResources();
}  // namespace res
