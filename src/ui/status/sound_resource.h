// CSoundResource: the module the status window plays its status sounds from.
// The model's profile may name a sound library ("WAVRES", a file in the
// driver's folder); otherwise the sounds are the resource library's own.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "platform/handles.h"

class CSoundResource {
 public:
  // Plays sound resource `id` of `module` without waiting; true when it started.
  using Player = std::function<bool(HMODULE module, WORD id)>;
  // The system's player: asynchronous, no default sound, nothing if busy.
  static bool PlayResource(HMODULE module, WORD id);

  // `profile` and `model`: the model's profile file and its section;
  // `driverFolder` ends in "\"; `resource` is the resource library (not owned).
  CSoundResource(const std::wstring& profile, const std::wstring& model, const std::wstring& driverFolder, HMODULE resource,
                 Player player = &CSoundResource::PlayResource);
  // Stops what it started before its module goes.
  ~CSoundResource();
  CSoundResource(const CSoundResource&) = delete;
  CSoundResource& operator=(const CSoundResource&) = delete;

  bool IsAvailable() const { return m_hModule != nullptr; }
  // True when the sound library of "WAVRES" is used (not the resource library).
  bool FromSoundLibrary() const { return m_library.valid(); }
  // Plays sound `id`; true when it started.
  bool Play(WORD id);
  // Stops the sounds when one was started.
  void Stop();

  // The longest "WAVRES" value taken (characters).
  static constexpr size_t kMaxName = 259;

 private:
  moni::Module m_library;
  HMODULE m_hModule = nullptr;
  Player m_player;
  bool m_bStarted = false;
};
