// Resource ids of the "Control Center" (template 1036) and its bitmaps.
#pragma once

#define IDB_DIRECTION_PAD               930   // 48 x 48 cells: none, left, up, right, down
#define IDB_TRANSPORT_ICONS             931   // 22 x 16 cells, a second row greyed

#define IDC_CC_OBJECT                   1300
#define IDC_CC_STEP_NUMBER              1301  // the step (step list) or the passes (sequence)
#define IDC_CC_STEP_LABEL               1302
#define IDC_CC_X                        1305
#define IDC_CC_X_ABSOLUTE               1306
#define IDC_CC_Y                        1307
#define IDC_CC_Y_ABSOLUTE               1308
#define IDC_CC_PAD                      1310
#define IDC_CC_SOUND_ON                 1320
#define IDC_CC_SOUND_OFF                1321
#define IDC_CC_STEP_ONE                 1325  // ">"
#define IDC_CC_STEP_NEXT                1326  // ">|"
#define IDC_CC_RUN                      1327  // ">>"
#define IDC_CC_RESTART                  1328  // "|<"
// The step-list view.
#define IDC_CC_FRAME                    1331
#define IDC_CC_DELAY_LABEL              1333
#define IDC_CC_DELAY                    1334
#define IDC_CC_DELAY_COUNTER            1336
#define IDC_CC_COUNT_SHOWN              1339
#define IDC_CC_COUNTER                  1340
#define IDC_CC_COUNTER_CHECK            1341
#define IDC_CC_MOUSE_CHECK              1342
#define IDC_CC_BORDER_CHECK             1343
#define IDC_CC_KEY_CHECK                1344
#define IDC_CC_MOUSE_PICK               1345
#define IDC_CC_BORDER_PICK              1346
#define IDC_CC_KEY_PICK                 1347
#define IDC_CC_KEY_COMBO                1348
#define IDC_CC_FORCED                   1349
#define IDC_CC_TARGET                   1350
#define IDC_CC_TARGET_LABEL             1351
#define IDC_CC_FIX_FRAME                1352
// The sequence view.
#define IDC_CC_SEQ_FRAME                1361
#define IDC_CC_SOLID_BORDER             1363
#define IDC_CC_REPEAT                   1364
#define IDC_CC_REVERSE                  1365
#define IDC_CC_CYCLE_COUNTER            1366
#define IDC_CC_CYCLE_DELAY_VALUE        1367
#define IDC_CC_CYCLE_DELAY              1368
#define IDC_CC_CYCLE_LABEL              1369
#define IDC_CC_MOTION_COUNTER           1370
#define IDC_CC_MOTION_DELAY_VALUE       1371
#define IDC_CC_MOTION_DELAY             1372
#define IDC_CC_FINISH_COUNT             1373
#define IDC_CC_FINISH                   1374
#define IDC_CC_MOTION_LABEL             1375
#define IDC_CC_FRAME_LABEL              1376

// Ids of the condition popups' items (as in the cycle dialog).
#define IDM_CC_MOUSE_FIRST              10100
#define IDM_CC_BORDER_FIRST             10108
#define IDM_CC_KEY_FIRST                10116
