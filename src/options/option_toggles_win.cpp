// The option toggles of the menus and "Reset to Defaults...".
#include "app/main_win.h"

namespace corvana {

void TAppForm::RememberAudioSettings1Click() {}

void TAppForm::ShowErrorDetails1Click() {}

void TAppForm::ResettoDefaults1Click() {}

}  // namespace corvana
