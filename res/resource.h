/* Resource ids shared by the resource scripts and the program. */
#pragma once

#define IDS_APP_TITLE 103
#define IDS_KEYMAP_FILE 104
#define IDC_PLUMTIDE 109

#define IDI_PLUMTIDE 107
#define IDI_SMALL 108

#define IDR_CLASS_MENU 109
#define IDR_POPUP_MENU 129
#define IDD_ABOUTBOX 103

#define IDM_ABOUT 104
#define IDM_EXIT 105

#define IDM_ALPHA_10 32775
#define IDM_ALPHA_20 32778
#define IDM_ALPHA_30 32776
#define IDM_ALPHA_50 32773
#define IDM_ALPHA_80 32777
#define IDM_ALPHA_100 32779

#define IDM_STYLE_1 32784
#define IDM_STYLE_2 32785
#define IDM_STYLE_3 32786
#define IDM_STYLE_4 32787
#define IDM_STYLE_5 32788
#define IDM_STYLE_6 32789

#define IDM_VISIBLE 32792
#define IDM_AUTO_SHOW 32793

#define PLUMTIDE_VERSION_NUMBERS 1, 2, 0, 0
#define PLUMTIDE_VERSION_TEXT "1.2.0"
