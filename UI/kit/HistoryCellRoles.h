#pragma once

#include <Qt>

// What the history outline's model gives its two cell kinds, row by row (the outline's owner
// fills these; the cells read nothing else):
//   Qt::DisplayRole    the cell's own title: a record's "Items", "Erasure algorithm" or "Result"
//                      value on record rows, the empty text on run rows (invalid: no title)
//   SelectedRole       bool, the row is the selected row: its texts are black whatever they say
//   ObjectValueRole    what the plain cell draws under the title: the run key in the name column
//                      of a run row, nothing elsewhere
//   ShowButtonsRole    bool, state column: this run row shows the export and delete icons
//   RunKeyRole         the run key of the row, handed to the action delegate
namespace historycell {

enum Role {
    SelectedRole = Qt::UserRole + 0x2d0,
    ObjectValueRole,
    ShowButtonsRole,
    RunKeyRole,
};

} // namespace historycell
