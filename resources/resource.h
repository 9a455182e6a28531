// Resource numbers of kestrune.exe. Plain #defines only: read by the resource compiler and by
// portable code alike.
#pragma once

#define IDR_MAINFRAME 128        // accelerator table and application icon
#define IDD_MAINDLG 129
#define IDR_TRAYMENU 415
#define IDR_RECORDMENU 420
#define IDR_STOPRECORDMENU 421

// Main window controls
#define IDC_SW 999
#define IDC_PRESET_DOWN 1000
#define IDC_PRESET1 1001
#define IDC_PRESET12 1012
#define IDC_PRESET_UP 1013
#define IDC_SETTINGS 1014
#define IDC_TIMER_SETTINGS 1015
#define IDC_AM 1016
#define IDC_FM 1017
#define IDC_SEEK_DOWN 1018
#define IDC_TUNE_DOWN 1019
#define IDC_TUNE_UP 1020
#define IDC_SEEK_UP 1021
#define IDC_RECORD 1022
#define IDC_PLAYBACK 1023
#define IDC_MUTE 1024
#define IDC_SAVE_PRESET 1025
#define IDC_MINIMISE 1026
#define IDC_CLOSE 1028
#define IDC_STEREO 1032
#define IDC_VOLUME 1033
#define IDC_PRESET_NAME 1120
#define IDC_TEXT_TIME 1128
#define IDC_TEXT_RATE 1129
#define IDC_TEXT_FILE 1130
#define IDC_TEXT_LABEL 1131
#define IDC_ABOUT 1137
#define IDC_POSITION 1148
#define IDC_ANNOUNCEMENT 1150   // the live region, made at run time
#define IDC_NOTIFICATIONS 1151  // the UI Automation notification window, made at run time

// Accelerator and menu commands
#define ID_VOLUME_UP 32775
#define ID_VOLUME_DOWN 32776
#define ID_SHOW_RADIO 32779
#define ID_EXIT 32780
#define ID_START_WITH_WINDOWS 32790
#define ID_REC_OPEN 32802
#define ID_REC_15 32803
#define ID_REC_30 32804
#define ID_REC_45 32805
#define ID_REC_60 32806
#define ID_STOP_NOW 32807
#define ID_STOP_15 32808
#define ID_STOP_30 32809
#define ID_STOP_45 32810
#define ID_STOP_60 32811
