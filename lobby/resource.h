// Resource and control ids of the browser window.
#pragma once

#define IDD_BROWSER 129
#define IDD_INPUT 194

#define IDC_WEB_VIEW 1002
#define IDC_FRAME_TOP 1010
#define IDC_FRAME_LEFT 1011
#define IDC_FRAME_RIGHT 1012
#define IDC_FRAME_BOTTOM 1013
#define IDC_CHAT_DISPLAY 1014
#define IDC_CHAT_INPUT 1015
#define IDC_LOBBY_LIST 1018
#define IDC_SELECTION_LABEL 1019
#define IDC_INVITE 1020
#define IDC_BUDDY_LIST 1023
#define IDC_ADD_BUDDY 1024
#define IDC_DELETE_BUDDY 1025
#define IDC_BUDDY_LABEL 1028

// Input dialog (IDD_INPUT).
#define IDC_INPUT_TEXT 1025
#define IDC_INPUT_PROMPT 1026

// "Exit the mini-browser.": no tip uses it (Exit's tip, 9201, has no string).
#define IDS_EXIT_DESCRIPTION 1

#define ID_WEB_BACK 9100
#define ID_WEB_FORWARD 9101
#define ID_WEB_STOP 9102
#define ID_WEB_RELOAD 9103
#define ID_WEB_HOME 9104
#define ID_MINIMIZE 9200
#define ID_EXIT 9201
#define ID_MODE_WEB 9300
#define ID_MODE_LOBBY 9301
#define ID_PAGE_OPERATOR 9302
#define ID_PAGE_FAQ 9303
#define ID_PAGE_HELP 9304
