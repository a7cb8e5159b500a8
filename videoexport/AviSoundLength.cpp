// Mending the length in a written file's sound stream header, for AVIFile
// implementations that count the stream's length in writes instead of samples.
#include "VfwState.h"
#include <cstring>
#include <vector>

namespace {

constexpr size_t STREAM_LENGTH_OFFSET = 32;  // dwLength in the stream header
constexpr long HEADER_LIMIT = 1 << 20;       // the header lists come first

uint32_t ReadU32(const std::vector<BYTE>& bytes, size_t at)
{
    uint32_t value;
    std::memcpy(&value, &bytes[at], sizeof value);
    return value;
}

// Where the sound stream header's length lies in the header bytes, or 0.
size_t FindSoundLength(const std::vector<BYTE>& bytes, size_t begin, size_t end)
{
    for (size_t at = begin; at + 8 <= end;) {
        const uint32_t id = ReadU32(bytes, at);
        const size_t size = ReadU32(bytes, at + 4);
        if (size > end - at - 8) return 0;
        if (id == mmioFOURCC('L', 'I', 'S', 'T') && size >= 4) {
            const uint32_t type = ReadU32(bytes, at + 8);
            if (type == mmioFOURCC('m', 'o', 'v', 'i')) return 0;
            if (type == listtypeAVIHEADER || type == listtypeSTREAMHEADER) {
                if (const size_t found = FindSoundLength(bytes, at + 12, at + 8 + size)) return found;
            }
        } else if (id == ckidSTREAMHEADER && size >= STREAM_LENGTH_OFFSET + 4 && ReadU32(bytes, at + 8) == streamtypeAUDIO) {
            return at + 8 + STREAM_LENGTH_OFFSET;
        }
        at += 8 + size + (size & 1);
    }
    return 0;
}

}  // namespace

bool SoundLengthNeedsMending(const AviFileState& state)
{
    return state.audio && AVIStreamLength(state.audio) != static_cast<LONG>(state.samplesWritten);
}

void MendSoundLength(const char* path, uint32_t samples)
{
    HFILE file = _lopen(path, OF_READWRITE | OF_SHARE_EXCLUSIVE);
    if (file == HFILE_ERROR) return;
    const long length = _llseek(file, 0, FILE_END);
    const long headerBytes = length < HEADER_LIMIT ? length : HEADER_LIMIT;
    std::vector<BYTE> header(headerBytes > 0 ? headerBytes : 0);
    if (!header.empty() && _llseek(file, 0, FILE_BEGIN) == 0 &&
        _lread(file, header.data(), static_cast<UINT>(header.size())) == header.size() && header.size() >= 12 &&
        ReadU32(header, 0) == FOURCC_RIFF && ReadU32(header, 8) == formtypeAVI) {
        const size_t at = FindSoundLength(header, 12, header.size());
        if (at && _llseek(file, static_cast<LONG>(at), FILE_BEGIN) == static_cast<LONG>(at))
            _lwrite(file, reinterpret_cast<LPCCH>(&samples), sizeof samples);
    }
    _lclose(file);
}
