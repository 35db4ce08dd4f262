#include "ui/status/sound_resource.h"

#include <mmsystem.h>

#include "foundation/debug_log.h"
#include "foundation/profile_reader.h"

namespace {

// A file name alone: the library is looked for in the driver's folder only.
bool IsBareFileName(const std::wstring& name) {
  return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." && name != L"..";
}

}  // namespace

bool CSoundResource::PlayResource(HMODULE module, WORD id) {
  return PlaySoundW(MAKEINTRESOURCEW(id), module, SND_RESOURCE | SND_ASYNC | SND_NODEFAULT | SND_NOWAIT) != FALSE;
}

CSoundResource::CSoundResource(const std::wstring& profile, const std::wstring& model, const std::wstring& driverFolder,
                               HMODULE resource, Player player)
    : m_player(std::move(player)) {
  CDebugLog log("CSoundResource::CSoundResource");
  const std::wstring name = moni::profile::ReadIniString(profile, model, L"WAVRES");
  if (name.size() <= kMaxName && IsBareFileName(name) && !driverFolder.empty()) {
    m_library.reset(LoadLibraryExW((driverFolder + name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!m_library) log.Write("Error : WAVRES %s cannot be loaded (%lu)\n", name, GetLastError());
  } else if (!name.empty()) {
    log.Write("Error : WAVRES %s is not a file name of the driver's folder\n", name);
  }
  m_hModule = m_library ? m_library.get() : resource;
  log.Write("Sound module : %s\n", m_library ? name : std::wstring(L"resource library"));
}

CSoundResource::~CSoundResource() { Stop(); }

bool CSoundResource::Play(WORD id) {
  if (!m_hModule || !m_player) return false;
  const bool started = m_player(m_hModule, id);
  m_bStarted = m_bStarted || started;
  return started;
}

void CSoundResource::Stop() {
  if (!m_bStarted) return;
  PlaySoundW(nullptr, nullptr, 0);
  m_bStarted = false;
}
