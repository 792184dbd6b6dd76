// Resource identifiers of the tool.
#pragma once

#define IDR_MAINFRAME 128
#define IDB_CHART_BACKGROUND 198
#define IDD_PARAM_CONFIG 199
#define IDD_MAIN 1000
#define IDD_TUNING_ASSISTANT 200

// Main window controls
#define IDC_BTN_REFRESH 1100
#define IDC_COMBO_PORT 1101
#define IDC_EDIT_BAUDRATE 1102
#define IDC_BTN_CONNECT 1103
#define IDC_BTN_PARAM_CONFIG 1104
#define IDC_BTN_START 1105
#define IDC_STATIC_UNIT 1107
#define IDC_STATIC_VERSION 1208
#define IDC_STATIC_INDICATOR 1400
#define IDC_RADIO_MOTION 1401
#define IDC_RADIO_MOTIONLESS 1402
#define IDC_STATIC_DISTANCE 1403
#define IDC_STATIC_WAVE 1500

// Parameter dialog controls
#define IDC_EDIT_MOTIONLESS_MIN 1187
#define IDC_EDIT_MOTIONLESS_MAX 1188
#define IDC_EDIT_MOTION_MIN 1189
#define IDC_EDIT_MOTION_MAX 1190
#define IDC_EDIT_OFF_TIME 1191
#define IDC_BTN_READ_PARAM 1193
#define IDC_EDIT_DISTANCE_CALIB 1198
#define IDC_BTN_SET_PARAM 1199
#define IDC_BTN_RESTORE_DEFAULT 1200
#define IDC_BTN_SAVE_PROFILE 1201
#define IDC_BTN_LOAD_PROFILE 1202
#define IDC_BTN_WRITE_ALL 1203
#define IDC_STATIC_PROFILE_MARK 1204

// Strings
#define IDS_SOCKETS_INIT_FAILED 102
#define IDS_PROGRAM_FOLDER_UNKNOWN 103
#define IDS_CAPTION_INFO 50001
#define IDS_CAPTION_ERROR 50002
#define IDS_START 50010
#define IDS_STOP 50011
#define IDS_CONNECT 50012
#define IDS_DISCONNECT 50013
#define IDS_OPEN_DEVICE_FAILED 50014
#define IDS_NO_DEVICE 50015
#define IDS_READ_PARAM_OK 50020
#define IDS_READ_PARAM_FAILED 50021
#define IDS_SET_PARAM_OK 50022
#define IDS_DEVICE_NOT_CONNECTED 50043
#define IDS_WRITE_GENERAL_FAILED 50044
#define IDS_WRITE_NOISE_FAILED 50045
#define IDS_WRITE_IIR_FAILED 50046
#define IDS_WRITE_WINDOW_FAILED 50047
#define IDS_WRITE_ALPHABETA_FAILED 50048
#define IDS_WRITE_CALIB_FAILED 50049
#define IDS_RESTORE_DEFAULT_OK 50050
// Notices in the chart's status line and the messages that go with them.
#define IDS_NOTICE_PORT_LOST 50060
#define IDS_NOTICE_NO_ANSWER 50061
#define IDS_START_PORT_LOST 50062
#define IDS_SETTINGS_SAVE_FAILED 50063
#define IDS_NOTICE_SETTINGS_NOT_SAVED 50064
#define IDS_START_THREAD_FAILED 50065
// The log and data files: what could not be created or written.
#define IDS_FILE_CREATE_FAILED 50070
#define IDS_FILE_WRITE_FAILED 50071
#define IDS_FILES_NOT_WRITTEN 50072
#define IDS_NOTICE_NOT_RECORDING 50073
#define IDS_NOTICE_NOT_LOGGING 50074
// The firmware version label's prefix, and a recording that cannot be replayed
// ("%s" stands for the file name or the speed).
#define IDS_FIRMWARE_VERSION 50080
#define IDS_REPLAY_CANNOT_OPEN 50081
#define IDS_REPLAY_EMPTY 50082
#define IDS_REPLAY_NOT_A_RECORDING 50083
#define IDS_REPLAY_BAD_SPEED 50084
// A recording that could not be read further while playing: "%s" the file, then the reason.
#define IDS_REPLAY_READ_FAILED 50085
#define IDS_REPLAY_READ_FAILED_UNKNOWN 50086
#define IDS_REPLAY_FOLDER 50088
#define IDS_REPLAY_DROPPED_SEVERAL 50089
// Opening a recording from the window: the system menu's entries and the file dialog.
#define IDS_MENU_OPEN_RECORDING 50090
#define IDS_MENU_SPEED_1 50091
#define IDS_MENU_SPEED_5 50092
#define IDS_MENU_SPEED_20 50093
#define IDS_MENU_BACK_TO_LIVE 50094
#define IDS_OPEN_RECORDING_TITLE 50095
#define IDS_OPEN_RECORDING_FILTER 50096

// System menu commands (multiples of 16, as WM_SYSCOMMAND keeps its low four bits).
#define IDM_OPEN_RECORDING 0x0100
#define IDM_REPLAY_SPEED_1 0x0110
#define IDM_REPLAY_SPEED_5 0x0120
#define IDM_REPLAY_SPEED_20 0x0130
#define IDM_BACK_TO_LIVE 0x0140
#define IDM_LANGUAGE_CHINESE 0x0300
#define IDM_LANGUAGE_ENGLISH 0x0310
#define IDM_TUNING_ASSISTANT 0x0400

// The chart's right-click menu, its hover read-out and the link's health line
// ("{0}", "{1}", ... stand for the values named beside each).
#define IDS_CHART_MENU_SAVE_PICTURE 50130
#define IDS_CHART_MENU_COPY_DATA 50131
#define IDS_CHART_MENU_RESET_VIEW 50132
#define IDS_CHART_HOVER 50133  // {0} time label, {1} distance
#define IDS_CHART_SAVE_TITLE 50134
#define IDS_CHART_SAVE_FILTER 50135     // '|' separates the filter's parts
#define IDS_CHART_SAVE_FAILED 50136     // {0} file, {1} reason
#define IDS_CHART_ENCODE_FAILED 50137   // {0} status code
#define IDS_CHART_COPY_FAILED 50138     // {0} reason
#define IDS_CHART_HEALTH_RUNNING 50139  // {0} reports/s, {1} broken trailers, {2} resyncs, {3} port losses
#define IDS_CHART_HEALTH_STOPPED 50140  // the same without {0}
#define IDS_CHART_NO_PICTURE 50141
// Chart menu commands.
#define ID_CHART_SAVE_PICTURE 0x0300
#define ID_CHART_COPY_DATA 0x0310
#define ID_CHART_RESET_VIEW 0x0320

// "Export CSV…" in the system menu: its file dialogs, progress and outcome.
#define IDS_CSV_EXPORT_MENU 50110
#define IDS_CSV_EXPORT_OPEN_TITLE 50111
#define IDS_CSV_EXPORT_SAVE_TITLE 50112
#define IDS_CSV_EXPORT_CSV_FILES 50114
#define IDS_CSV_EXPORT_PROGRESS 50115
#define IDS_CSV_EXPORT_DONE 50116
#define IDS_CSV_EXPORT_REPORTS 50117
#define IDS_CSV_EXPORT_SKIPPED 50118
#define IDS_CSV_EXPORT_CANNOT_READ 50119
#define IDS_CSV_EXPORT_NO_REPORTS 50120
#define IDS_CSV_EXPORT_CANNOT_CREATE 50121
#define IDS_CSV_EXPORT_WRITE_FAILED 50122
#define IDS_CSV_EXPORT_BUSY 50123
#define IDS_CSV_EXPORT_SAME_FILE 50124

// The language chosen from the system menu: each entry in its own language (the
// same in both tables), and the notice, read from the chosen language's table.
#define IDS_MENU_LANGUAGE_CHINESE 50150
#define IDS_MENU_LANGUAGE_ENGLISH 50151
#define IDS_LANGUAGE_AT_NEXT_START 50152

// Profiles in the parameter dialog: its file dialogs and boxes, "write all"
// and the mark of a profile not yet written (also among the main window's notices).
#define IDS_PROFILE_SAVE_TITLE 50160
#define IDS_PROFILE_OPEN_TITLE 50161
#define IDS_PROFILE_FILTER 50162  // '|' separates the filter's parts
#define IDS_PROFILE_SAVE_FAILED 50163
#define IDS_PROFILE_LOAD_FAILED 50164
#define IDS_PROFILE_CANNOT_READ 50165
#define IDS_PROFILE_NOT_XML 50166
#define IDS_PROFILE_NO_ROOT 50167
#define IDS_PROFILE_WRONG_ROOT 50168
#define IDS_PROFILE_SEVERAL_ROOTS 50169
#define IDS_PROFILE_NOT_A_NUMBER 50170
#define IDS_PROFILE_OUT_OF_RANGE 50171
#define IDS_WRITE_ALL_QUESTION 50172
#define IDS_WRITE_ALL_OK 50173
#define IDS_WRITE_ALL_READ_BACK_FAILED 50174
#define IDS_WRITE_ALL_MISMATCH 50175
#define IDS_WRITE_ALL_SENT 50176
#define IDS_WRITE_ALL_GOT 50177
#define IDS_PROFILE_NOT_WRITTEN 50178
#define IDS_PROFILE_USE_WRITE_ALL 50179

// Tuning assistant controls
#define IDC_TUNE_EMPTY_RECORD 1300
#define IDC_TUNE_EMPTY_CHOOSE 1301
#define IDC_TUNE_EMPTY_FILE 1302
#define IDC_TUNE_OCCUPIED_RECORD 1303
#define IDC_TUNE_OCCUPIED_CHOOSE 1304
#define IDC_TUNE_OCCUPIED_FILE 1305
#define IDC_TUNE_TRUE_DISTANCE 1306
#define IDC_TUNE_COUNTDOWN 1307
#define IDC_TUNE_ANALYSE 1308
#define IDC_TUNE_RESULT 1309
#define IDC_TUNE_APPLY 1310
#define IDC_TUNE_APPLY_NOTE 1311
// The tuning assistant's texts ("{0}", "{1}", ... stand for the values named beside each).
#define IDS_TUNE_MENU 50190
#define IDS_TUNE_NO_FILE 50191
#define IDS_TUNE_COUNTDOWN 50192  // {0} seconds left
#define IDS_TUNE_RECORD 50193
#define IDS_TUNE_STOP 50194
#define IDS_TUNE_CHOOSE_TITLE 50195
#define IDS_TUNE_CANNOT_READ 50196      // {0} file, {1} reason
#define IDS_TUNE_BAD_DISTANCE 50197     // the true distance is no whole number of cm
#define IDS_TUNE_APPLY_NO_MODULE 50198  // Apply is off: no module to command
#define IDS_TUNE_APPLY_NOTHING 50199    // Apply is off: nothing to suggest
#define IDS_TUNE_HEAD_SUGGESTIONS 50200
#define IDS_TUNE_HEAD_PREDICTED 50201
#define IDS_TUNE_NO_SUGGESTION 50202
#define IDS_TUNE_SUGGESTION 50203          // {0} setting, {1} old, {2} new, {3} reason
#define IDS_TUNE_PRESENCE_COUNTS 50204     // {0} before, {1} after
#define IDS_TUNE_DEPARTURE_COUNTS 50205    // {0} before, {1} after
#define IDS_TUNE_REASON_NEAR 50206         // {0} clutter's farthest cm, {1} the person's low edge
#define IDS_TUNE_REASON_FAR 50207          // {0} clutter's nearest cm, {1} the person's high edge
#define IDS_TUNE_REASON_BRIDGE 50208       // {0} longest gap bridged, periods
#define IDS_TUNE_REASON_CALIBRATION 50209  // {0} true cm, {1} reported median cm
#define IDS_TUNE_TIMER_FAILED 50219        // the timed recording's timer could not be set
#define IDS_TUNE_HEAD_DETAILS 50210
#define IDS_TUNE_PROBLEM_NO_FRAMES 50211  // {0} which recording
#define IDS_TUNE_PROBLEM_TOO_SHORT 50212  // {0} which recording, {1} seconds needed
#define IDS_TUNE_PROBLEM_TOO_LONG 50213
#define IDS_TUNE_PROBLEM_SWAPPED 50214
#define IDS_TUNE_PROBLEM_EMPTY_PRESENT 50215
#define IDS_TUNE_PROBLEM_NEVER_PRESENT 50216
#define IDS_TUNE_EMPTY_NAME 50217
#define IDS_TUNE_OCCUPIED_NAME 50218

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
