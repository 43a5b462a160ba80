#pragma once
// Resource identifiers shared by the resource script and the code.
#define IDS_SAVER_NAME 1
#define IDI_PROGRAM 100
