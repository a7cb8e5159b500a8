// The settings file's keys, their defaults and the option bits.
#include "EditorSettings.h"
#include "AppState.h"
#include "BmxFile.h"
#include "DocumentStrings.h"
#include "RecentFiles.h"
#include <cstdio>

namespace {

const SettingsKeyInfo kSettingsKeys[] = {
    {IDS_SECTION_FILE, IDS_KEY_BMX_COMPRESSION, static_cast<int>(DEFAULT_BMX_COMPRESSION), false},
    {IDS_SECTION_FILE, IDS_KEY_BMP_COMPRESSION, 0, false},
    {IDS_SECTION_FILE, IDS_KEY_USE_SAVED_PALETTE, 1, false},
    {IDS_SECTION_FILE, IDS_KEY_ASK_STRETCH_FRAME, 1, false},
    {IDS_SECTION_FILE, IDS_KEY_SHOW_PREVIEW, 1, false},
    {IDS_SECTION_FILE, IDS_KEY_DIB_COLOR_LOOKUP, 0, false},
    {IDS_SECTION_FILE, IDS_KEY_DITHER_ON_OPEN, 0, false},
    {IDS_SECTION_FILE, IDS_KEY_DITHER_ON_PASTE, 0, false},
    {IDS_SECTION_FILE, IDS_KEY_USE_DEVICE_BITMAPS, -1, false},
    {IDS_SECTION_EDIT, IDS_KEY_SHOW_FRAME_ON_INSERT, 1, false},
    {IDS_SECTION_EDIT, IDS_KEY_AUTO_CLEAR_FRAME_SELECTION, 0, false},
    {IDS_SECTION_EDIT, IDS_KEY_ALTERNATE_FILL, 0, false},
    {IDS_SECTION_EDIT, IDS_KEY_UNDO_BUFFER_SIZE, 1024, false},
    {IDS_SECTION_EDIT, IDS_KEY_VIEW_SIZE, 0, true},
    {IDS_SECTION_EDIT, IDS_KEY_MOVE_KEYS, 14, false},
    {IDS_SECTION_EDIT, IDS_KEY_SOFT_UNDO, 0, false},
    {IDS_SECTION_EDIT, IDS_KEY_PREVIEW_TEXT, 1, false},
    {IDS_SECTION_EDIT, IDS_KEY_GREASE_PROOF_MODE, -1, false},
    {IDS_SECTION_EDIT, IDS_KEY_EDIT_BORDER, 0, false},
    {IDS_SECTION_WINDOW, IDS_KEY_USE_SYSTEM_PALETTE, 0, false},
    {IDS_SECTION_WINDOW, IDS_KEY_USE_CLIPBOARD_PALETTE, 1, false},
    {IDS_SECTION_WINDOW, IDS_KEY_SHOW_PATH_IN_TITLE, 0, false},
    {IDS_SECTION_WINDOW, IDS_KEY_RESET_TOOLS, 1, false},
    {IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, 0, true},
    {IDS_SECTION_WINDOW, IDS_KEY_MAXIMIZED, 0, false},
    {IDS_SECTION_WINDOW, IDS_KEY_TRACK_FILM, 0, false},
    {IDS_SECTION_WINDOW, IDS_KEY_RIGHT_DBL_CLICK, 0, false},
    {IDS_SECTION_PRINT, IDS_KEY_BANDING, 1, false},
};

// What a fresh settings file holds, in the order it is written. A text
// default is written as it stands; the others as "%d".
struct WrittenDefault {
    UINT key;
    int value;
    const char* text;
};
const WrittenDefault kWrittenDefaults[] = {
    {IDS_KEY_USE_SYSTEM_PALETTE, 1, nullptr},
    {IDS_KEY_SHOW_PATH_IN_TITLE, 0, nullptr},
    {IDS_KEY_TRACK_FILM, 0, nullptr},
    {IDS_KEY_RESET_TOOLS, 1, nullptr},
    {IDS_KEY_USE_CLIPBOARD_PALETTE, 1, nullptr},
    {IDS_KEY_RIGHT_DBL_CLICK, 0, nullptr},
    {IDS_KEY_BMX_COMPRESSION, static_cast<int>(DEFAULT_BMX_COMPRESSION), nullptr},
    {IDS_KEY_BMP_COMPRESSION, 0, nullptr},
    {IDS_KEY_USE_SAVED_PALETTE, 1, nullptr},
    {IDS_KEY_ASK_STRETCH_FRAME, 1, nullptr},
    {IDS_KEY_DIB_COLOR_LOOKUP, 0, nullptr},
    {IDS_KEY_USE_DEVICE_BITMAPS, -1, nullptr},
    {IDS_KEY_VIEW_SIZE, 0, "50 50"},
    {IDS_KEY_UNDO_BUFFER_SIZE, 8192, nullptr},
    {IDS_KEY_SHOW_FRAME_ON_INSERT, 1, nullptr},
    {IDS_KEY_ALTERNATE_FILL, 0, nullptr},
    {IDS_KEY_SOFT_UNDO, 0, nullptr},
    {IDS_KEY_PREVIEW_TEXT, 1, nullptr},
    {IDS_KEY_AUTO_CLEAR_FRAME_SELECTION, 0, nullptr},
    {IDS_KEY_EDIT_BORDER, 0, nullptr},
    {IDS_KEY_BANDING, 1, nullptr},
};

// optionFlags in the order its keys are read: the key's value, cut to the
// width of its field, goes to the field whose lowest bit is `lowBit`.
struct OptionBits {
    UINT key;
    uint32_t lowBit;
    uint32_t mask;
};
const OptionBits kOptionBits[] = {
    {IDS_KEY_USE_CLIPBOARD_PALETTE, 1u << OPTION_CLIPBOARD_PALETTE_SHIFT, OPTION_TWO_BITS},
    {IDS_KEY_TRACK_FILM, OPTION_TRACK_FILM, 1},
    {IDS_KEY_RIGHT_DBL_CLICK, OPTION_RIGHT_DBL_CLICK, 1},
    {IDS_KEY_USE_SAVED_PALETTE, 1u << OPTION_SAVED_PALETTE_SHIFT, OPTION_TWO_BITS},
    {IDS_KEY_ASK_STRETCH_FRAME, 1u << OPTION_ASK_STRETCH_SHIFT, OPTION_TWO_BITS},
    {IDS_KEY_AUTO_CLEAR_FRAME_SELECTION, OPTION_AUTO_CLEAR_FRAME_SELECTION, 1},
    {IDS_KEY_SHOW_FRAME_ON_INSERT, OPTION_SHOW_FRAME_ON_INSERT, 1},
    {IDS_KEY_ALTERNATE_FILL, 1u << OPTION_ALTERNATE_FILL_SHIFT, OPTION_TWO_BITS},
    {IDS_KEY_SOFT_UNDO, OPTION_SOFT_UNDO, 1},
    {IDS_KEY_PREVIEW_TEXT, OPTION_PREVIEW_TEXT, 1},
    {IDS_KEY_EDIT_BORDER, OPTION_EDIT_BORDER, 1},
    {IDS_KEY_DITHER_ON_OPEN, OPTION_DITHER_ON_OPEN, 1},
    {IDS_KEY_DITHER_ON_PASTE, OPTION_DITHER_ON_PASTE, 1},
};

bool SettingsFileExists()
{
    // The existence test goes by attributes: the old OpenFile test takes at
    // most 127 characters and would call a file in a deep folder missing,
    // and the defaults would overwrite the user's settings at every start.
    char path[MAX_PATH];
    GetIniFilePath(path, sizeof path);
    if (!path[0]) return false;
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int PercentOrDefault(int value)
{
    return value >= MIN_VIEW_PERCENT && value <= MAX_VIEW_PERCENT ? value : DEFAULT_VIEW_PERCENT;
}

}  // namespace

const SettingsKeyInfo* SettingsKeys(int* count)
{
    *count = static_cast<int>(sizeof kSettingsKeys / sizeof kSettingsKeys[0]);
    return kSettingsKeys;
}

const SettingsKeyInfo* FindSettingsKey(UINT keyId)
{
    for (const SettingsKeyInfo& info : kSettingsKeys)
        if (info.key == keyId) return &info;
    return nullptr;
}

int ReadSetting(UINT keyId)
{
    const SettingsKeyInfo* info = FindSettingsKey(keyId);
    if (!info || info->isText) return 0;
    return ReadIniInt(info->section, info->key, info->readDefault);
}

BOOL WriteSetting(UINT keyId, int value)
{
    const SettingsKeyInfo* info = FindSettingsKey(keyId);
    return info && !info->isText && WriteIniInt(info->section, info->key, value);
}

void WriteDefaultSettings(int onlyWhenMissing)
{
    if (onlyWhenMissing && SettingsFileExists()) return;
    for (const WrittenDefault& d : kWrittenDefaults) {
        const SettingsKeyInfo* info = FindSettingsKey(d.key);
        if (d.text) WriteIniString(info->section, info->key, d.text);
        else WriteIniInt(info->section, info->key, d.value);
    }
}

uint32_t ReadOptionFlags()
{
    uint32_t flags = 0;
    for (const OptionBits& bits : kOptionBits)
        flags |= (static_cast<uint32_t>(ReadSetting(bits.key)) & bits.mask) * bits.lowBit;
    return flags;
}

StartupSettings ReadStartupSettings()
{
    WriteDefaultSettings(1);
    g_appState.optionFlags = ReadOptionFlags();
    g_appState.moveKeys = static_cast<WORD>(ReadSetting(IDS_KEY_MOVE_KEYS));
    StartupSettings settings;
    settings.undoBufferSize = ReadSetting(IDS_KEY_UNDO_BUFFER_SIZE);
    settings.onionSkinSource = ReadSetting(IDS_KEY_GREASE_PROOF_MODE);
    return settings;
}

void ReadViewSize(int* horizontal, int* vertical)
{
    char text[64];
    ReadIniString(IDS_SECTION_EDIT, IDS_KEY_VIEW_SIZE, text, sizeof text);
    int h = 0, v = 0;
    const int read = sscanf(text, "%d %d", &h, &v);
    *horizontal = PercentOrDefault(read >= 1 ? h : 0);
    *vertical = PercentOrDefault(read >= 2 ? v : 0);
}

void WriteViewSize(int horizontal, int vertical)
{
    char text[32];
    snprintf(text, sizeof text, "%d %d", horizontal, vertical);
    WriteIniString(IDS_SECTION_EDIT, IDS_KEY_VIEW_SIZE, text);
}

bool ReadWindowSize(WindowSize* size)
{
    char text[80];
    ReadIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, text, sizeof text);
    WindowSize read;
    if (sscanf(text, "%d %d %d %d", &read.left, &read.top, &read.width, &read.height) != 4) return false;
    *size = read;
    return true;
}

int ReadMaximized() { return ReadSetting(IDS_KEY_MAXIMIZED); }

void SaveWindowPlacement(HWND mainWindow, int onionSkinSource)
{
    const bool maximized = IsZoomed(mainWindow) != FALSE;
    RECT r;
    if (!maximized && !IsIconic(mainWindow) && GetWindowRect(mainWindow, &r)) {
        char text[80];
        snprintf(text, sizeof text, "%ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
        WriteIniString(IDS_SECTION_WINDOW, IDS_KEY_WINDOW_SIZE, text);
    }
    WriteSetting(IDS_KEY_MAXIMIZED, maximized ? 1 : 0);
    WriteSetting(IDS_KEY_GREASE_PROOF_MODE, onionSkinSource);
    SaveRecentFiles();
}
