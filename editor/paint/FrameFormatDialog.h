// Control ids of the "Change Frame Format" dialog; shared by its template
// (FrameFormat.rc) and its procedure (FrameFormatDialog.cpp).
#pragma once

#define IDC_FORMAT_CURRENT_X        601
#define IDC_FORMAT_CURRENT_Y        602
#define IDC_FORMAT_WIDTH            605
#define IDC_FORMAT_WIDTH_SPIN       606
#define IDC_FORMAT_HEIGHT           607
#define IDC_FORMAT_HEIGHT_SPIN      608
#define IDC_FORMAT_NEW_SIZE         609
#define IDC_FORMAT_USE_SELECTION    610
#define IDC_FORMAT_STRETCH          611
#define IDC_FORMAT_DITHER           612
#define IDC_FORMAT_FRAME_COLORS     613
#define IDC_FORMAT_RETAIN_ASPECT    614
#define IDC_FORMAT_QUANTIZE         615
// The colour depths, as in "New Frame Sequence".
#define IDC_FORMAT_DEPTH_2          225
#define IDC_FORMAT_DEPTH_16         226
#define IDC_FORMAT_DEPTH_256        227
#define IDC_FORMAT_DEPTH_65536      228
#define IDC_FORMAT_DEPTH_TRUE       229

#define IDS_FRAME_SIZE_RANGE        2017
#define IDS_ASK_LIBRARY_REDUCE      2019
