#pragma once
// Raw text from the serial line made fit to show: control characters and
// bytes above 126 escaped (\r, \n, \t, \xNN), long text cut with "...".

#include <cstddef>
#include <string>
#include <string_view>

namespace tally {

std::string SafeText(std::string_view raw, std::size_t maxLength = 60);

}  // namespace tally
