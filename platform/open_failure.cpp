// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/open_failure.h"

namespace plat {
namespace {
thread_local std::string t_reason;
}  // namespace

std::string LastOpenFailure() {
    return t_reason;
}

void SetLastOpenFailure(std::string reason) {
    t_reason = std::move(reason);
}

}  // namespace plat
