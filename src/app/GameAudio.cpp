// GameAudio: the bank, the mixer and where their sound goes.
#include "app/GameAudio.h"

#include "audio/AudioDiagnostics.h"
#include "audio/Synth.h"
#include "game/ZORBPlayMapPackUnit.h"
#include "log/Logger.h"
#include "shell/BassAudio.h"
#include "shell/QX_SDL.h"
#include "util/SoundEvents.h"

#include <SDL.h>

#include <exception>

namespace zorbin {

namespace {

const char* const kContext = "GameAudio";

void FeedDevice(void* mixer, uint8_t* stream, int len) { TMixer::AudioCallback(mixer, stream, len); }

}  // namespace

TGameAudio::TGameAudio(TAudioOptions options) : options_(std::move(options)) {}

TGameAudio::~TGameAudio() { Stop(); }

void TGameAudio::Start() {
  if (!options_.Device && options_.WavFile.empty()) return;
  active_ = this;
  TAudioDiagnostics diagnostics;
  bank_ = std::make_unique<TSoundBank>(LoadSoundBank(diagnostics));
  for (const TAudioDiagnostic& finding : diagnostics.Items()) Log->Warning(finding.Text(), kContext);
  mixer_ = std::make_unique<TMixer>(*bank_, options_.Volume, options_.Music);
  eventReceiver_ = AddSoundReceiver([this](TSoundEvent event) { mixer_->PlayEvent(event); });
  subscriptions_.push_back(
      MapVisits().Add([this](int, const std::string& dir) { mixer_->PlayMusic(bank_->MusicForMap(dir)); }));
  subscriptions_.push_back(QX_SDL::Input().KeyChange().Add([this](int key, bool down) {
    if (key == SDLK_m && down) mixer_->SetMuted(!mixer_->Muted());
  }));
  if (!options_.WavFile.empty()) {
    wav_ = std::make_unique<TWavWriter>(options_.WavFile);
    block_.resize(size_t(2 * kGameFrameSamples));
    subscriptions_.push_back(QX_SDL::Display().AfterFlip().Add([this] { AfterFlip(); }));
  } else {
    SetAudioSource(FeedDevice, mixer_.get());
  }
}

void TGameAudio::AfterFlip() {
  mixer_->Mix(block_.data(), kGameFrameSamples);
  wav_->Write(block_.data(), kGameFrameSamples);
}

void TGameAudio::Stop() {
  if (active_ == this) active_ = nullptr;
  subscriptions_.clear();
  if (eventReceiver_) RemoveSoundReceiver(eventReceiver_);
  eventReceiver_ = 0;
  if (options_.Device && mixer_) SetAudioSource(nullptr, nullptr);
  if (wav_) {
    try {
      wav_->Close();
    } catch (const std::exception& e) {
      Log->Warning(std::string("The sound of the run is incomplete: ") + e.what(), kContext);
    }
    wav_.reset();
  }
  mixer_.reset();
  bank_.reset();
}

}  // namespace zorbin
