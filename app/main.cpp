// The player's entry: no arguments; the exit status is 0 after a normal run
// and 255 (-1) after Quit or a failed start-up, 128 + the signal after
// SIGTERM or SIGINT.
#include "app/startup.h"

int main() {
  return tessaly::app::runProgram();
}
