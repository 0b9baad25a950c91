// Identifiers shared by the program code and the resource scripts.
#pragma once

#define IDI_APP 129

#define IDD_SETTINGS 102

#define IDC_DISABLED 1000
#define IDC_ENABLED 1001

#define IDS_TITLE 130
#define IDS_RESTART_PROMPT 131
#define IDS_NEED_ADMIN 132
#define IDS_UNSUPPORTED_OS 133
#define IDS_FUTURE_OS_CONFIRM 134

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
