#pragma once
// Which tags Set Data and Auto Track Numbering write: one byte of option bits, its starting value
// for a selection, how the dialogs' two three-state boxes show it and read it back, and the
// per-file decision it makes.

#include <cstdint>
#include <span>

namespace corvane::batch {

using TagChoice = std::uint8_t;

inline constexpr TagChoice kChoiceV2All = 0x01;      // write the ID3v2 tag of every file
inline constexpr TagChoice kChoiceV2Present = 0x02;  // ... only of files that show one
inline constexpr TagChoice kChoiceV1All = 0x08;      // write the ID3v1 trailer of every file
inline constexpr TagChoice kChoiceV1Present = 0x10;  // ... only of files that show one
inline constexpr TagChoice kChoiceNoV1Form = 0x20;   // the field has no ID3v1 form

// True when the byte chooses at least one tag.
[[nodiscard]] bool choosesAnyTag(TagChoice choice);

// The starting choice for the selected rows, given each row's tag-presence bits (0..3): a tag
// that every row shows is chosen for every file, one that some rows show is chosen for the files
// that have it; fieldHasV1Form false adds kChoiceNoV1Form.
[[nodiscard]] TagChoice initialTagChoice(std::span<const int> presences, bool fieldHasV1Form);

enum class BoxState { Unchecked, Checked, Indeterminate };

// How one of the two tag boxes is set up when a dialog opens.
struct TagBoxSetup {
    bool enabled = true;
    bool threeState = false;  // only a box that starts indeterminate keeps its third state
    BoxState state = BoxState::Unchecked;
};
[[nodiscard]] TagBoxSetup id3v1BoxSetup(TagChoice choice);
[[nodiscard]] TagBoxSetup id3v2BoxSetup(TagChoice choice);

// The choice a dialog hands back from its two boxes; 0 means no tag was chosen.
[[nodiscard]] TagChoice readTagChoice(BoxState id3v1Box, BoxState id3v2Box);

// The per-file decision for a file showing the presence bits: whether its ID3v2 tag, and whether
// its ID3v1 trailer (for a field with an ID3v1 form), are written.
[[nodiscard]] bool writesId3v2(TagChoice choice, int presence);
[[nodiscard]] bool writesId3v1(TagChoice choice, int presence);

}  // namespace corvane::batch
