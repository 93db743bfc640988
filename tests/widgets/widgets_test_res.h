// Resource ids of the widget tests' own resource script.
#pragma once

#define IDR_TEST_FRAME 128
#define IDR_BROKEN_TOOLBAR 129
#define IDR_SHORT_TOOLBAR 130
#define IDR_NO_BITMAP_TOOLBAR 131

#define CMD_APPLY 32777
#define CMD_LOAD 32778
#define CMD_SAVE 32779
#define CMD_HELP 32789
#define CMD_EXIT 57665
#define CMD_ABOUT 57664
#define CMD_VIEW_TOOLBAR 59392
#define CMD_VIEW_STATUS 59393
