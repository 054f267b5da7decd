// Resource identifiers of the dialogs, controls, menus, icons and strings.
#pragma once

// Dialog push buttons 1 and 2 are the framework's OK and Cancel; the dialog
// builder maps them to wxID_OK and wxID_CANCEL so Enter, Escape and the close
// box behave as on every platform.
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialogs
#define IDD_ABOUTBOX 100
#define IDD_DIRCOMPARE_DIALOG 102
#define IDD_DIRLIST 129
#define IDD_DIRINPUT 130
#define IDD_CONFIRM_COPY 144
#define IDD_MASK 146
#define IDD_COPY_PROGRESS 147
#define IDD_COMPARE_PROGRESS 148
#define IDD_COPY_FAILURE 149
#define IDD_COPY_SUMMARY 150

// Strings, icons, menus
#define IDS_ABOUTBOX 101
#define IDR_MAINFRAME 128
#define IDI_ONLY_A 138
#define IDI_ONLY_B 139
#define IDI_A_NEWER 140
#define IDI_B_NEWER 141
#define IDI_UNDECIDED 142
#define IDR_RESULT_MENU 143

// Controls
#define IDC_RESULT_LIST 1001
#define IDC_PAIR_LIST 1001
#define IDC_BROWSE_A 1002
#define IDC_BROWSE_B 1003
#define IDC_DIRS 1004
#define IDC_DIR_A 1006
#define IDC_MASK_TEXT 1006
#define IDC_DIR_B 1007
#define IDC_SECRET 1007
#define IDC_DELETE 1008
#define IDC_MASK 1012
#define IDC_COPY_FILE 1014
#define IDC_COPY_FROM 1015
#define IDC_COPY_TO 1016
#define IDC_COPY_MESSAGE 1017
#define IDC_ABOUT_ICON 1018
#define IDC_ABOUT_TEXT 1019
#define IDC_SUBDIRS 1020
#define IDC_COMPARE_MESSAGE 1021
#define IDC_COMPARE_FOLDER 1022
#define IDC_COMPARE_COUNT 1023
#define IDC_COPY_FIGURES 1024
#define IDC_COPY_RATE 1025
#define IDC_FAILURE_ICON 1026
#define IDC_FAILURE_TEXT 1027
#define IDC_FAILURE_QUIET 1028
#define IDC_SUMMARY_COUNTS 1029
#define IDC_SUMMARY_STOPPED 1030
#define IDC_SUMMARY_LABEL 1031
#define IDC_SUMMARY_LIST 1032

// Menu commands
#define IDM_ABOUTBOX 0x0010
#define ID_SELECT_ALL 32772
#define ID_COPY_SELECTED 32773
