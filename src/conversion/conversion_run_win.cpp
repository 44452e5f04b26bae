// The conversion run behind "Convert".
#include "app/main_win.h"

namespace corvana {

void TAppForm::Button1Click() {}

}  // namespace corvana
