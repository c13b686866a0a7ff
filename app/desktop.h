// SPDX-License-Identifier: GPL-3.0-or-later
// What the platform layer asks of the desktop: the modal message box, the alert sound and
// opening a page with the user's default handler.
#pragma once

void InstallDesktopServices();
void RemoveDesktopServices();
