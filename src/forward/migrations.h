#pragma once
// The schema's migrations, one per SQL file of src/forward/sql/, carried in
// the program. Each is applied in one transaction and recorded in
// tally77.schema_version.

#include <string>
#include <vector>

namespace tally::forward {

struct Migration {
  int version;
  std::string name;
  std::string sql;
};

// Oldest first.
const std::vector<Migration>& Migrations();

}  // namespace tally::forward
