// The image library's GIF import and export driven from a script, so that
// other programs' GIF readers and writers can be held against ours:
//   GifTool read IN.gif OUTDIR      frames as OUTDIR\frameNNN.bmp, the block's settings printed
//   GifTool preview IN.gif OUT.bmp  the file chooser's preview image
//   GifTool write OUT.gif OUTDIR BITS [interlaced]
//                                   a known three-frame animation, its frames as OUTDIR\sourceNNN.bmp
//   GifTool single OUT.gif BITS     one frame as a single-image GIF with a transparent colour
#include "ConvTestSupport.h"
#include "FrameHost.h"
#include "GifCodec.h"
#include "PackedDib.h"
#include "TestFiles.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Escaped(const char* text)
{
    std::string out;
    for (; *text; ++text) {
        if (*text == '\n') out += "\\n";
        else if (*text == '\r') out += "\\r";
        else if (*text == '"' || *text == '\\') out += std::string("\\") + *text;
        else out += *text;
    }
    return out;
}

std::string FrameFile(const std::string& folder, const char* stem, int index)
{
    char name[32];
    snprintf(name, sizeof name, "%s%03d.bmp", stem, index);
    return folder + "\\" + name;
}

int Read(const char* path, const std::string& folder)
{
    FrameHost host;
    BYTE code = 0;
    const int result = Conv().LoadConvImage(nullptr, path, nullptr, &code, 0, FrameHost::Proc);
    printf("result=%d code=%d frames=%d\n", result, code, host.FrameCount());
    for (int i = 0; i < host.FrameCount(); ++i) WriteDibAsBmp(FrameFile(folder, "frame", i), host.Frame(i));
    if (!host.Settings()) return result > 0 ? 0 : 1;
    GlobalLockGuard<GifAnimSettings> s(host.Settings());
    const GifAnimSettings* b = s.get();
    printf("screen=%dx%d bits=%d loop=%u,%u comment=%u,\"%s\"\n", b->screenWidth, b->screenHeight, b->bitsPerPixel,
           b->loopFlag, b->loopCount, b->commentFlag, Escaped(b->comment).c_str());
    for (int i = 0; i < b->frameCount; ++i) {
        const GifFrameRecord& r = b->frames[i];
        printf("frame=%d left=%d top=%d width=%d height=%d delay=%d disposal=%d transparent=%d interlaced=%u\n", i,
               r.left, r.top, r.width, r.height, r.delay, r.disposal,
               r.transparentIndex == GIF_NO_TRANSPARENCY ? -1 : r.transparentIndex, r.interlaced);
    }
    return result > 0 ? 0 : 1;
}

int Preview(const char* path, const char* out)
{
    char message[80] = "";
    ConvImage image{nullptr, 0, message, sizeof message};
    const int result = Conv().GetPreviewImage(path, &image);
    printf("result=%d\n", result);
    if (result != 1 || !image.dib) return 1;
    WriteDibAsBmp(out, image.dib);
    GlobalFree(image.dib);
    return 0;
}

// Three 24 x 16 frames of stripes, squares and a diagonal in the colours of a
// ramp, so that every pixel of each frame is known.
HGLOBAL SampleFrame(int index, int bits)
{
    const int width = 24, height = 16, colors = 1 << bits;
    std::vector<uint8_t> pixels(width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v = index == 0 ? x / 3 : index == 1 ? (x / 4 + y / 4) : (x == y ? colors - 1 : y);
            pixels[y * width + x] = static_cast<uint8_t>(v % colors);
        }
    std::vector<COLORREF> table;
    for (int i = 0; i < colors; ++i)
        table.push_back(RGB((i * 255) / (colors - 1), (i * 97) % 256, 255 - (i * 255) / (colors - 1)));
    return MakeIndexedDib(width, height, bits, pixels, table);
}

int Write(const char* path, const std::string& folder, int bits, bool interlaced)
{
    FrameHost host;
    host.colorCount = 1 << bits;
    for (int i = 0; i < 3; ++i) {
        HGLOBAL frame = SampleFrame(i, bits);
        host.AddFrame(frame);
        WriteDibAsBmp(FrameFile(folder, "source", i), frame);
        GlobalFree(frame);
    }
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(GifAnimSettings));
    {
        GlobalLockGuard<GifAnimSettings> s(block);
        GifAnimSettings* b = s.get();
        b->formatCode = CONV_FORMAT_GIF_ANIM;
        b->frameCount = 3;
        b->loopFlag = 1;
        b->loopCount = 3;
        b->commentFlag = 1;
        strcpy(b->comment, "Zelvo\ninterop test");
        const int delays[3] = {10, 20, 30};
        const int lefts[3] = {0, 4, 0}, tops[3] = {0, 2, 6};
        for (int i = 0; i < 3; ++i) {
            b->frames[i].delay = static_cast<uint16_t>(delays[i]);
            b->frames[i].disposal = static_cast<uint16_t>(i);
            b->frames[i].left = static_cast<int16_t>(lefts[i]);
            b->frames[i].top = static_cast<int16_t>(tops[i]);
            b->frames[i].interlaced = interlaced ? 1 : 0;
        }
    }
    host.SetSettings(block);
    const int result = Conv().SaveConvImage(nullptr, path, nullptr, CONV_FORMAT_GIF_ANIM, 3, FrameHost::Proc);
    printf("result=%d\n", result);
    return result == 1 ? 0 : 1;
}

int Single(const char* path, int bits)
{
    FrameHost host;
    HGLOBAL frame = SampleFrame(1, bits);
    host.AddFrame(frame);
    // The transparent colour is the table's second entry.
    const std::vector<COLORREF> table = DibTable(frame);
    host.hasTransparent = true;
    host.transparent = table[1];
    const int result = Conv().SaveConvImage(nullptr, path, frame, CONV_FORMAT_GIF, 1, FrameHost::Proc);
    GlobalFree(frame);
    printf("result=%d\n", result);
    return result == 1 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!Conv().complete) {
        fprintf(stderr, "ZelvoConv32.dll not found beside the program\n");
        return 2;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "read" && argc == 4) return Read(argv[2], argv[3]);
    if (command == "preview" && argc == 4) return Preview(argv[2], argv[3]);
    if (command == "write" && argc >= 5) return Write(argv[2], argv[3], atoi(argv[4]), argc > 5);
    if (command == "single" && argc == 4) return Single(argv[2], atoi(argv[3]));
    fprintf(stderr, "usage: GifTool read|preview|write|single ...\n");
    return 2;
}
