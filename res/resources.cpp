// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/resources.h"

#include <QtCore/qglobal.h>

static void initCompiledResources() {
    Q_INIT_RESOURCE(tovin);
}

namespace res {
void InitResources() {
    static const bool done = (initCompiledResources(), true);
    (void)done;
}
}  // namespace res
