#pragma once
// "Show Timer setting" (dialog 416): the sixteen reservations in a table. A double-click on a
// row edits that reservation in a compact timer dialog; Enter and Escape close the list.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/WakeTimers.h"

class IKeyValueTree;

class CShowAll {
 public:
  // `setExecutionState` goes to the timer dialog a double-click opens.
  explicit CShowAll(IKeyValueTree& tree, std::function<void(uint32_t)> setExecutionState = {})
      : tree_(tree), setExecutionState_(std::move(setExecutionState)) {}
  CShowAll(const CShowAll&) = delete;
  CShowAll& operator=(const CShowAll&) = delete;

  void SetRegion(uint8_t region) { region_ = region; }
  // Handed to the timer dialog a double-click opens, which marks the rows it rebuilds.
  void SetPowerPlan(IPowerPlan& plan) { plan_ = &plan; }
  // Nine strings per reservation, reservation 1 first (ReadTimerListRows).
  void SetRows(std::vector<std::string> rows) { rows_ = std::move(rows); }
  const std::vector<std::string>& Rows() const { return rows_; }

  INT_PTR DoModal(HWND owner);
  // Shows the rows in the list view again.
  void Refill();
  HWND Hwnd() const { return dialog_; }

  INT_PTR OnMessage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

 private:
  void OnInitDialog();
  void OnDoubleClick(int row);

  IKeyValueTree& tree_;
  std::function<void(uint32_t)> setExecutionState_;
  HWND dialog_ = nullptr;
  HWND list_ = nullptr;
  uint8_t region_ = 2;
  IPowerPlan* plan_ = nullptr;
  std::vector<std::string> rows_;
};
