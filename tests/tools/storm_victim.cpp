// A stand-in browser for testing the storm itself: a dialog titled "Storm
// Browser" with a lobby list and a chat input that greets the main client and,
// from the Nth control message on, misbehaves as STORM_VICTIM=FAULT:N says.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "lobby/protocol.h"

namespace {

using namespace protocol;

std::string fault;  // fault, exit, box, answer, leak, badfile, badlog; empty: none
long faultAt = 0;
long controlMessages = 0;
HWND mainClient = nullptr;
bool polling = false;  // waiting for the main client's answer to a poll

void Misbehave(HWND dialog) {
    if (fault == "fault") *static_cast<volatile int*>(nullptr) = 0;  // swallowed by the dispatch
    if (fault == "exit") ExitProcess(3);
    if (fault == "box") MessageBoxA(dialog, "Kaboom", "victim", MB_OK);
    if (fault == "leak") memset(new char[65536], 1, 65536);
    if (fault == "badfile" && controlMessages == faultAt) std::ofstream("buddylist.dat", std::ios::binary) << "short";
    if (fault == "badlog" && controlMessages == faultAt) std::ofstream("MB_ERR.LOG", std::ios::binary) << "garbage\r\n";
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) {
        SetWindowTextA(dialog, "Storm Browser");
        HINSTANCE self = GetModuleHandleA(nullptr);
        CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, dialog, HMENU(1018), self, nullptr);
        CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE, 0, 100, 100, 20, dialog, HMENU(1015), self, nullptr);
        if ((mainClient = FindWindowA(kMainClientClass, kMainClientTitle))) {
            PostMessageA(mainClient, WM_COMMAND, BRC_STARTED, 0);
            PostMessageA(mainClient, WM_COMMAND, BRC_STARTED_2, 0);
        }
        return TRUE;
    }
    // On the way out, the answer to a poll shows a box: the storm meets the
    // fault inside its own answering, after its last step.
    if (msg == WM_CLOSE && fault == "answer") {
        polling = true;
        SendMessageA(mainClient, WM_COMMAND, BRC_QUERY_BUDDY, 7);
        polling = false;
    }
    if (msg == BRM_BUDDY_STATUS && polling) MessageBoxA(dialog, "Kaboom", "victim", MB_OK);
    if (IsControlMessage(msg) && ++controlMessages >= faultAt) Misbehave(dialog);
    if (msg == WM_COMMAND && LOWORD(wp) == IDCANCEL) EndDialog(dialog, 0);
    return FALSE;
}

}  // namespace

int main() {
    if (const char* what = std::getenv("STORM_VICTIM")) {
        fault = what;
        faultAt = std::atol(fault.substr(fault.find(':') + 1).c_str());
        fault = fault.substr(0, fault.find(':'));
    }
    struct {
        DLGTEMPLATE dialog{WS_POPUP | WS_VISIBLE, 0, 0, 0, 0, 200, 150};
        WORD menu = 0, windowClass = 0, title = 0;
    } tpl;
    return static_cast<int>(DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &tpl.dialog, nullptr, DialogProc, 0));
}
