// The groups of checks of com_client_check, one family each.
#pragma once

#include <string>

namespace quill {
namespace comtest {

// type_library_checks.cpp
void CheckNamesAndDispids();
void CheckTypeLibrary();
// apartment_checks.cpp
void CheckSecondApartment(const std::string& uidText);
void CheckEdgeConversions();
// concurrency_checks.cpp
void CheckConcurrentApartments(const std::string& uidText);
// hosting_checks.cpp
void CheckHosting();
// module_checks.cpp
void CheckModuleFile();
void CheckLoginDialog();
void CheckAggregationAndUnloading();

}  // namespace comtest
}  // namespace quill
