// Resource identifiers shared by the .rc file and the program.
#pragma once

#define IDI_CORVANA 1

// Small images (menus, buttons, list items)
#define IDI_ABOUT 101
#define IDI_HELP 102
#define IDI_EXIT 103
#define IDI_FEEDBACK 104
#define IDI_FOLDER32 105
#define IDI_FOLDER32_GRAY 106
#define IDI_SETTING_TOOLS 107
#define IDI_FILE_SOUND 108
#define IDI_TICK_BUTTON 109
#define IDI_ARROW 110
#define IDI_SAVE 111
#define IDI_STOP_BUTTON 112

// Large images (tool bar, about box)
#define IDI_ADD_VIDEO 201
#define IDI_ADD_FOLDER 202
#define IDI_ENVELOPE_LETTER 203
#define IDI_SIGN_INFO 204
#define IDI_SIGN_QUESTION 205
#define IDI_LOGO 206
#define IDI_CAT 207

// Medium images (feedback choices)
#define IDI_LIKE 301
#define IDI_DISLIKE 302
