// Resource numbers of the three settings dialogs and the timer list. Several controls of
// different dialogs share a number, so each name carries its dialog. Plain #defines only: read
// by the resource compiler and by portable code alike.
#pragma once

// ---- Preferences, dialog 413 ----
#define IDD_PREFERENCES 413
#define IDC_PREF_FORMAT 1084
#define IDC_PREF_FOLDER 1085
#define IDC_PREF_DEFAULT 1124
#define IDC_PREF_BROWSE 1125
#define IDC_PREF_USA 1132
#define IDC_PREF_EUROPE 1133
#define IDC_PREF_JAPAN 1134
// Preset rows: FM names and frequencies are scattered numbers (see PreferencesControls.h);
// AM names 1060, 1062 ... 1082 with frequencies one above; SW names 1086 ... 1108 likewise.
#define IDC_PREF_AM_NAME1 1060
#define IDC_PREF_SW_NAME1 1086

// ---- Timer settings, dialog 414 ----
#define IDD_TIMER_SETTINGS 414
#define IDC_TIMER_SETTINGS_PC 1014
#define IDC_TIMER_NAME 1036
#define IDC_TIMER_FORMAT 1085
#define IDC_TIMER_SELECT1 1086
#define IDC_TIMER_SELECT16 1101
#define IDC_TIMER_AM 1102
#define IDC_TIMER_DATE 1103
#define IDC_TIMER_WEEKLY 1104
#define IDC_TIMER_DATE_PICKER 1105
#define IDC_TIMER_FM 1106
#define IDC_TIMER_SUN 1107
#define IDC_TIMER_MON 1108
#define IDC_TIMER_SW 1109
#define IDC_TIMER_TUE 1110
#define IDC_TIMER_WED 1111
#define IDC_TIMER_THU 1112
#define IDC_TIMER_FRI 1113
#define IDC_TIMER_SAT 1114
#define IDC_TIMER_ON 1117
#define IDC_TIMER_LIST 1118
#define IDC_TIMER_FREQUENCY 1126
#define IDC_TIMER_START 1127
#define IDC_TIMER_STOP 1128
#define IDC_TIMER_STATION 1129
#define IDC_TIMER_UNIT 1130
#define IDC_TIMER_HIDDEN 1139
#define IDC_TIMER_FRAME 1140
#define IDC_TIMER_NAME_GROUP 1141
#define IDC_TIMER_FREQUENCY_GROUP 1142
#define IDC_TIMER_FORMAT_GROUP 1143
#define IDC_TIMER_DATE_GROUP 1144
#define IDC_TIMER_START_GROUP 1145
#define IDC_TIMER_STOP_GROUP 1146
#define IDC_TIMER_ON_GROUP 1147
#define IDC_TIMER_WAKE_TIMERS 1150
#define IDC_TIMER_POWER_OPTIONS 1151

// ---- Timer list, dialog 416 ----
#define IDD_TIMER_LIST 416
#define IDC_TIMER_LIST_VIEW 1135

// ---- PC settings, dialog 417 ----
#define IDD_PC_SETTINGS 417
#define IDC_PC_WAKE_LEAD 1084
#define IDC_PC_NO 1132
#define IDC_PC_STANDBY 1133
#define IDC_PC_SUSPEND 1134
#define IDC_PC_WAKE 1136
#define IDC_PC_AUTO_SUSPEND 1137
#define IDC_PC_SLEEP_AFTER 1138
#define IDC_PC_SHUTDOWN_AFTER 1139
#define IDC_PC_CLOSE_AFTER 1140
#define IDC_PC_WAKE_TIMERS 1150
#define IDC_PC_POWER_OPTIONS 1151
#define IDC_PC_TASK_START 1152
