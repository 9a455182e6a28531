#include "settings/win32/TimerListDialog.h"

#include <commctrl.h>

#include "resources/settings_ids.h"
#include "settings/TimerDialogTexts.h"
#include "settings/win32/ModalDialog.h"
#include "settings/win32/TimerSettingsDialog.h"

INT_PTR CShowAll::DoModal(HWND owner) { return RunModalDialog(*this, IDD_TIMER_LIST, owner); }

INT_PTR CShowAll::OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      dialog_ = dialog;
      OnInitDialog();
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_TIMER_LIST_VIEW && header->code == NM_DBLCLK)
        OnDoubleClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
      return FALSE;
    }
    case WM_COMMAND:
      // Enter on the list opens its selected row, as a double click does: the dialog's keys
      // would otherwise take it for OK and close the list.
      if (LOWORD(wParam) == IDOK && list_ && GetFocus() == list_) {
        OnDoubleClick(ListView_GetNextItem(list_, -1, LVNI_SELECTED));
        return TRUE;
      }
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog_, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

void CShowAll::OnInitDialog() {
  list_ = GetDlgItem(dialog_, IDC_TIMER_LIST_VIEW);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int column = 0; column < kTimerListColumns; ++column) {
    LVCOLUMNA c{};
    c.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    c.fmt = LVCFMT_CENTER;
    c.cx = kTimerListColumnLayout[column].width;
    c.pszText = const_cast<char*>(kTimerListColumnLayout[column].title);
    c.iSubItem = column;
    SendMessageA(list_, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c));
  }
  // The first column is left-aligned whatever it is asked for when inserted; centre it afterwards.
  LVCOLUMNA first{};
  first.mask = LVCF_FMT;
  first.fmt = LVCFMT_CENTER;
  SendMessageA(list_, LVM_SETCOLUMNA, 0, reinterpret_cast<LPARAM>(&first));
  Refill();
  CentreDialog(dialog_);
}

void CShowAll::Refill() {
  if (list_ == nullptr) return;
  SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < rows_.size(); ++i) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i / kTimerListColumns);
    item.iSubItem = static_cast<int>(i % kTimerListColumns);
    item.pszText = const_cast<char*>(rows_[i].c_str());
    SendMessageA(list_, item.iSubItem == 0 ? LVM_INSERTITEMA : LVM_SETITEMTEXTA, static_cast<WPARAM>(item.iItem),
                 reinterpret_cast<LPARAM>(&item));
  }
}

void CShowAll::OnDoubleClick(int row) {
  if (row < 0) return;
  CTimerSetDlg editor(tree_, setExecutionState_);
  editor.SetRegion(region_);
  if (plan_) editor.SetPowerPlan(*plan_);
  editor.SetSingleReservation(this, row);
  editor.DoModal(dialog_);
  ShowWindow(dialog_, SW_SHOW);
}
