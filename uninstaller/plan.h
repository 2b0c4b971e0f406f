// The uninstaller's plan after its window is shown (Part 7.1, steps 3 to 5).
#pragma once

#include "uninstaller/uninstall_window.h"

namespace uninst {

void RunPlan(UninstallWindow& window);

}  // namespace uninst
