#include "app/sound_player.h"

#include <QCoreApplication>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <array>

namespace trovix {

namespace {

std::function<void(Sound)>& observer() {
  static std::function<void(Sound)> instance;
  return instance;
}

QUrl source_of(Sound sound) {
  switch (sound) {
    case Sound::up_to_date:
      return QUrl(QStringLiteral("qrc:/sounds/up_to_date.wav"));
    case Sound::update_available:
      return QUrl(QStringLiteral("qrc:/sounds/update_available.wav"));
    case Sound::popup_default:
      break;
  }
  return QUrl(QStringLiteral("qrc:/sounds/popup.wav"));
}

// One effect per sound, made at its first use and kept (parented to the
// application) so a sound is decoded once per run.
QSoundEffect* effect_for(Sound sound) {
  static std::array<QSoundEffect*, 3> effects{};
  QSoundEffect*& effect = effects[static_cast<std::size_t>(sound)];
  if (effect == nullptr) {
    effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(source_of(sound));
  }
  return effect;
}

}  // namespace

void play_sound(Sound sound) {
  if (observer()) observer()(sound);
  if (QCoreApplication::instance() == nullptr) return;
  // Without an output device there is nothing to play on; an effect would
  // only report an error.
  if (QMediaDevices::audioOutputs().isEmpty()) return;
  QSoundEffect* effect = effect_for(sound);
  // play() waits for the data to load when it is not loaded yet.
  effect->play();
}

void set_sound_observer(std::function<void(Sound)> observer_function) {
  observer() = std::move(observer_function);
}

}  // namespace trovix
