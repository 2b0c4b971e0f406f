// Small Windows helpers for the uninstaller's tests: scratch folders, file trees,
// registry keys, and driving the uninstaller process and its message boxes.
#pragma once

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace uninst_test {

// A fresh folder under %TEMP%\uninst_test, removed (without following links) at the end.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& name);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path; }
    std::string operator/(const std::string& relative) const { return path + "\\" + relative; }

private:
    std::string path;
};

// Removes a tree without ever entering a reparse point.
void RemoveAll(const std::string& path);
// The same for a scratch folder, with what is left removed from the Linux side.
void RemoveScratch(const std::string& path);

// Creates the file and every folder above it.
void MakeFile(const std::string& path, const std::string& content = "x");
void MakeDirs(const std::string& path);
bool Exists(const std::string& path);
// The same with names that the system code page cannot spell.
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);
void MakeFile(const std::wstring& path);
bool Exists(const std::wstring& path);
DWORD Attributes(const std::string& path);

// Every file and folder below `root`, relative, folders with a trailing "\".
std::set<std::string> ListTree(const std::string& root);

// A Unix symbolic link made from the Linux side (Wine shows one to a folder as a
// reparse point, one to a file as a plain file).
bool MakeUnixSymlink(const std::string& target, const std::string& link);
// Removes such a link from the Linux side ("rm -f": never a folder, never a target).
void RemoveUnixLink(const std::wstring& path);

// Points a shell folder of the user ("User Shell Folders" value) elsewhere while it lives.
class ShellFolderRedirect {
public:
    ShellFolderRedirect(const char* valueName, const std::string& path);
    ~ShellFolderRedirect();
    ShellFolderRedirect(const ShellFolderRedirect&) = delete;
    ShellFolderRedirect& operator=(const ShellFolderRedirect&) = delete;

private:
    std::string name;
    std::vector<char> old;
    DWORD oldType = 0;
    bool hadValue = false;
};

// Drive `letter` of the prefix leads to `target` (a Windows path) while it lives.
struct MappedDrive {
    MappedDrive(char letter, const std::string& target);
    ~MappedDrive();
    std::string link;
};

// Registry under `root`.
void SetRegString(HKEY root, const std::string& key, const char* value, const std::string& data);
bool KeyExists(HKEY root, const std::string& key);
bool ValueExists(HKEY root, const std::string& key, const char* value);
// Deletes a key with its subkeys; a link among them goes itself, never its target.
void DeleteKeyTree(HKEY root, const std::string& key);
// A registry link `key` under HKEY_LOCAL_MACHINE to `target`, also under it.
bool MakeRegistryLink(const std::string& key, const std::string& target);
std::vector<std::string> PendingRenames();

std::string SpecialFolder(int csidl);
std::string TargetPath(const char* unixPath);        // Z:\... form of a build-tree path
std::string ThroughDriveZ(const std::string& path);  // the same place named through Z:

// The uninstaller process under test.
class Process {
public:
    Process(const std::string& exe, const std::string& workDir);
    ~Process();  // terminates it if it still runs
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    bool Started() const { return info.hProcess != nullptr; }
    DWORD Id() const { return info.dwProcessId; }
    // Exit code, or STILL_ACTIVE after the timeout.
    DWORD WaitExit(DWORD timeoutMs);

    // A top-level "#32770" of the process whose static text equals `text`. Waits long: only
    // the program's end or a box with another text (a known point reached) ends it early.
    HWND WaitMessageBox(const std::string& text, DWORD timeoutMs = 180000);
    HWND FindWindowOfClass(const char* className) const;
    // Any message box of the process, and its text ("" when there is none).
    std::string CurrentMessageBoxText() const;

private:
    PROCESS_INFORMATION info = {};
};

// Presses IDYES, IDNO or IDOK and waits until the box is gone.
bool Answer(HWND box, int buttonId, DWORD timeoutMs = 10000);

// A copy of part of the screen, read pixel by pixel afterwards.
class ScreenShot {
public:
    explicit ScreenShot(const RECT& area);
    ~ScreenShot();
    ScreenShot(const ScreenShot&) = delete;
    ScreenShot& operator=(const ScreenShot&) = delete;
    // Screen coordinates; false outside the area.
    bool Pixel(int x, int y, COLORREF* colour) const;

private:
    RECT area;
    HBITMAP bitmap = nullptr;
    const DWORD* bits = nullptr;
};

}  // namespace uninst_test
