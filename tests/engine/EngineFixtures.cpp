#include "EngineFixtures.h"
#include "PackedDib.h"
#include "ResultCodes.h"
#include "AnxArchive.h"
#include <cstdio>
#include <cstring>

const EngineMode kDibSections{"DibSections", 0, 0};
const EngineMode kDeviceBitmaps{"DeviceBitmaps", 1, 0};
const EngineMode kPaletteDisplay{"PaletteDisplay", 0, 8};
const EngineMode kSixteenColors{"SixteenColors", -1, 4};

EngineSession::EngineSession(const EngineMode& mode)
{
    ExitAnimEngine();
    OverrideAnimDisplayDepth(mode.depth);
    InitAnimEngine(mode.hint);
}

EngineSession::~EngineSession()
{
    ExitAnimEngine();
    OverrideAnimDisplayDepth(0);
}

COLORREF StaticColor(int code)
{
    const PALETTEENTRY& e = kStaticColors[code & 15];
    return RGB(e.peRed, e.peGreen, e.peBlue);
}

int StaticIndex(int code, int size) { return code < 8 ? code : size + code - 16; }

void EditorColorTable(RGBQUAD table[256])
{
    for (int k = 0; k < 16; ++k) {
        const COLORREF c = StaticColor(k);
        table[StaticIndex(k, 256)] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    // Green 32, 96, 160 or 224 is never a static colour's; every value is a
    // multiple of 4, so a palette keeps it unchanged.
    for (int i = 8; i < 248; ++i)
        table[i] = {static_cast<BYTE>(252 - 4 * (i % 61)), static_cast<BYTE>(((i >> 6) << 6) + 32),
                    static_cast<BYTE>((i & 0x3F) << 2), 0};
}

namespace {

void SpecTable(const SequenceSpec& spec, RGBQUAD* table, int* entries)
{
    *entries = spec.bits <= 8 ? 1 << spec.bits : 0;
    if (spec.bits == 8) {
        EditorColorTable(table);
    } else if (spec.bits == 4) {
        for (int k = 0; k < 16; ++k) {
            const COLORREF c = StaticColor(k);
            table[k] = {GetBValue(c), GetGValue(c), GetRValue(c), 0};
        }
    } else if (spec.bits == 1) {
        table[0] = {0, 0, 0, 0};
        table[1] = {255, 255, 255, 0};
    }
}

void PutPixel(BYTE* row, int x, int bits, uint32_t v)
{
    switch (bits) {
    case 1: row[x >> 3] |= static_cast<BYTE>((v & 1) << (7 - (x & 7))); break;
    case 4: row[x >> 1] |= static_cast<BYTE>((v & 15) << ((x & 1) ? 0 : 4)); break;
    case 8: row[x] = static_cast<BYTE>(v); break;
    case 16: {
        const unsigned r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
        const unsigned w = ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        row[2 * x] = static_cast<BYTE>(w);
        row[2 * x + 1] = static_cast<BYTE>(w >> 8);
        break;
    }
    default: {
        BYTE* p = row + x * (bits / 8);
        p[0] = static_cast<BYTE>(v);
        p[1] = static_cast<BYTE>(v >> 8);
        p[2] = static_cast<BYTE>(v >> 16);
    }
    }
}

}  // namespace

int WriteSequence(const std::string& path, const SequenceSpec& spec)
{
    FrameSequence sequence;
    BmxFormat& f = sequence.format;
    f.width = spec.width;
    f.height = spec.height;
    f.bitsPerPixel = spec.bits;
    SpecTable(spec, f.colors, &f.colorTableEntries);
    sequence.transparentColorCode = spec.code;
    const uint32_t stride = DibStride(spec.width, spec.bits);
    for (int n = 0; n < spec.frames; ++n) {
        HGLOBAL dib = CreatePackedDib(spec.width, spec.height, spec.bits, f.colors, f.colorTableEntries);
        {
            GlobalLockGuard<BYTE> p(dib);
            BYTE* bits = DibBits(p.get());
            for (int y = 0; y < spec.height; ++y)
                for (int x = 0; x < spec.width; ++x)
                    PutPixel(bits + (spec.height - 1 - y) * stride, x, spec.bits, spec.value(x, y, n));
        }
        SequenceFrame frame;
        frame.dib = dib;
        if (n < static_cast<int>(spec.offsets.size())) {
            frame.offsetX = spec.offsets[n].first;
            frame.offsetY = spec.offsets[n].second;
        }
        sequence.frames.push_back(frame);
    }
    return SaveFrameSequenceFile(path.c_str(), sequence, spec.compression);
}

COLORREF SpecColor(const SequenceSpec& spec, uint32_t value)
{
    if (spec.bits > 8) return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    RGBQUAD table[256];
    int entries;
    SpecTable(spec, table, &entries);
    const RGBQUAD& q = table[value];
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
}

bool SpecTransparent(const SequenceSpec& spec, uint32_t value)
{
    const uint8_t code = spec.code;
    const COLORREF color = SpecColor(spec, value);
    if (code & 0x80) return false;
    if (code & 0x30) return color == ((code & 15) == 15 ? RGB(255, 255, 255) : RGB(0, 0, 0));
    return color == StaticColor(code & 15);
}

bool WriteBmp(const std::string& path, int width, int height, int bits, const std::function<uint32_t(int, int)>& value)
{
    RGBQUAD table[256];
    EditorColorTable(table);
    const int entries = bits == 8 ? 256 : 0;
    const uint32_t stride = DibStride(width, bits);
    std::vector<uint8_t> rows(stride * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) PutPixel(rows.data() + (height - 1 - y) * stride, x, bits, value(x, y));
    BITMAPINFOHEADER info{sizeof info, width, height, 1, static_cast<WORD>(bits), BI_RGB,
                          static_cast<DWORD>(rows.size()), 0, 0, static_cast<DWORD>(entries), 0};
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info + entries * sizeof(RGBQUAD);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(offset + rows.size()), 0, 0, offset};
    std::vector<uint8_t> bytes(offset + rows.size());
    memcpy(bytes.data(), &file, sizeof file);
    memcpy(bytes.data() + sizeof file, &info, sizeof info);
    memcpy(bytes.data() + sizeof file + sizeof info, table, entries * sizeof(RGBQUAD));
    memcpy(bytes.data() + offset, rows.data(), rows.size());
    return WriteWholeFile(path, bytes);
}

AnimationFixture::AnimationFixture(int width, int height, COLORREF background)
{
    SetDefaultAnimationSettings(&t.animationSettings);
    t.animationSettings.width = width;
    t.animationSettings.height = height;
    t.animationSettings.sizeMode = 1;
    t.animationSettings.positionFlags = 0;
    t.animationSettings.backgroundColor = background;
}

AnimationFixture::~AnimationFixture() { FreeAnimationTables(&t); }

int AnimationFixture::AddSequence(const std::string& file, uint8_t code, int16_t colorCount)
{
    SequenceRecord& s = t.sequenceTable[t.sequenceCount];
    s = {0, code, colorCount, {}};
    lstrcpynA(s.fileName, file.c_str(), sizeof s.fileName);
    return t.sequenceCount++;
}

int AnimationFixture::AddObject(int sequence, int x, int y, uint8_t objectFlags)
{
    ObjectRecord& o = t.objectTable[t.objectCount];
    memset(&o, 0, sizeof o);
    o.sequenceIndex = static_cast<uint8_t>(sequence);
    snprintf(o.name, sizeof o.name, "Object %d", t.objectCount);
    o.objectFlags = objectFlags;
    o.startX = x;
    o.startY = y;
    return t.objectCount++;
}

void AnimationFixture::AddRegion(int flags, int x1, int y1, int x2, int y2)
{
    t.regionTable[t.regionCount++] = {flags, x1, y1, x2, y2};
}

int AnimationFixture::AddSound(const std::string& name, uint16_t flags)
{
    SoundRecord& s = t.soundTable[t.soundCount];
    s = {flags, 0, {}};
    lstrcpynA(s.name, name.c_str(), sizeof s.name);
    return t.soundCount++;
}

void AnimationFixture::AddSteps(int object, const std::vector<ObjectStep>& steps)
{
    t.objectTable[object].stepCount = static_cast<int32_t>(steps.size());
    t.objectMemoryHandles[object][0] = AllocateStepBlock(static_cast<int>(steps.size()));
    GlobalLockGuard<ObjectStep> p(t.objectMemoryHandles[object][0]);
    memcpy(p.get(), steps.data(), steps.size() * sizeof(ObjectStep));
}

int AnimationFixture::Write(const std::string& path) { return WriteAnimationFile(path.c_str(), &t); }

namespace {

std::string Environment(const char* name)
{
    char value[MAX_PATH] = "";
    GetEnvironmentVariableA(name, value, MAX_PATH);
    return value;
}

}  // namespace

PrivateTempFolder::PrivateTempFolder() : oldTmp_(Environment("TMP")), oldTemp_(Environment("TEMP"))
{
    SetEnvironmentVariableA("TMP", dir_.Path().c_str());
    SetEnvironmentVariableA("TEMP", dir_.Path().c_str());
}

PrivateTempFolder::~PrivateTempFolder()
{
    SetEnvironmentVariableA("TMP", oldTmp_.empty() ? nullptr : oldTmp_.c_str());
    SetEnvironmentVariableA("TEMP", oldTemp_.empty() ? nullptr : oldTemp_.c_str());
    SetCurrentDirectoryA(oldTemp_.c_str());  // the scratch folder can go
}

int PrivateTempFolder::CountUnpackFolders() const
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir_.Path() + ANX_UNPACK_PREFIX + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do n += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return n;
}

Pixels ReadBitmap(HBITMAP bitmap)
{
    Pixels out;
    BITMAP b;
    if (!bitmap || !GetObject(bitmap, sizeof b, &b)) return out;
    out.width = b.bmWidth;
    out.height = b.bmHeight;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), b.bmWidth, -b.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> raw(b.bmWidth * b.bmHeight);
    HDC screen = GetDC(nullptr);
    const int lines = GetDIBits(screen, bitmap, 0, b.bmHeight, raw.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (lines != b.bmHeight) return Pixels{};
    out.values.resize(raw.size());
    for (size_t i = 0; i < raw.size(); ++i)
        out.values[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
    return out;
}

Pixels PaintToPixels(HANIM handle, int width, int height, POINT origin)
{
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
    const RECT all{0, 0, width, height};
    PaintAnimation(handle, dc, &all);
    SelectObject(dc, old);
    DeleteDC(dc);
    Pixels out = ReadBitmap(target);
    DeleteObject(target);
    return out;
}

std::string ColorText(COLORREF c)
{
    char text[32];
    snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

HANIM LoadWholeAnimation(const std::string& path, DWORD flags, COLORREF bkColor)
{
    HANIM handle = CreateAnimation(path.c_str(), 0, 0, bkColor, flags | ANIM_KEEP_FILE_BKCOLOR);
    if (!handle) return nullptr;
    LoadAnimPalette(handle, nullptr, FALSE);
    char name[MAX_PATH];
    bool ok = true;
    if (GetAnimBackgroundName(handle, name, TRUE)) ok = LoadAnimBackground(handle, name, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, ANIM_USE_SETTINGS, FALSE) != 0;
    for (int i = 0; ok && GetAnimSequenceName(handle, i, name, TRUE); ++i) ok = LoadAnimSequence(handle, i, name, FALSE) != 0;
    if (ok) ok = AttachAnimation(handle, nullptr) != 0;
    if (!ok) {
        DestroyAnimation(handle);
        return nullptr;
    }
    return handle;
}
