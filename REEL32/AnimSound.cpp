// The engine's side of sound: objects that entered a step with a sound ask
// their host window to play or stop it after the window update.
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
            // Indexes past the sound table stop sounds: 0x40-0x5F wave, 0x80-0x9F MIDI, else all.
            WPARAM kinds = ANIM_SOUND_ALL;
            if (s >= 0x40 && s <= 0x5F) kinds = ANIM_SOUND_WAVE;
            else if (s >= 0x80 && s <= 0x9F) kinds = ANIM_SOUND_MIDI;
            PostMessage(window, ANIM_SOUND_REQUEST, kinds, 0);
        }
    }
}
