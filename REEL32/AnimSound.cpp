// The engine's side of sound: objects that entered a step with a sound ask
// their host window to play or stop it after the window update, and the
// window plays, stops, pauses and repeats sounds through the sound output's
// two devices (one wave-audio and one MIDI device per process, shared by
// every animation window). The engine never shows a sound error: a sound
// that cannot be played is skipped and the animation goes on.
#include "AnimationContext.h"

void PostPendingSounds(AnimationContext* c, HWND window)
{
    for (int i = 0; i < c->header.objectCount; ++i) {
        ObjectRuntime& o = c->objectRuntime[i];
        const int s = o.pendingSound;
        if (s == 0) continue;
        o.pendingSound = 0;
        if (o.stayed) continue;  // an object that stays on its step does not repeat its sound
        if (s <= c->header.soundCount) {
            const SoundRecord& sound = c->sounds[s - 1];
            PostMessage(window, ANIM_SOUND_REQUEST, sound.soundFlags, reinterpret_cast<LPARAM>(sound.name));
        } else {
            // Indexes past the sound table stop sounds.
            PostMessage(window, ANIM_SOUND_REQUEST, StopKindsForSoundIndex(static_cast<uint8_t>(s)), 0);
        }
    }
}

namespace {

// The sound record whose name this is, when the name is one of the context's
// own records: only such a record may take the kind detected from its file.
// A name from anywhere else (a host's buffer, another field) is read only.
SoundRecord* OwnSoundRecord(AnimationContext* c, const char* name)
{
    for (int i = 0; i < MAX_SOUNDS; ++i)
        if (name == c->sounds[i].name) return &c->sounds[i];
    return nullptr;
}

}  // namespace

int HandleAnimSoundRequest(HANIM handle, HWND window, const char* name, UINT soundFlags, int repeat)
{
    ContextLock c(handle);
    if (!name) {
        const uint32_t stopped = StopSoundOf(window, soundFlags, false);
        if (!c) return static_cast<int>(stopped);
        c->soundState = static_cast<uint16_t>(c->soundState & ~(soundFlags & ANIM_SOUND_ALL));
        return c->soundState;
    }
    uint16_t flags = static_cast<uint16_t>(soundFlags);
    const uint32_t played = PlaySoundFile(window, name, &flags, repeat, false);
    if (!c) return static_cast<int>(played);
    if ((soundFlags & ANIM_SOUND_DETECT) && !(flags & ANIM_SOUND_DETECT)) {
        // Detected once: the record keeps the kind for every later request.
        if (SoundRecord* record = OwnSoundRecord(c.get(), name)) record->soundFlags = flags;
    }
    c->soundState = static_cast<uint16_t>(c->soundState | played);
    return c->soundState;
}

int ControlAnimSound(HANIM, HWND window, UINT kinds, int action)
{
    switch (action) {
    case ANIM_SOUND_STOP: StopSoundOf(window, kinds, false); return 1;
    case ANIM_SOUND_PAUSE: PauseSoundOf(window, kinds, true); return 1;
    case ANIM_SOUND_RESUME: PauseSoundOf(window, kinds, false); return 1;
    default: return 0;
    }
}

int HandleAnimMciNotify(HANIM, HWND window, WPARAM wParam, LPARAM lParam)
{
    return static_cast<int>(HandleMciNotify(window, static_cast<UINT>(wParam), static_cast<MCIDEVICEID>(lParam), false));
}
