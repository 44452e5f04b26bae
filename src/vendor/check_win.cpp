// The background update check.
#include "app/main_win.h"

namespace corvana {

void TAppForm::TimerCheckerTimer() {}

void TAppForm::UpdateNotifications1Click() {}

}  // namespace corvana
