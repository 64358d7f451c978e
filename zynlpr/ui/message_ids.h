// Resource ids of the monitor: message texts of the message module
// (zynlpr.nls), the two key paths of the monitor's own string table, and the
// port-settings dialog templates with their control ids.
//
// The message module is built from zynlpr/monitor/nls/zynlpr_nls.rc, which
// includes this header, so the ids have one home.
#pragma once

// Texts of the message module. Ids 8000..8013 are preloaded at process attach.
#define MSG_NOT_MONITOR_PORT           503    // ConfigurePort: port not ours / key missing (notice)
#define MSG_CAPTION                    8000   // caption of every message box
#define MSG_OUT_OF_MEMORY              8001
#define MSG_ERROR_TITLE                8002   // preloaded only
#define MSG_SEND_FAILED_PORT           8003   // %s: port name
#define MSG_WARNING_TITLE              8004   // preloaded only
#define MSG_CANT_CREATE_PORT_KEY       8005
#define MSG_USER_NAME_EMPTY            8006
#define MSG_HOST_NAME_EMPTY            8007
#define MSG_NOTICE_TITLE               8008   // preloaded only
#define MSG_QUEUE_NAME_EMPTY           8009
#define MSG_USER_NAME_RESERVED         8010
#define MSG_RESERVED_USER_PART1        8011   // first piece of the reserved user name
#define MSG_RESERVED_USER_PART2        8012   // second piece of the reserved user name
#define MSG_UNKNOWN_USER               8013   // user name when the system can't tell it
#define MSG_LPD_JOB_REFUSED            8014
#define MSG_LPD_SERVER_ANSWER          8015   // %s: the server's refusal text
#define MSG_LPD_SEND_FAILED            8016   // %d: error code
#define MSG_LPD_NO_ANSWER              8017
#define MSG_LPD_COMMAND_REFUSED        8018
#define MSG_LPD_SPOOL_FILE_UNREADABLE  8019   // %d: system error code
#define MSG_LPD_DATA_BUSY              8020   // information
#define MSG_LPD_DATA_STILL_BUSY        8021   // information
#define MSG_LPD_SPOOL_FILE_SHORT       8022   // %s: spool file name
#define MSG_LPD_HOST_NOT_FOUND         8023   // %s: host name
#define MSG_LPD_CONNECTION_REFUSED     8024
#define MSG_LPD_CONNECT_FAILED         8025   // %d: error code
#define MSG_LPD_NO_LOCAL_PORT          8026   // %d: error code
#define MSG_LPD_LOCAL_PORTS_IN_USE     8027
#define MSG_LPD_NO_SOCKET              8028   // %d: error code
#define MSG_WINSOCK_STARTUP            8029   // %d: WSAStartup result
#define MSG_LPD_NO_HOST_NAME           8030   // %d: error code
#define MSG_LPD_CONTROL_FILE_REFUSED   8031
#define MSG_CANT_STORE_PORT            8032   // %s: port name, %s: the system's text of the error, %d: error code
#define MSG_LAYOUT_MISMATCH            8033   // %d, %d: the UI module's and the monitor's Xcv layout
#define MSG_MONITOR_NAME               8125   // monitor name reported for every port
#define MSG_DEFAULT_DESCRIPTION        8126   // description of a port without host and queue

#define MSG_FIRST_PRELOADED            8000
#define MSG_LAST_PRELOADED             8013

// Strings of ZYNLPR.DLL's own string table.
#define IDS_PORTS_KEY_PATH         8121
#define IDS_MONITOR_KEY_PATH       8124

// Dialog templates of the message module and their controls.
#define IDD_ADD_PORT               200
#define IDD_CONFIGURE_PORT         300
#define IDC_PORT_NAME              301
#define IDC_USER_NAME              1003
#define IDC_QUEUE_NAME             1005
#define IDC_HOST_NAME              1006
#define IDC_SEQNO                  1007
#define IDC_TIMEOUT                1008
#define IDC_DO_LPQ                 1009
#define IDC_HELP_BUTTON            1010
#define IDC_DO_GRACE               1012
