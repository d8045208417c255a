// Shows the windows a user sees when a reserved slot is taken: Form1 with
// "Attendere", then errore's box for 1250. The program itself cannot be made
// to reach that box without changing what it does, so this probe drives the
// same platform and the same errore.
//
// platform_probe [HOLD_MS]: between the two, stays busy for HOLD_MS without
// serving any window message, as the run does while it works, so the test can
// see that Form1 was painted once, before the work.
#include <windows.h>

#include <cstdlib>

#include "app/platform.h"
#include "app/run_sequence.h"

int main(int argc, char** argv) {
  sb::Platform& platform = sb::native_platform();
  platform.show_wait_window();
  if (argc > 1) Sleep(static_cast<DWORD>(std::atoi(argv[1])));
  const int status = sb::errore(platform, "1250");
  platform.close_wait_window();
  return status;
}
