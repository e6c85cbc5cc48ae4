// Resource ids shared by Setup.rc and the code that loads the resources.
#pragma once
#define IDR_PICTURE_TOP 101
#define IDR_PICTURE_LEFT 102
#define IDR_FOLDER_ICON 103
#define IDR_TEXT_AGREEMENT 104
#define IDR_TEXT_NOTES 105
