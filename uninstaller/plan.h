// The uninstaller's plan after its window is shown: removal, progress and the end.
#pragma once

#include "uninstaller/uninstall_window.h"

namespace uninst {

void RunPlan(UninstallWindow& window);

}  // namespace uninst
