// Bitmap resource ids of the skin.
#pragma once

#define IDB_SYSTEM_BUTTONS 136
#define IDB_SIDE_PANEL 162
#define IDB_WEB_BUTTONS 168
#define IDB_FRAME_TOP 172
#define IDB_FRAME_LEFT 173
#define IDB_FRAME_RIGHT 174
#define IDB_FRAME_BOTTOM 175
#define IDB_ONLINE 184
#define IDB_OFFLINE 185
#define IDB_INVITE 187
#define IDB_BUDDY 189
#define IDB_DELETE_BUDDY 192
#define IDB_ADD_BUDDY 193
#define IDB_LOBBY_ROWS 195
