#pragma once

// The program's string table: every user-visible text, by id, as UTF-8 narrow text.
#include <string>

namespace COM_GUI_EX {

// The text of the id; empty for an id the table does not hold.
std::string LoadString(unsigned id);

}  // namespace COM_GUI_EX
