// Handling of the program's command line, once, right after start-up.
#include "app/main_win.h"

namespace corvana {

void TAppForm::TimerParamTimer() { KillTimer(hwnd_, TimerParam); }

}  // namespace corvana
