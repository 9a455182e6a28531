#include "app/win32/SettingsDialogs.h"

#include <windows.h>

#include "settings/win32/PreferencesDialog.h"
#include "settings/win32/TimerSettingsDialog.h"

bool SettingsDialogs::RunPreferences(uint8_t region, uint8_t band, PreferencesResult& result) {
  CSettingDlg dialog(tree_);
  dialog.SetRegion(region);
  dialog.SetCurrentBand(band);
  const INT_PTR ended = dialog.DoModal(GetActiveWindow());
  result.dataReset = dialog.DataReset();
  if (ended != IDOK) return false;
  const PreferencesForm& form = dialog.Form();
  result.region = static_cast<uint8_t>(form.region);
  result.mp3Rate = static_cast<uint8_t>(form.format);
  result.recordFolder = form.folder;
  return true;
}

void SettingsDialogs::RunTimerDialog(uint8_t region) {
  CTimerSetDlg dialog(tree_, setExecutionState_);
  dialog.SetRegion(region);
  dialog.DoModal(GetActiveWindow());
}
