#pragma once
// "Kestrune Setting" (dialog 413): presets of every band, the region, the bit rate of manual
// recordings and the record folder; Ctrl+"Default" resets everything stored.

#include <windows.h>

#include <array>

#include "controls/win32/AccessibleLabel.h"
#include "controls/win32/ButtonHelp.h"
#include "controls/win32/MyCtrlColor.h"
#include "controls/win32/MyEdit.h"
#include "settings/Preferences.h"
#include "settings/SettingsStore.h"

class IKeyValueTree;

class CSettingDlg {
 public:
  explicit CSettingDlg(IKeyValueTree& tree);
  CSettingDlg(const CSettingDlg&) = delete;
  CSettingDlg& operator=(const CSettingDlg&) = delete;

  // Set by the opener before DoModal: the main window's region and its current band (on SW
  // the region cannot be changed here).
  void SetRegion(int region) { form_.region = region; }
  void SetCurrentBand(int band) { currentBand_ = band; }

  // IDOK or IDCANCEL. After IDOK the saved region, format and folder are in Form().
  INT_PTR DoModal(HWND owner);
  const PreferencesForm& Form() const { return form_; }
  // Whether Ctrl+"Default" replaced everything stored with the defaults, however the dialog ended.
  bool DataReset() const { return reset_; }

  INT_PTR OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void OnInitDialog();
  void LoadLists();
  void PushLists();
  void TakeLists();
  void PushFolderAndRegion();
  void TakeFolderAndRegion();
  void OnRegion(int region);
  void OnBrowse();
  void OnDefault();
  void OnOK();

  SettingsStore store_;
  HWND dialog_ = nullptr;
  PreferencesForm form_;
  int currentBand_ = 1;
  bool reset_ = false;
  CMyCtrlColor colours_{0x000000, 0xDBDBDB};
  CButtonHelp buttons_;
  std::array<CMyEditA, 3 * kPresetsPerBand> names_;
  std::array<CMyEdit, 3 * kPresetsPerBand> frequencies_;
  // The name fields read as "FM preset 1 name": the number beside them is no name.
  std::array<AccessibleLabel, 3 * kPresetsPerBand> nameLabels_;
  // The texts shown short or misspelt ("Brow...", "Mhz", "Khz") read in full words.
  AccessibleLabel browseLabel_;
  std::array<AccessibleLabel, 3> unitLabels_;
};
