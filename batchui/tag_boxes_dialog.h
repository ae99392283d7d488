#pragma once
// The two tag boxes ("Set ID3v&1 Tag", "Set ID3v&2 Tag") that the Set Data and Auto Track
// Numbering dialogs share: set up from a TagChoice when the dialog opens, read back on OK.

#include "batch/tag_choice.h"

class QCheckBox;

namespace corvane {

// Sets both boxes from choice. A box that starts indeterminate stays a three-state box; any
// other becomes a plain check box, so the user cannot put it back into the third state. When
// the field has no ID3v1 form the ID3v1 box is disabled and shown cleared: it cannot be chosen,
// so it must not look chosen either.
void setUpTagBoxes(QCheckBox& id3v1Box, QCheckBox& id3v2Box, batch::TagChoice choice);

// The choice the boxes hand back; 0 when neither chooses a tag. A disabled box counts as
// cleared, so a field without an ID3v1 form never reports an ID3v1 choice it cannot carry out.
[[nodiscard]] batch::TagChoice readTagBoxes(const QCheckBox& id3v1Box, const QCheckBox& id3v2Box);

}  // namespace corvane
