#pragma once
// Where the journal of kept writes lies: outside every data directory, in
// the user's state folder.

#include <string>

namespace tally {

// The first of $XDG_STATE_HOME/tally77, ~/.local/state/tally77 and
// tally77-<user id> in the temporary folder that is, or can be made, a
// folder of the program's user (created private to him). "" when none is.
std::string JournalFolder();

}  // namespace tally
