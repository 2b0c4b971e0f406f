#pragma once

#define IDI_UNINSTALLER 107
#define IDI_SMALL 108
