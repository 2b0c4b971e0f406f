#include "uninstaller/plan.h"

#include "uninstaller/final_path.h"
#include "uninstaller/removal.h"

namespace uninst {

namespace {

const char kCaption[] = "message";
const wchar_t kCaptionW[] = L"message";
const char kNotComplete[] = "Uninstall not complete. Delete directory manually.";

// The folder that would be emptied: where "DIR" leads now, links followed.
std::wstring FolderEmptied(const std::wstring& resolved, const std::wstring& finalPath) {
    return finalPath.empty() ? resolved : NormalizeDirText(DosPath(finalPath));
}

// Whole, never cut: a cut "DIR" can name another folder. Where the folder it leads to
// reads otherwise ("..", links), that folder is named too, since it is the one emptied.
std::wstring Question(const UninstallSettings& s, const std::wstring& emptied) {
    std::wstring question = L"Do you wish to uninstall " + s.verName + L"? \n\nDirectory " + s.dir;
    if (!SameTextIgnoringCase(NormalizeDirText(s.dir), emptied)) question += L"\nwhich is " + emptied;
    return question;
}

}  // namespace

void RunPlan(UninstallWindow& window) {
    HWND hwnd = window.Handle();
    const UninstallSettings& s = window.Settings();
    std::wstring directory, finalPath;
    // A "DIR" that could take the user's own files with it counts as no "DIR" at all;
    // so does a keep list that may have lost names.
    if (s.verName.empty() || s.dir.empty() || !window.KeepListComplete() ||
        !CheckInstallDirectory(s.dir, &directory, &finalPath)) {
        MessageBoxA(hwnd, kNotComplete, kCaption, MB_OK);
        DestroyWindow(hwnd);
        return;
    }
    std::wstring named = FolderEmptied(directory, finalPath);
    if (MessageBoxW(hwnd, Question(s, named).c_str(), kCaptionW, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        DestroyWindow(hwnd);
        return;
    }
    // The folder may have been swapped for a link while the question was open: check it
    // again, work only in the very directory that was checked, and only if it is still
    // the folder the question named.
    RemovalStats stats;
    if (!CheckInstallDirectory(s.dir, &directory, &finalPath) ||
        !SameTextIgnoringCase(FolderEmptied(directory, finalPath), named) ||
        !RemoveTree(directory, L"*.*", window.Keep(), &stats, &finalPath)) {
        MessageBoxA(hwnd, kNotComplete, kCaption, MB_OK);
        return;  // the window stays until the user closes it
    }
    RemoveShortcuts(s);
    RemoveExtensionAndFavorite(s);
    RemoveUninstallEntry(s);
    // Whatever of the installation stays, the user has to remove by hand: say so.
    window.StartCompletionTimer(stats.leftovers == 0);
}

}  // namespace uninst
