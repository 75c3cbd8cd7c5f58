// BassAudio: the three calls of the audio library the shell makes, as a
// small layer over SDL's audio subsystem: it opens and closes the default
// device (44100 Hz, silence) and reports version 2.4.
#pragma once

#include <cstdint>

namespace zorbin {

uint32_t BASS_GetVersion();
bool BASS_Init(int device, uint32_t freq, uint32_t flags, void* window, void* clsid);
bool BASS_Free();

}  // namespace zorbin
