#include "settings/win32/PreferencesDialog.h"

#include <shlobj.h>

#include "device/BandPlan.h"
#include "resources/settings_ids.h"
#include "settings/RadioState.h"
#include "settings/win32/DialogMessageBox.h"
#include "settings/win32/ModalDialog.h"
#include "settings/win32/RecordFolder.h"

namespace {

struct PresetIds {
  int name, frequency;
};

// The FM rows carry the numbers the dialog has always had; AM and SW are regular.
constexpr PresetIds kFmIds[kPresetsPerBand] = {{1121, 1037}, {1122, 1123}, {1040, 1041}, {1042, 1043},
                                               {1044, 1045}, {1046, 1047}, {1048, 1049}, {1050, 1051},
                                               {1052, 1053}, {1054, 1055}, {1056, 1057}, {1058, 1059}};

PresetIds RowIds(int list, int row) {
  switch (list) {
    case 0: return kFmIds[row];
    case 1: return {IDC_PREF_AM_NAME1 + 2 * row, IDC_PREF_AM_NAME1 + 2 * row + 1};
    default: return {IDC_PREF_SW_NAME1 + 2 * row, IDC_PREF_SW_NAME1 + 2 * row + 1};
  }
}

PresetList& ListOf(PreferencesForm& form, int list) { return list == 0 ? form.fm : list == 1 ? form.am : form.sw; }

// Replaces the whole text and leaves the caret at the start, so a long name shows its beginning.
void SetField(HWND dialog, int id, const std::string& text) {
  SetItemText(dialog, id, text);
  SendDlgItemMessageA(dialog, id, EM_SETSEL, 0, 0);
}

}  // namespace

CSettingDlg::CSettingDlg(IKeyValueTree& tree) : store_(tree) {}

INT_PTR CSettingDlg::DoModal(HWND owner) { return RunModalDialog(*this, IDD_PREFERENCES, owner); }

INT_PTR CSettingDlg::OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      dialog_ = dialog;
      OnInitDialog();
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      switch (id) {
        case IDC_PREF_USA:
        case IDC_PREF_EUROPE:
        case IDC_PREF_JAPAN:
          if (HIWORD(wParam) == BN_CLICKED) OnRegion(id - IDC_PREF_USA);
          return TRUE;
        case IDC_PREF_BROWSE:
          OnBrowse();
          return TRUE;
        case IDC_PREF_DEFAULT:
          OnDefault();
          return TRUE;
        case IDOK:
          OnOK();
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog_, IDCANCEL);
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}

void CSettingDlg::OnInitDialog() {
  CentreDialog(dialog_);
  colours_.Attach(dialog_);
  for (int list = 0; list < 3; ++list) {
    for (int row = 0; row < kPresetsPerBand; ++row) {
      const PresetIds ids = RowIds(list, row);
      const size_t slot = static_cast<size_t>(list * kPresetsPerBand + row);
      names_[slot].Attach(GetDlgItem(dialog_, ids.name));
      frequencies_[slot].Attach(GetDlgItem(dialog_, ids.frequency));
      nameLabels_[slot].Attach(GetDlgItem(dialog_, ids.name), std::string(list == 0   ? "FM"
                                                                           : list == 1 ? "AM"
                                                                                       : "SW") +
                                                                   " preset " + std::to_string(row + 1) + " name");
    }
  }
  browseLabel_.Attach(GetDlgItem(dialog_, IDC_PREF_BROWSE), "Browse");
  // The unit headings have no id: they are found by what they show.
  size_t unit = 0;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child && unit < unitLabels_.size();
       child = GetWindow(child, GW_HWNDNEXT)) {
    char text[8] = {};
    GetWindowTextA(child, text, sizeof text);
    const std::string shown = text;
    if (shown == "Mhz") unitLabels_[unit++].Attach(child, "MHz");
    else if (shown == "Khz") unitLabels_[unit++].Attach(child, "kHz");
  }
  for (const char* entry : kPreferenceFormats)
    SendDlgItemMessageA(dialog_, IDC_PREF_FORMAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  LoadLists();
  PushFolderAndRegion();
  buttons_.SkinChildren(dialog_);
  for (int id = IDC_PREF_USA; id <= IDC_PREF_JAPAN; ++id)
    EnableWindow(GetDlgItem(dialog_, id), currentBand_ != BandSW);
  // SW presets are shown for reference; they are stored by the main window's Save button.
  for (int row = 0; row < kPresetsPerBand; ++row) {
    const PresetIds ids = RowIds(2, row);
    EnableWindow(GetDlgItem(dialog_, ids.name), FALSE);
    EnableWindow(GetDlgItem(dialog_, ids.frequency), FALSE);
  }
}

void CSettingDlg::LoadLists() {
  LoadPreferenceLists(store_, form_);
  PushLists();
}

void CSettingDlg::PushLists() {
  SendDlgItemMessageA(dialog_, IDC_PREF_FORMAT, CB_SETCURSEL, static_cast<WPARAM>(form_.format), 0);
  for (int list = 0; list < 3; ++list) {
    const PresetList& rows = ListOf(form_, list);
    for (int row = 0; row < kPresetsPerBand; ++row) {
      const PresetIds ids = RowIds(list, row);
      SetField(dialog_, ids.name, rows[static_cast<size_t>(row)].name);
      SetField(dialog_, ids.frequency, rows[static_cast<size_t>(row)].frequency);
    }
  }
}

void CSettingDlg::TakeLists() {
  form_.format = ComboSelection(dialog_, IDC_PREF_FORMAT);
  for (int list = 0; list < 3; ++list) {
    PresetList& rows = ListOf(form_, list);
    for (int row = 0; row < kPresetsPerBand; ++row) {
      const PresetIds ids = RowIds(list, row);
      rows[static_cast<size_t>(row)].name = ItemText(dialog_, ids.name);
      rows[static_cast<size_t>(row)].frequency = ItemText(dialog_, ids.frequency);
    }
  }
}

void CSettingDlg::PushFolderAndRegion() {
  SetItemText(dialog_, IDC_PREF_FOLDER, form_.folder);
  for (int region = 0; region < 3; ++region) SetItemChecked(dialog_, IDC_PREF_USA + region, form_.region == region);
}

void CSettingDlg::TakeFolderAndRegion() {
  form_.folder = ItemText(dialog_, IDC_PREF_FOLDER);
  // A region none of the buttons stands for (a hand-edited setting) stays as it was.
  for (int region = 0; region < 3; ++region)
    if (IsItemChecked(dialog_, IDC_PREF_USA + region)) form_.region = region;
}

void CSettingDlg::OnRegion(int region) {
  form_.region = region;
  LoadLists();
}

void CSettingDlg::OnBrowse() {
  BROWSEINFOA info{};
  info.hwndOwner = GetActiveWindow();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  if (chosen == nullptr) return;
  char path[MAX_PATH] = {};
  const bool named = SHGetPathFromIDListA(chosen, path) != FALSE;
  CoTaskMemFree(chosen);
  if (!named) return;
  form_.folder = path;
  SetItemText(dialog_, IDC_PREF_FOLDER, form_.folder);
}

void CSettingDlg::OnDefault() {
  if (GetKeyState(VK_CONTROL) >= 0) {
    form_.folder = kDefaultRecordFolder;
    SetItemText(dialog_, IDC_PREF_FOLDER, form_.folder);
    return;
  }
  DialogMessageBox message(dialog_);
  if (!store_.ResetToDefaults(message)) return;
  reset_ = true;
  LoadLists();
  form_.region = RegionJapan;
  PushFolderAndRegion();
  LoadLists();
  OnOK();
}

void CSettingDlg::OnOK() {
  TakeFolderAndRegion();
  if (!EnsureRecordFolder(form_.folder)) {
    SetFocus(GetDlgItem(dialog_, IDC_PREF_FOLDER));
    return;
  }
  TakeLists();
  DialogMessageBox message(dialog_);
  if (SaveAll(store_, form_, message)) EndDialog(dialog_, IDOK);
}
