#pragma once

// The program's string table: every user-visible text, by id. The table is written
// in UTF-8 and handed out decoded.
#include <QString>

namespace COM_GUI_EX {

// The text of the id; empty for an id the table does not hold.
QString LoadString(unsigned id);

}  // namespace COM_GUI_EX
