#pragma once

// Resource identifiers shared by the resource script and the code.
#define IDI_PATHWREN 101

// Browser toolbar images; a skin may replace any of them by name.
#define IDI_TOOLBAR_CLOSE 102
#define IDI_TOOLBAR_CLOSE_DOWN 103
#define IDI_TOOLBAR_CLOSE_HOT 104
#define IDI_TOOLBAR_HOME 105
#define IDI_TOOLBAR_HOME_DOWN 106
#define IDI_TOOLBAR_HOME_HOT 107
#define IDI_TOOLBAR_MAXIMIZE 108
#define IDI_TOOLBAR_MAXIMIZE_DOWN 109
#define IDI_TOOLBAR_MAXIMIZE_HOT 110
#define IDI_TOOLBAR_MOVE 111
#define IDI_TOOLBAR_MOVE_DOWN 112
#define IDI_TOOLBAR_MOVE_HOT 113
#define IDI_TOOLBAR_FORWARD 114
#define IDI_TOOLBAR_FORWARD_DISABLED 115
#define IDI_TOOLBAR_FORWARD_DOWN 116
#define IDI_TOOLBAR_FORWARD_HOT 117
#define IDI_TOOLBAR_BACK 118
#define IDI_TOOLBAR_BACK_DISABLED 119
#define IDI_TOOLBAR_BACK_DOWN 120
#define IDI_TOOLBAR_BACK_HOT 121
#define IDI_TOOLBAR_REDUCE 122
#define IDI_TOOLBAR_REDUCE_DOWN 123
#define IDI_TOOLBAR_REDUCE_HOT 124
#define IDI_TOOLBAR_UP 125
#define IDI_TOOLBAR_UP_DOWN 126
#define IDI_TOOLBAR_UP_HOT 127
#define IDI_TOOLBAR_JUMP_TO_EXPLORER 153
#define IDI_TOOLBAR_JUMP_TO_EXPLORER_DOWN 154
#define IDI_TOOLBAR_JUMP_TO_EXPLORER_HOT 155

// Icon of an item without an icon of its own, and the icons of the context menus.
#define IDI_DEFAULT_FOLDER 133
#define IDI_OPTIONS 134
#define IDI_ABOUT 141
#define IDI_HELP 146
#define IDI_DONATE 147
#define IDI_SHOW 148
#define IDI_CHECK_FOR_UPDATE 149
#define IDI_EXIT 150
#define IDI_MAXIMIZE_REDUCE 156

// The about box and its controls; the link control is created at run time.
#define IDD_ABOUT 140
#define IDC_ABOUT_ICON 1070
#define IDC_ABOUT_TITLE 1071
#define IDC_ABOUT_LICENCE 1072
#define IDC_ABOUT_LINK 10001
