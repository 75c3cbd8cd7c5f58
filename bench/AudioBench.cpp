// The audio work of one game frame: the mixer writing 441 sample frames with
// every effect voice busy (a new effect taking over the oldest each frame)
// and a four-track score of sixteenth notes playing live, against the same
// reference as the play-frame benchmark (three copies of a 640 x 480 x 4
// frame with memcpy), so that
//   audio_vs_frame = (BM_MixGameFrame/3 / BM_ThreeFrameCopies) / frame_vs_3copies
// gives the audio work as a share of a busy play frame. The arguments split
// it: 1 effects alone, 2 the music alone, 3 both.
#include "audio/AudioDiagnostics.h"
#include "audio/Mixer.h"
#include "audio/SoundBank.h"
#include "util/Streams.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>

namespace {

using namespace zorbin;

constexpr size_t kFrameBytes = 640 * 480 * 4;

const char* const kSounds =
    "[Music]\nbusy=busy.ini,*\n"
    "[Buzz]\nWave=square\nFreq=220\nVibrato=6,30\nLength=2000\n"
    "[Hiss]\nWave=noise\nFreq=5000\nFreqEnd=500\nLength=2000\n"
    "[Chime]\nWave=sine\nFreq=C5\nArpeggio=0,4,7\nLength=2000\n";

// Sixteenth notes with long releases: three voices a track sound at once.
const char* const kScore =
    "[Score]\nTempo=180\n"
    "[Lead]\nWave=square\nDuty=25\nVibrato=5,10\nRelease=400\n"
    "Notes=C5 16 E5 G5 C6 B5 G5 E5 D5 C5 E5 G5 C6 B5 G5 E5 D5\n"
    "[Bass]\nWave=saw\nRelease=300\nNotes=C3 16 C3 G3 C3 F3 C3 G3 C3\n"
    "[Arp]\nWave=triangle\nArpeggio=0,4,7\nArpeggioStep=20\nRelease=300\nNotes=C4 16 E4 G4 E4\n"
    "[Drum]\nWave=noise\nDecay=60\nSustain=0\nRelease=200\nNotes=C2 16 E7 C2 E7\n";

TSoundBank BusyBank() {
  std::map<std::string, std::string> files{{"sounds.ini", kSounds}, {"busy.ini", kScore}};
  TAudioDiagnostics diags;
  TSoundBank bank = LoadSoundBank(
      [&](const std::string& name) -> std::unique_ptr<TStream> {
        auto it = files.find(name);
        return it == files.end() ? nullptr : std::make_unique<TMemoryStream>(it->second);
      },
      diags);
  if (!diags.Items().empty()) throw std::runtime_error(diags.Items().front().Text());
  return bank;
}

void BM_ThreeFrameCopies(benchmark::State& state) {
  std::vector<uint8_t> a(kFrameBytes, 1), b(kFrameBytes);
  for (auto _ : state) {
    for (int i = 0; i < 3; ++i) {
      std::memcpy(b.data(), a.data(), kFrameBytes);
      benchmark::DoNotOptimize(b.data());
      benchmark::ClobberMemory();
    }
  }
}
BENCHMARK(BM_ThreeFrameCopies);

void BM_MixGameFrame(benchmark::State& state) {
  const bool effects = state.range(0) & 1, music = state.range(0) & 2;
  TSoundBank bank = BusyBank();
  TMixer mixer(bank);
  std::vector<int16_t> out(kGameFrameSamples * 2);
  if (music) mixer.PlayMusic(0);
  // Every voice busy before the measurement starts.
  for (int i = 0; effects && i < kEffectVoices; ++i) mixer.Play(i % bank.SoundCount());
  mixer.Mix(out.data(), kGameFrameSamples);
  int next = 0;
  for (auto _ : state) {
    if (effects) mixer.Play(next++ % bank.SoundCount());
    mixer.Mix(out.data(), kGameFrameSamples);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_MixGameFrame)->Arg(1)->Arg(2)->Arg(3);

}  // namespace

BENCHMARK_MAIN();
