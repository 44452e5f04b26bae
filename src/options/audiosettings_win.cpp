// The "Audio Settings" dialog.
#include "app/main_win.h"

namespace corvana {

void TAppForm::Button3Click() { RunCommand(CMD_AudioSettings1); }

void TAppForm::AudioSettings1Click() {}

}  // namespace corvana
