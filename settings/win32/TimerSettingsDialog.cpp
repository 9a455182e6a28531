#include "settings/win32/TimerSettingsDialog.h"

#include <commctrl.h>

#include "device/BandPlan.h"
#include "resources/settings_ids.h"
#include "settings/PcSettings.h"
#include "settings/PowerSettings.h"
#include "settings/win32/DialogMessageBox.h"
#include "settings/win32/ModalDialog.h"
#include "settings/win32/PcSettingsDialog.h"
#include "settings/win32/Win32PowerPlan.h"
#include "settings/win32/TimerListDialog.h"
#include "settings/win32/WakeTimersLine.h"

namespace {

constexpr int kBandIds[3] = {IDC_TIMER_AM, IDC_TIMER_FM, IDC_TIMER_SW};
constexpr int kDayIds[7] = {IDC_TIMER_SUN, IDC_TIMER_MON, IDC_TIMER_TUE, IDC_TIMER_WED,
                            IDC_TIMER_THU, IDC_TIMER_FRI, IDC_TIMER_SAT};
// What moves up when the dialog edits one reservation: the frame and everything in it.
constexpr int kSingleModeIds[] = {
    IDC_TIMER_FRAME,   1141, 1142, 1143, 1144, 1145, 1146, 1147, IDC_TIMER_NAME, IDC_TIMER_AM, IDC_TIMER_FM,
    IDC_TIMER_SW,      IDC_TIMER_STATION, IDC_TIMER_FREQUENCY, IDC_TIMER_UNIT, IDC_TIMER_FORMAT, IDC_TIMER_DATE,
    IDC_TIMER_WEEKLY,  IDC_TIMER_DATE_PICKER, IDC_TIMER_SUN, IDC_TIMER_MON, IDC_TIMER_TUE, IDC_TIMER_WED,
    IDC_TIMER_THU,     IDC_TIMER_FRI, IDC_TIMER_SAT, IDC_TIMER_START, IDC_TIMER_STOP, IDC_TIMER_ON, IDOK, IDCANCEL};

SYSTEMTIME Today() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return now;
}

LocalDate DateOf(const SYSTEMTIME& t) { return {t.wYear, t.wMonth, t.wDay}; }
TimeOfDay TimeOf(const SYSTEMTIME& t) { return {t.wHour, t.wMinute, t.wSecond}; }

// A picker showing today's date at the given time of day.
void SetPickerTime(HWND picker, const TimeOfDay& time) {
  SYSTEMTIME t = Today();
  t.wHour = static_cast<WORD>(time.hour);
  t.wMinute = static_cast<WORD>(time.minute);
  t.wSecond = static_cast<WORD>(time.second);
  t.wMilliseconds = 0;
  DateTime_SetSystemtime(picker, GDT_VALID, &t);
}

SYSTEMTIME PickerTime(HWND picker) {
  SYSTEMTIME t = Today();
  DateTime_GetSystemtime(picker, &t);
  return t;
}

}  // namespace

CTimerSetDlg::CTimerSetDlg(IKeyValueTree& tree, ExecutionStateSetter setExecutionState)
    : tree_(tree), setExecutionState_(std::move(setExecutionState)), store_(tree), plan_(&SystemPowerPlan()) {}

void CTimerSetDlg::SetSingleReservation(CShowAll* list, int row) {
  single_ = true;
  list_ = list;
  singleRow_ = row;
}

INT_PTR CTimerSetDlg::DoModal(HWND owner) { return RunModalDialog(*this, IDD_TIMER_SETTINGS, owner); }

INT_PTR CTimerSetDlg::OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      dialog_ = dialog;
      OnInitDialog();
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == IDC_TIMER_DATE_PICKER && header->code == DTN_DROPDOWN) OnDateDropDown();
      // The picker raises no value change of its own: a reader on it would hear nothing.
      if (header->code == DTN_DATETIMECHANGE &&
          (header->idFrom == IDC_TIMER_DATE_PICKER || header->idFrom == IDC_TIMER_START || header->idFrom == IDC_TIMER_STOP))
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, header->hwndFrom, OBJID_CLIENT, CHILDID_SELF);
      if (IsLinkActivated(lParam, IDC_TIMER_POWER_OPTIONS)) plan_->OpenPowerOptions();
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      if (id >= IDC_TIMER_SELECT1 && id <= IDC_TIMER_SELECT16) {
        ReservationButton(id - IDC_TIMER_SELECT1 + 1);
        return TRUE;
      }
      switch (id) {
        case IDC_TIMER_AM:
        case IDC_TIMER_FM:
        case IDC_TIMER_SW:
          if (code == BN_CLICKED) OnBand();
          return TRUE;
        case IDC_TIMER_DATE:
        case IDC_TIMER_WEEKLY:
          if (code == BN_CLICKED) {
            LoadDateSide(id == IDC_TIMER_WEEKLY ? 1 : 0);
            PushDateSide();
          }
          return TRUE;
        case IDC_TIMER_STATION:
          if (code == CBN_SELCHANGE) OnStationChange();
          return TRUE;
        case IDC_TIMER_NAME:
          // A mouse press on Cancel takes the focus before Cancel runs: that leaves nothing to
          // save, and a refused frequency would keep the dialog from closing.
          if (code == EN_KILLFOCUS && !ending_ && name_.FocusTaker() != GetDlgItem(dialog_, IDCANCEL)) Save();
          return TRUE;
        case IDC_TIMER_SETTINGS_PC:
          OnPcSetting();
          return TRUE;
        case IDC_TIMER_LIST:
          OnList();
          return TRUE;
        case IDOK:
          OnOK();
          return TRUE;
        case IDCANCEL:
          OnCancel();
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}

void CTimerSetDlg::OnInitDialog() {
  colours_.Attach(dialog_);
  name_.Attach(GetDlgItem(dialog_, IDC_TIMER_NAME));
  // The system's objects of the pickers have no value: the label serves what they show.
  HWND date = GetDlgItem(dialog_, IDC_TIMER_DATE_PICKER), start = GetDlgItem(dialog_, IDC_TIMER_START),
       stop = GetDlgItem(dialog_, IDC_TIMER_STOP);
  pickerLabels_[0].Attach(date, "Date", [date] { return SpokenDate(DateOf(PickerTime(date))); });
  pickerLabels_[1].Attach(start, "Start", [start] { return SpokenTime(TimeOf(PickerTime(start))); });
  pickerLabels_[2].Attach(stop, "Stop", [stop] { return SpokenTime(TimeOf(PickerTime(stop))); });
  // The unit is shown as the dialog always showed it and read as it is spoken; an AM reservation
  // keeps the unit the template shows.
  unitLabel_.Attach(GetDlgItem(dialog_, IDC_TIMER_UNIT), TimerUnitName(BandFM));
  // On the screen the days stay as short as the dialog draws them; a reader says them in full.
  for (int day = 0; day < 7; ++day)
    dayLabels_[static_cast<size_t>(day)].Attach(GetDlgItem(dialog_, kDayIds[day]), WeekdayName(day));
  for (const char* entry : kTimerFormats)
    SendDlgItemMessageA(dialog_, IDC_TIMER_FORMAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry));
  SendDlgItemMessageA(dialog_, IDC_TIMER_FORMAT, CB_SETCURSEL, 0, 0);
  LoadReservation(1);
  Push();
  buttons_.SkinChildren(dialog_);
  CentreDialog(dialog_);
  EnableWindow(GetDlgItem(dialog_, IDC_TIMER_SW), FALSE);
  SelectReservation(single_ ? singleRow_ + 1 : 1);
  if (single_) ApplySingleLayout();
  else ShowWakeTimers(dialog_, IDC_TIMER_WAKE_TIMERS, IDC_TIMER_POWER_OPTIONS, *plan_);
}

void CTimerSetDlg::ApplySingleLayout() {
  for (int id = IDC_TIMER_SELECT1; id <= IDC_TIMER_SELECT16; ++id) ShowWindow(GetDlgItem(dialog_, id), SW_HIDE);
  auto clientRect = [this](int id) {
    RECT rc{};
    GetWindowRect(GetDlgItem(dialog_, id), &rc);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  };
  const int shift = clientRect(IDC_TIMER_FRAME).top - 3;
  for (int id : kSingleModeIds) {
    const RECT rc = clientRect(id);
    SetWindowPos(GetDlgItem(dialog_, id), nullptr, rc.left, rc.top - shift, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RECT window{};
  GetWindowRect(dialog_, &window);
  SetWindowPos(dialog_, nullptr, 0, 0, window.right - window.left, (window.bottom - window.top) * 2 / 3,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CTimerSetDlg::SelectReservation(int n) {
  current_ = n;
  for (int i = 1; i <= 16; ++i)
    if (CWzButtonImpl* button = buttons_.Find(GetDlgItem(dialog_, IDC_TIMER_SELECT1 + i - 1)))
      button->SetSelected(i == n);
  LoadReservation(n);
  Push();
  RefillStations(setting_.band);
}

void CTimerSetDlg::LoadReservation(int n) {
  for (int i = 1; i <= 16; ++i)
    SetItemText(dialog_, IDC_TIMER_SELECT1 + i - 1, ReservationButtonText(store_.ReadValue(TimerKey(i), "ITEM"), i));
  const SYSTEMTIME now = Today();
  setting_ = ::LoadReservation(store_, n, DateOf(now), TimeOf(now));
  storedFrequency_ = setting_.frequency;
  if (setting_.band != BandAM) {
    SetItemText(dialog_, IDC_TIMER_UNIT, TimerUnitText(setting_.band));
    unitLabel_.SetName(TimerUnitName(setting_.band));
  }
  if (setting_.dateType == 0) setting_.week.fill(false);
}

void CTimerSetDlg::LoadDateSide(int dateType) {
  const SYSTEMTIME now = Today();
  const TimerSetting stored = ::LoadReservation(store_, current_, DateOf(now), TimeOf(now));
  setting_.dateType = dateType;
  setting_.date = stored.date;
  if (dateType == 0)
    setting_.week.fill(false);
  else
    setting_.week = stored.week;
}

void CTimerSetDlg::Push() {
  SetItemText(dialog_, IDC_TIMER_NAME, setting_.item);
  SetItemChecked(dialog_, IDC_TIMER_ON, setting_.active != 0);
  for (int band = 0; band < 3; ++band) SetItemChecked(dialog_, kBandIds[band], setting_.band == band);
  SetItemText(dialog_, IDC_TIMER_FREQUENCY, setting_.frequency);
  SendDlgItemMessageA(dialog_, IDC_TIMER_FORMAT, CB_SETCURSEL, static_cast<WPARAM>(setting_.quality), 0);
  SetItemChecked(dialog_, IDC_TIMER_DATE, setting_.dateType == 0);
  SetItemChecked(dialog_, IDC_TIMER_WEEKLY, setting_.dateType != 0);
  PushDateSide();
  SetPickerTime(GetDlgItem(dialog_, IDC_TIMER_START), setting_.start);
  SetPickerTime(GetDlgItem(dialog_, IDC_TIMER_STOP), setting_.stop);
}

void CTimerSetDlg::PushDateSide() {
  SYSTEMTIME date = Today();
  date.wYear = static_cast<WORD>(setting_.date.year);
  date.wMonth = static_cast<WORD>(setting_.date.month);
  date.wDay = static_cast<WORD>(setting_.date.day);
  HWND picker = GetDlgItem(dialog_, IDC_TIMER_DATE_PICKER);
  // A stored date no calendar has (month 13, day 0) leaves today's date showing.
  if (!DateTime_SetSystemtime(picker, GDT_VALID, &date)) {
    SYSTEMTIME today = Today();
    DateTime_SetSystemtime(picker, GDT_VALID, &today);
  }
  const bool weekly = setting_.dateType != 0;
  for (int day = 0; day < 7; ++day) {
    SetItemChecked(dialog_, kDayIds[day], setting_.week[static_cast<size_t>(day)]);
    EnableWindow(GetDlgItem(dialog_, kDayIds[day]), weekly);
  }
  EnableWindow(picker, !weekly);
}

void CTimerSetDlg::Take() {
  setting_.item = ItemText(dialog_, IDC_TIMER_NAME);
  setting_.active = IsItemChecked(dialog_, IDC_TIMER_ON) ? 1 : 0;
  for (int band = 0; band < 3; ++band)
    if (IsItemChecked(dialog_, kBandIds[band])) setting_.band = static_cast<uint8_t>(band);
  setting_.frequency = ItemText(dialog_, IDC_TIMER_FREQUENCY);
  setting_.quality = ComboSelection(dialog_, IDC_TIMER_FORMAT);
  setting_.dateType = IsItemChecked(dialog_, IDC_TIMER_WEEKLY) ? 1 : 0;
  setting_.date = DateOf(PickerTime(GetDlgItem(dialog_, IDC_TIMER_DATE_PICKER)));
  for (int day = 0; day < 7; ++day) setting_.week[static_cast<size_t>(day)] = IsItemChecked(dialog_, kDayIds[day]);
  setting_.start = TimeOf(PickerTime(GetDlgItem(dialog_, IDC_TIMER_START)));
  setting_.stop = TimeOf(PickerTime(GetDlgItem(dialog_, IDC_TIMER_STOP)));
  const LRESULT station = SendDlgItemMessageA(dialog_, IDC_TIMER_STATION, CB_GETCURSEL, 0, 0);
  setting_.station = station >= 0 && static_cast<size_t>(station) < stations_.entries.size()
                         ? stations_.entries[static_cast<size_t>(station)]
                         : std::string(kAppointed);
}

bool CTimerSetDlg::Save() {
  // The refusal's message box takes the focus from the name field: that is no second save.
  if (saving_) return false;
  saving_ = true;
  Take();
  DialogMessageBox message(dialog_);
  const bool saved = SaveReservation(store_, current_, setting_, region_, message);
  saving_ = false;
  return saved;
}

void CTimerSetDlg::RefillStations(uint8_t previousBand) {
  uint8_t band = previousBand;
  for (int b = 0; b < 3; ++b)
    if (IsItemChecked(dialog_, kBandIds[b])) band = static_cast<uint8_t>(b);
  setting_.band = band;
  stations_ = LoadStationList(store_, band, region_);
  HWND combo = GetDlgItem(dialog_, IDC_TIMER_STATION);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : stations_.entries)
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  const StationChoice choice = ChooseStation(stations_, storedFrequency_, band, band != previousBand);
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(choice.selection), 0);
  setting_.frequency = choice.frequency;
  SetItemText(dialog_, IDC_TIMER_FREQUENCY, choice.frequency);
  EnableWindow(GetDlgItem(dialog_, IDC_TIMER_FREQUENCY), choice.editable);
  SetItemText(dialog_, IDC_TIMER_UNIT, TimerUnitText(band));
  unitLabel_.SetName(TimerUnitName(band));
}

void CTimerSetDlg::ReservationButton(int n) {
  if (n == current_) return;
  Save();  // a refused frequency is shown, but the switch goes on
  SelectReservation(n);
}

void CTimerSetDlg::OnBand() { RefillStations(setting_.band); }

void CTimerSetDlg::OnStationChange() {
  const LRESULT selection = SendDlgItemMessageA(dialog_, IDC_TIMER_STATION, CB_GETCURSEL, 0, 0);
  HWND field = GetDlgItem(dialog_, IDC_TIMER_FREQUENCY);
  if (selection > 0 && static_cast<size_t>(selection) < stations_.frequencies.size()) {
    SetWindowTextA(field, stations_.frequencies[static_cast<size_t>(selection)].c_str());
    EnableWindow(field, FALSE);
  } else {
    EnableWindow(field, TRUE);
  }
}

void CTimerSetDlg::OnDateDropDown() {
  HWND picker = GetDlgItem(dialog_, IDC_TIMER_DATE_PICKER);
  HWND calendar = DateTime_GetMonthCal(picker);
  if (calendar == nullptr) return;
  // The calendar opens on the date the user chose, with today marked.
  SYSTEMTIME today = Today();
  SYSTEMTIME chosen = PickerTime(picker);
  MonthCal_SetToday(calendar, &today);
  MonthCal_SetCurSel(calendar, &chosen);
  MonthCal_SetColor(calendar, MCSC_TRAILINGTEXT, RGB(255, 0, 0));
}

void CTimerSetDlg::OnPcSetting() {
  CMySettingDlg settings(tree_);
  settings.SetPowerPlan(*plan_);
  if (settings.DoModal(dialog_) == IDOK && setExecutionState_)
    setExecutionState_(KeepAwakeExecutionState(AutoSuspendValue(settings.Choice())));
  // The user may have changed the plan through the link meanwhile.
  ShowWakeTimers(dialog_, IDC_TIMER_WAKE_TIMERS, IDC_TIMER_POWER_OPTIONS, *plan_);
}

std::vector<std::string> CTimerSetDlg::ListRows() {
  return ReadTimerListRows(store_, WakeTimersBlocked(plan_->ReadWakeTimers()));
}

void CTimerSetDlg::OnList() {
  if (saveBeforeList_) Save();
  std::vector<std::string> rows = ListRows();
  if (single_) {
    if (list_ != nullptr) {
      list_->SetRows(std::move(rows));
      list_->Refill();
      ShowWindow(list_->Hwnd(), SW_SHOW);
    }
    return;
  }
  ShowWindow(dialog_, SW_HIDE);
  CShowAll list(tree_, setExecutionState_);
  list.SetRegion(region_);
  list.SetPowerPlan(*plan_);
  list.SetRows(std::move(rows));
  list.DoModal(dialog_);
  SelectReservation(1);
  ShowWindow(dialog_, SW_SHOW);
  SetActiveWindow(dialog_);
  SetFocus(dialog_);
}

void CTimerSetDlg::OnOK() {
  if (!Save()) return;
  ending_ = true;
  EndDialog(dialog_, IDOK);
  if (single_) RefreshList();
}

void CTimerSetDlg::OnCancel() {
  ending_ = true;
  EndDialog(dialog_, IDCANCEL);
  if (single_) {
    saveBeforeList_ = false;
    RefreshList();
  }
}

void CTimerSetDlg::RefreshList() {
  if (list_ == nullptr) return;
  list_->SetRows(ListRows());
  list_->Refill();
}
