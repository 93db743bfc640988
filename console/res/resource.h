// Resource identifiers of the Quillon console: resource names, dialog control ids,
// commands and strings. Shared by quillon.rc and the C++ code.
#pragma once

// Main frame: menu, accelerators, icon, toolbar data and image strip, document string.
#define IDR_MAINFRAME 128

// Dialogs and form views.
#define IDD_ABOUTBOX 100
#define IDD_IPADDRESS_PAGE 101
#define IDD_ADD_IPADDRESS 131
#define IDD_EDIT_IPADDRESS 152

// Context menu of the IP address page.
#define IDR_IPADDRESS_MENU 135

// Navigation bar icons, images 0 to 10 of both image lists.
#define IDI_NAV_IP_ADDRESS 131
#define IDI_NAV_COMPUTER_NAME 142
#define IDI_NAV_MAC_ADDRESS 133
#define IDI_NAV_CLIENT_VERSION 143
#define IDI_NAV_TIME 147
#define IDI_NAV_SESSION_IP 139
#define IDI_NAV_SESSION_USER 148
#define IDI_NAV_SERVERS 136
#define IDI_NAV_POPUP 144
#define IDI_NAV_LOGS 137
#define IDI_NAV_SPARE 163

// Controls of the IP address page and its dialogs.
#define IDC_IP_LIST 1014
#define IDC_IP_ENABLE 1015
#define IDC_DEFAULT_ALLOW 1038
#define IDC_IP_ADD 1009
#define IDC_IP_REMOVE 1010
#define IDC_IP_EDIT 1058
#define IDC_IP_FROM 1011
#define IDC_IP_TO 1012
#define IDC_MODE 1018

// Session count pages (sessions per IP address, sessions per user) and their dialogs.
#define IDD_SESSION_IP_PAGE 158
#define IDR_SESSION_IP_MENU 160
#define IDD_ADD_SESSION_IP 160
#define IDD_EDIT_SESSION_IP 161
#define IDD_SESSION_USER_PAGE 163
#define IDD_ADD_SESSION_USER 164
#define IDD_EDIT_SESSION_USER 165
#define IDC_SESSION_DEFAULT 1074 // "By default " on both pages
#define IDC_SIP_ENABLE 1049
#define IDC_SIP_RESET 1056
#define IDC_SIP_IGNORE 1057
#define IDC_SIP_COUNT 1042  // also the dialogs' count field
#define IDC_SIP_ARROWS 1041 // also the dialogs' count arrows
#define IDC_SIP_ADD 1071
#define IDC_SIP_REMOVE 1072
#define IDC_SIP_EDIT 1073
#define IDC_SIP_LIST 1068
#define IDC_SUSER_ENABLE 1050
#define IDC_SUSER_RESET 1058
#define IDC_SUSER_IGNORE 1059
#define IDC_SUSER_IGNORE_ADMIN 1060
#define IDC_SUSER_COUNT 1044
#define IDC_SUSER_ARROWS 1043
#define IDC_SUSER_ADD 1079
#define IDC_SUSER_REMOVE 1077
#define IDC_SUSER_EDIT 1078
#define IDC_SUSER_LIST 1075
#define IDC_SUSER_NAME 1080

// Tools pages: server monitor (with its add dialog), popup messages, log settings.
#define IDD_MSGPOPUP_PAGE 149
#define IDD_SERVERMONITOR_PAGE 155
#define IDD_ADD_MONITOR_SERVER 156
#define IDD_LOG_PAGE 162
#define IDC_POPUP_FILTER 1046
#define IDC_POPUP_TITLE 1047
#define IDC_POPUP_MESSAGE 1048
#define IDC_MONITOR_ADD 1059
#define IDC_MONITOR_REMOVE 1060
#define IDC_MONITOR_LIST 1061
#define IDC_MONITOR_SERVER_NAME 1062
#define IDC_LOGON_LOG_ENABLE 1081
#define IDC_LOGON_LOG_BROWSE 1082
#define IDC_APP_LOG_ENABLE 1083
#define IDC_APP_LOG_BROWSE 1084
#define IDC_LOGON_LOG_FILE 1085
#define IDC_APP_LOG_FILE 1014

// Computer name, MAC address, client version and time restriction pages, their
// dialogs and context menus.
#define IDD_COMPUTERNAME_PAGE 130
#define IDD_ADD_COMPUTERNAME 136
#define IDD_EDIT_COMPUTERNAME 153
#define IDR_COMPUTERNAME_MENU 138
#define IDD_MACADDRESS_PAGE 141
#define IDD_ADD_MACADDRESS 142
#define IDD_EDIT_MACADDRESS 154
#define IDR_MACADDRESS_MENU 144
#define IDD_VERSION_PAGE 140
#define IDD_TIME_PAGE 148
#define IDC_CNAME_ENABLE 1002
#define IDC_CNAME_LIST 1003
#define IDC_CNAME_ADD 1004
#define IDC_CNAME_REMOVE 1005
#define IDC_CNAME_EDIT 1006
#define IDC_CNAME_TEXT 1019
#define IDC_MAC_ENABLE 1028
#define IDC_MAC_ADD 1029
#define IDC_MAC_REMOVE 1030
#define IDC_MAC_LIST 1031
#define IDC_MAC_EDIT 1032
#define IDC_MAC_TEXT 1034
#define IDC_VER_LIST 1024
#define IDC_VER_ALLOW_BUTTON 1025
#define IDC_VER_DISALLOW_BUTTON 1026
#define IDC_VER_DISALLOW 1027
#define IDC_VER_HIGHER_BUTTON 1028
#define IDC_VER_HIGHER 1029
#define IDC_VER_LOWER_BUTTON 1030
#define IDC_VER_RANGE 1031
#define IDC_VER_ENABLE 1032
#define IDC_VER_ALLOW 1033
#define IDC_VER_RANGE_BUTTON 1034
#define IDC_VER_LOWER 1035
#define IDC_TIME_FROM 1014
#define IDC_TIME_TO 1044
#define IDC_TIME_MONDAY 1045
#define IDC_TIME_TUESDAY 1046
#define IDC_TIME_FRIDAY 1047
#define IDC_TIME_THURSDAY 1048
#define IDC_TIME_WEDNESDAY 1049
#define IDC_TIME_SATURDAY 1050
#define IDC_TIME_SUNDAY 1051
#define IDC_TIME_ALL_DAY 1053
#define IDC_TIME_BETWEEN 1054
#define IDC_TIME_ENABLE 1055

// The "Test a Client" dialog of the Tools menu.
#define IDD_TEST_CLIENT 300
#define IDC_TEST_ADDRESS 1300
#define IDC_TEST_NAME 1301
#define IDC_TEST_MAC 1302
#define IDC_TEST_BUILD 1303
#define IDC_TEST_USER 1304
#define IDC_TEST_ADMINISTRATOR 1305
#define IDC_TEST_TIME 1306
#define IDC_TEST_FROM_ADDRESS 1307
#define IDC_TEST_OF_USER 1308
#define IDC_TEST_RUN 1309
#define IDC_TEST_RESULT 1310
#define IDC_TEST_SHOW_ENTRY 1500 // shows the entry that decided, closing the dialog

// The Log settings page's event log option.
#define IDC_EVENT_LOG_LABEL 1450
#define IDC_EVENT_LOG_LEVEL 1451

// The "Audit only" check box of each filter page (one id, seven templates).
#define IDC_AUDIT_ONLY 1600

// Compare Servers / Apply to Servers.
#define IDD_SERVER_FARM 430
#define IDC_FARM_NOTE 1550
#define IDC_FARM_LIST 1551

// Preview Impact.
#define IDD_IMPACT_PREVIEW 510
#define IDC_IMPACT_FROM 1650
#define IDC_IMPACT_TO 1651
#define IDC_IMPACT_RUN 1652
#define IDC_IMPACT_PROGRESS 1653
#define IDC_IMPACT_LIST 1654
#define IDC_IMPACT_NOTE 1655
#define IDC_IMPACT_SHOW_ENTRY 1656 // shows the entry that decides the row, closing the dialog
#define IDC_IMPACT_DETAIL 1657 // the selected row's words in full
// File > Configuration History...
#define IDD_CONFIG_HISTORY 520
#define IDC_HISTORY_SERVER 1700
#define IDC_HISTORY_NOTE 1701
#define IDC_HISTORY_LIST 1702
#define IDC_HISTORY_DETAIL 1703
#define IDC_HISTORY_COMPARE 1704
#define IDC_HISTORY_RESTORE 1705 // loads the selected generation, closing the dialog
#define ID_FILE_HISTORY 33400

// Commands.
#define ID_ITEM_ADD 32771
#define ID_ITEM_REMOVE 32772
#define ID_ITEM_EDIT 32780
#define ID_APPLY_CONFIG 32777
#define ID_LOAD_CONFIG 32778
#define ID_SAVE_CONFIG 32779
#define ID_HELP_FILE 32789
#define ID_HELP_TOPIC 33200 // F1: the help at the shown page's topic
#define ID_TOOLS_TEST_CLIENT 32900
#define ID_TOOLS_LOGON_REPORT 32910 // Tools > Logon Report...
#define ID_TOOLS_COMPARE_SERVERS 33150 // Tools > Compare Servers...
#define ID_TOOLS_APPLY_TO_SERVERS 33151 // Tools > Apply to Servers...
#define ID_TOOLS_PREVIEW_IMPACT 33350 // Tools > Preview Impact...
#define ID_APP_ABOUT 57664
#define ID_APP_EXIT 57665
#define ID_VIEW_TOOLBAR 59392
#define ID_VIEW_STATUS_BAR 59393
#define ID_NEXT_PANE 59408
#define ID_PREV_PANE 59409
#define ID_NEXT_PAGE 33000 // Ctrl+Tab, Ctrl+Page Down: the navigation bar's next page
#define ID_PREV_PAGE 33001 // Ctrl+Shift+Tab, Ctrl+Page Up: its previous page

// Strings.
#define IDS_APP_TITLE 57344
#define IDS_IDLE_MESSAGE 57345
#define IDS_INDICATOR_CAP 59137
#define IDS_INDICATOR_NUM 59138
#define IDS_INDICATOR_SCRL 59139

// Messages of the console's own failure paths.
#define IDS_CLOSE_UNSAVED_QUESTION 340 // after a failed apply on closing

// The server monitor's answer column.
#define IDS_MONITOR_NO_ANSWER_SINCE 800 // %s: the time of the first unanswered query

// Resource type of the toolbar button data.
#define RT_TOOLBAR_BUTTONS 241

// Accessible names of input controls that no label before them names (750-799), and
// the resource type of each template's table of them (console/widgets/accessible_names.h).
#define RT_ACCESSIBLE_NAMES 242
#define IDS_ACC_IP_LIST 750
#define IDS_ACC_CNAME_LIST 751
#define IDS_ACC_MAC_LIST 752
#define IDS_ACC_VER_LIST 753
#define IDS_ACC_VER_ALLOW 754
#define IDS_ACC_VER_DISALLOW 755
#define IDS_ACC_VER_HIGHER 756
#define IDS_ACC_VER_LOWER 757
#define IDS_ACC_VER_RANGE 758
#define IDS_ACC_TIME_FROM 759
#define IDS_ACC_TIME_TO 760
#define IDS_ACC_SIP_COUNT 761
#define IDS_ACC_SUSER_COUNT 762
#define IDS_ACC_SUSER_LIST 763
#define IDS_ACC_MONITOR_LIST 764
#define IDS_ACC_LOGON_LOG_FILE 765
#define IDS_ACC_APP_LOG_FILE 766
#define IDS_ACC_TEST_RESULT 767
#define IDS_ACC_FARM_LIST 768
#define IDS_ACC_IMPACT_LIST 769
#define IDS_ACC_IMPACT_DETAIL 770
#define IDS_ACC_HISTORY_LIST 771
#define IDS_ACC_HISTORY_DETAIL 772
