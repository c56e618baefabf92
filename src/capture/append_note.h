#pragma once
// An append of several lines made whole or not at all across a power cut.
// Before the lines go out, a note in the state folder records (flushed)
// where they begin (after a part of a line a crash left at the end, which
// is taken away) and the lines themselves; the next append of that file
// finds a file that ends inside those lines, holding their start, cut short
// by a crash and cuts it back to where they began, so no set's lines stand
// there in part. A file that holds anything else there (the operator's) is
// not cut. One note per file, written over in place: one flush more per
// append.

#include <string>

#include "common/outcome.h"

namespace tally {

// Cuts back an earlier noted append of path that a crash left cut short.
Status TakeBackCutShortAppend(const std::string& noteFolder, const std::string& path);

// Appends bytes (flushed) to path with a note in noteFolder, first cutting
// back an earlier noted append that a crash left cut short. Where no note
// can be written the bytes are appended all the same, as without one.
Status AppendNoted(const std::string& noteFolder, const std::string& path, const std::string& bytes);

}  // namespace tally
