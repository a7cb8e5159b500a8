// AVI video in the image library: import of chosen frames into the
// editor's sequence, export of the sequence as a video, and the preview.
#pragma once
#include "ConvFormats.h"
#include <windows.h>
#include <string>
#include <vector>

constexpr int AVI_MAX_STRIP_ITEMS = 32760;
constexpr int AVI_MAX_SELECT_COUNT = 255;
constexpr int AVI_SELECTION_TEXT_CHARS = 120;
constexpr int AVI_DEFAULT_RATE = 12;
constexpr int AVI_MAX_RATE = 25;
constexpr int AVI_MAX_DELAY = 99;

// ---- the rows of format 165 in the format table --------------------------------------

int LoadAviFile(const ConvLoadCall& call);
int SaveAviFile(const ConvSaveCall& call);
int GetAviPreview(const char* path, ConvImage* image);

// ---- pieces the dialogs are built from ----------------------------------------------

// The frames "AVI Select Frames" selects: start - 1, start - 1 + step, ...
// (count of them), only those below `frames`.
std::vector<int> FramesToSelect(int start, int count, int step, int frames);
// The numbers (from 1) of the selected frames joined by commas, appended
// while the text is shorter than 120 characters.
std::string SelectionText(const std::vector<int>& selected);
// The short form: the first and the last number joined by five dots.
std::string ShortSelectionText(const std::vector<int>& selected);
// The ADD_FRAME flags of the import's options.
UINT AviImportFlags(bool palette, bool stretch, bool dither);
// "%3.2fs" of a number of video frames at a rate.
std::string AviSeconds(long frames, int rate);
// The frame rate of a field's text: 1..25, else 12.
int AviRateOf(int value, bool isNumber);
