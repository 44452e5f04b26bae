// The about box and the online help.
#include "app/main_win.h"

namespace corvana {

void TAppForm::About1Click() {}

void TAppForm::Help2Click() {}

}  // namespace corvana
