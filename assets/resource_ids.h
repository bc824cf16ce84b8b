// Identifiers of the pictures stored in the program's resources.
#pragma once

#define IDI_FLUTTERA 1
// Petal frames: masks IDB_PETAL_MASK + k, sprites IDB_PETAL_SPRITE + k, k = 0..15.
#define IDB_PETAL_MASK 100
#define IDB_PETAL_SPRITE 120
// The same frames drawn for high-DPI screens at 24, 32 and 48 pixels (150, 200, 300 %).
#define IDB_PETAL24_MASK 500
#define IDB_PETAL24_SPRITE 520
#define IDB_PETAL32_MASK 540
#define IDB_PETAL32_SPRITE 560
#define IDB_PETAL48_MASK 580
#define IDB_PETAL48_SPRITE 600
// The preview picture (JPEG, decoded at run time).
#define IDR_PREVIEW_JPEG 200
#define RT_JPEG_DATA 256
// Button state pictures: Normal, HighLight, Pressed, Selected, HighLightSelect, Disable.
#define IDB_BUTTON_NORMAL 300
#define IDB_BUTTON_HIGHLIGHT 301
#define IDB_BUTTON_PRESSED 302
#define IDB_BUTTON_SELECTED 303
#define IDB_BUTTON_HIGHLIGHTSELECT 304
#define IDB_BUTTON_DISABLE 305
// Settings dialog pictures.
#define IDB_TEXTURE 400
#define IDB_OPTION_OFF 401
#define IDB_OPTION_ON 402
#define IDC_HAND_POINTER 403
// The button's state pictures and the dialog's texture and indicators are also drawn for
// 125, 150 and 200 %: set k (1 to 3) of them is the 100 % identifier + k x this step.
#define IDB_SCALED_SET_STEP 10
