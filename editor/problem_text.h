// SPDX-License-Identifier: GPL-3.0-or-later
// A problem as the window lists it: "LINE:COLUMN: message", or the message alone when it
// concerns the whole file.
#pragma once

#include <QString>

#include "session/reader.h"

namespace editor {

inline QString ProblemText(const session::Problem& problem) {
    const QString message = QString::fromStdString(problem.message);
    return problem.line > 0
               ? QString("%1:%2: %3").arg(problem.line).arg(problem.column).arg(message)
               : message;
}

}  // namespace editor
