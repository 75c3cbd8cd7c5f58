// BassAudio: the default audio device, opened through SDL and fed silence.
#include "shell/BassAudio.h"

#include <SDL.h>

#include <cstring>

namespace zorbin {

static bool gDeviceOpen = false;
static TAudioSource gSource = nullptr;
static void* gSourceData = nullptr;

static void FillDevice(void*, Uint8* stream, int len) {
  if (gSource)
    gSource(gSourceData, stream, len);
  else
    std::memset(stream, 0, size_t(len));
}

void SetAudioSource(TAudioSource source, void* userdata) {
  // The callback runs on SDL's audio thread; the lock keeps the pair whole.
#ifdef __EMSCRIPTEN__
  gSource = source;
  gSourceData = userdata;
#else
  if (gDeviceOpen) SDL_LockAudio();
  gSource = source;
  gSourceData = userdata;
  if (gDeviceOpen) SDL_UnlockAudio();
#endif
}

uint32_t BASS_GetVersion() { return 0x02040000; }

bool BASS_Init(int, uint32_t freq, uint32_t, void*, void*) {
  if (gDeviceOpen) return true;
#ifdef __EMSCRIPTEN__
  // The page plays no sound, and SDL has no audio thread there: the silent
  // device needs no opening.
  (void)freq;
  gDeviceOpen = true;
  return true;
#else
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec wanted;
  std::memset(&wanted, 0, sizeof wanted);
  wanted.freq = int(freq);
  wanted.format = AUDIO_S16SYS;
  wanted.channels = 2;
  wanted.samples = 1024;
  wanted.callback = FillDevice;
  if (SDL_OpenAudio(&wanted, nullptr) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SDL_PauseAudio(0);
  gDeviceOpen = true;
  return true;
#endif
}

bool BASS_Free() {
  if (!gDeviceOpen) return false;
  SDL_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  gDeviceOpen = false;
  return true;
}

}  // namespace zorbin
