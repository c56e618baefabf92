#pragma once
// The versioned schema: --migrate applies what is missing, each migration in
// one transaction (concurrent runs wait for each other); the forwarder
// checks that the database has the schema it was built for.

#include <functional>
#include <string>

#include "common/outcome.h"
#include "forward/database.h"

namespace tally::forward {

// Applies the migrations the database lacks; say is told each one applied.
Status Migrate(Database& database, const std::function<void(const std::string&)>& say);

// Fails with DatabaseRefused, naming --migrate, when the schema is missing
// or older than this program's.
Status CheckSchema(Database& database);

// The newest migration this program carries.
int SchemaVersion();

}  // namespace tally::forward
