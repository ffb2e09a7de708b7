// Checks the monitor's Windows ports against the system they run on (Wine
// in the tests): prints each failure and "port-checks-done" at the end.
#include "port_checks.h"

int main() {
  quill::Checks checks;
  quill::RunRegistryChecks(checks);
  quill::RunLogChecks(checks);
  quill::RunSystemChecks(checks);
  return checks.Finish("port-checks-done");
}
