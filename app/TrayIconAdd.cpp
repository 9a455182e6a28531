#include "app/TrayIconAdd.h"

bool AddTrayIconOrAdoptIt(const std::function<bool(TrayIconRequest)>& ask) {
  return ask(TrayIconRequest::Add) || ask(TrayIconRequest::Modify);
}
