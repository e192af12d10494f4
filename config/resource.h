// Identifiers of the configuration program's resources: dialog templates,
// controls, the icon, strings and menu commands. Shared by the C++ code and
// the Windows resource script.
#pragma once

#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif

#define IDD_ABOUT_DIALOG 100
#define IDS_ABOUT_MENU 101
#define IDD_CONFIG_DIALOG 102
#define IDR_APP_ICON 128
#define IDD_PASSWORD_DIALOG 130
#define IDD_MAIL_SERVER_DIALOG 131
#define IDD_DIGEST_DIALOG 132

#define IDC_QUERY_LIST 1000
#define IDC_QUERY_EDIT 1001
#define IDC_ADD_QUERY 1002
#define IDC_REMOVE_QUERY 1003
#define IDC_FREQ_DAILY 1004
#define IDC_FREQ_WEEKLY 1005
#define IDC_FREQ_OFF 1006
#define IDC_EMAIL_EDIT 1007
#define IDC_PASSWORD_EDIT 1010
#define IDC_USER_NAME_EDIT 1011
#define IDC_RUN_TIME 1013
#define IDC_RUN_DAY 1014
#define IDC_TIME_LABEL 1015
#define IDC_DAY_LABEL 1016
#define IDC_FORMAT_HTML 1017
#define IDC_FORMAT_TEXT 1018
#define IDC_ONLY_NEW 1019
#define IDC_OUTGOING_MAIL 1020
#define IDC_MAIL_SERVER 1021
#define IDC_MAIL_PORT 1022
#define IDC_MAIL_STARTTLS 1023
#define IDC_MAIL_TLS 1024
#define IDC_MAIL_USER 1025
#define IDC_MAIL_PASSWORD 1026
#define IDC_MAIL_PASSWORD_NOTE 1027
#define IDC_MAIL_TEST 1028
#define IDC_LAST_RUN 1029
#define IDC_SCHEDULE_WARNING 1030
#define IDC_DIGEST_OPTIONS 1031
#define IDC_ATTACH_CITATIONS 1032
#define IDC_FORWARD_LINKS 1033
#define IDC_ABSTRACTS 1034

#define IDC_STATIC (-1)

#define IDM_ABOUT 0x0010
