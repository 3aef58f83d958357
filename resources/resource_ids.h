// Control ids of the fourteen page templates, shared by lull.rc and the code.
// Plain macros, because the resource compiler reads this file too.
#pragma once

// Frames and fixed texts.
#define IDC_STATIC_TEXT 0

// Yes/no radio buttons (the reactivate/reset pair on ResetActivate).
#define IDC_YES 1
#define IDC_NO 7

// Push buttons.
#define IDC_CANCEL 2
#define IDC_FINISH 8
#define IDC_PREVIOUS 10
#define IDC_NEXT 11
#define IDC_LICENSE 13
#define IDC_LICENSE_OK 14

// The sleep times of SelectTime and SelectCompliant, in the order they are shown: the one
// table of times. A row is ROW(ARG, radio id, minutes, position on the page); lull.rc lays
// out the radios from it and the code takes each time's seconds and texts from it. The last
// row is also what any other id means.
#define IDC_TIME_10 4097
#define IDC_TIME_15 4098
#define IDC_TIME_20 4100
#define LULL_TIME_CHOICES(ROW, ARG) \
    ROW(ARG, IDC_TIME_10, 10, 0) \
    ROW(ARG, IDC_TIME_15, 15, 1) \
    ROW(ARG, IDC_TIME_20, 20, 2)

// The note of NormalFinish and ResetFinish: the Windows 95 restart note, an operation's
// failure note, or both.
#define IDC_FINISH_NOTE 3000

// The six summary lines of ShowCurrent, in the order they are shown.
#define IDC_CURRENT_STATE 5000
#define IDC_CURRENT_SLEEP 5001
#define IDC_CURRENT_SAVER 5002
#define IDC_PREVIOUS_STATE 5003
#define IDC_PREVIOUS_SLEEP 5004
#define IDC_PREVIOUS_SAVER 5005

// The program icon, shown by the shell for lull.exe.
#define IDI_LULL 6015
