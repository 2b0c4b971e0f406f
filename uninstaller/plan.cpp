#include "uninstaller/plan.h"

#include "uninstaller/final_path.h"
#include "uninstaller/removal.h"

namespace uninst {

namespace {

const char kCaption[] = "message";
const char kNotComplete[] = "Uninstall not complete. Delete directory manually.";

// The folder that would be emptied: where "DIR" leads now, links followed.
std::string FolderEmptied(const std::string& resolved, const std::wstring& finalPath) {
    return finalPath.empty() ? resolved : NormalizeDirText(Narrow(DosPath(finalPath)));
}

bool SamePathText(const std::string& a, const std::string& b) {
    std::wstring wa = Widen(a), wb = Widen(b);
    return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                                TRUE) == CSTR_EQUAL;
}

// Whole, never cut: a cut "DIR" can name another folder. Where the folder it leads to
// reads otherwise ("..", links), that folder is named too, since it is the one emptied.
std::string Question(const UninstallSettings& s, const std::string& emptied) {
    std::string question = "Do you wish to uninstall " + s.verName + "? \n\nDirectory " + s.dir;
    if (!SamePathText(NormalizeDirText(s.dir), emptied)) question += "\nwhich is " + emptied;
    return question;
}

}  // namespace

void RunPlan(UninstallWindow& window) {
    HWND hwnd = window.Handle();
    const UninstallSettings& s = window.Settings();
    std::string directory;
    std::wstring finalPath;
    // A "DIR" that could take the user's own files with it counts as no "DIR" at all;
    // so does a keep list that may have lost names.
    if (s.verName.empty() || s.dir.empty() || !window.KeepListComplete() ||
        !CheckInstallDirectory(s.dir, &directory, &finalPath)) {
        MessageBoxA(hwnd, kNotComplete, kCaption, MB_OK);
        DestroyWindow(hwnd);
        return;
    }
    std::string named = FolderEmptied(directory, finalPath);
    if (MessageBoxA(hwnd, Question(s, named).c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        DestroyWindow(hwnd);
        return;
    }
    // The folder may have been swapped for a link while the question was open: check it
    // again, work only in the very directory that was checked, and only if it is still
    // the folder the question named.
    if (!CheckInstallDirectory(s.dir, &directory, &finalPath) ||
        !SamePathText(FolderEmptied(directory, finalPath), named) ||
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
