#include "uninstaller/plan.h"

#include "uninstaller/removal.h"

namespace uninst {

namespace {
const char kCaption[] = "message";
const char kNotComplete[] = "Uninstall not complete. Delete directory manually.";
}  // namespace

void RunPlan(UninstallWindow& window) {
    HWND hwnd = window.Handle();
    const UninstallSettings& s = window.Settings();
    std::string directory;
    // A "DIR" that could take the user's own files with it counts as no "DIR" at all;
    // so does a keep list that may have lost names.
    if (s.verName.empty() || s.dir.empty() || !window.KeepListComplete() || !CheckInstallDirectory(s.dir, &directory)) {
        MessageBoxA(hwnd, kNotComplete, kCaption, MB_OK);
        DestroyWindow(hwnd);
        return;
    }
    std::string question =
        FormatBounded(259, "Do you wish to uninstall %s? \n\nDirectory %s", s.verName.c_str(), s.dir.c_str());
    if (MessageBoxA(hwnd, question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        DestroyWindow(hwnd);
        return;
    }
    // The folder may have been swapped for a link while the question was open: check it
    // again, and work only in the very directory that was checked.
    std::wstring finalPath;
    if (!CheckInstallDirectory(s.dir, &directory, &finalPath) ||
        !RemoveTree(directory.c_str(), "*.*", window.Keep(), nullptr, &finalPath)) {
        MessageBoxA(hwnd, kNotComplete, kCaption, MB_OK);
        return;  // the window stays until the user closes it
    }
    RemoveShortcuts(s);
    RemoveExtensionAndFavorite(s);
    RemoveUninstallEntry(s);
    window.StartCompletionTimer();
}

}  // namespace uninst
