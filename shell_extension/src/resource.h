// Resource ids of the DLL (also read by the resource script).
#pragma once

#define IDS_PROJNAME 100
#define IDR_DOCWICKEXT 101
#define IDR_TERNSHELLEXTENSION 106
#define IDI_APP 129
#define IDI_MENU_ITEM 202
#define IDB_MENU_ITEM 203
