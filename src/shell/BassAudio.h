// BassAudio: the three calls of the audio library the shell makes, as a
// small layer over SDL's audio subsystem: it opens and closes the default
// device (44100 Hz, 16-bit stereo) and reports version 2.4. The device plays
// silence until a source is set.
#pragma once

#include <cstdint>

namespace zorbin {

uint32_t BASS_GetVersion();
bool BASS_Init(int device, uint32_t freq, uint32_t flags, void* window, void* clsid);
bool BASS_Free();

// What fills the device's buffers from now on: SDL's callback signature
// (userdata, bytes, length); nullptr gives silence again. Set while the
// audio thread is held, so it never sees half a change.
using TAudioSource = void (*)(void* userdata, uint8_t* stream, int len);
void SetAudioSource(TAudioSource source, void* userdata);

}  // namespace zorbin
