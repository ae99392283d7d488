#include "batch/tag_choice.h"

#include "tags/list_row_reader.h"

namespace corvane::batch {

bool choosesAnyTag(TagChoice choice)
{
    return (choice & (kChoiceV2All | kChoiceV2Present | kChoiceV1All | kChoiceV1Present)) != 0;
}

TagChoice initialTagChoice(std::span<const int> presences, bool fieldHasV1Form)
{
    std::size_t withV1 = 0;
    std::size_t withV2 = 0;
    for (const int presence : presences) {
        if ((presence & tags::kPresenceId3v1) != 0) ++withV1;
        if ((presence & tags::kPresenceId3v2) != 0) ++withV2;
    }
    TagChoice choice = 0;
    if (withV1 > 0) choice |= withV1 == presences.size() ? kChoiceV1All : kChoiceV1Present;
    // A partial ID3v2 selection keeps the "every file" bit as well; the box shows it
    // indeterminate, and only what the box hands back decides the run.
    if (withV2 > 0)
        choice |= withV2 == presences.size() ? kChoiceV2All : (kChoiceV2All | kChoiceV2Present);
    if (!fieldHasV1Form) choice |= kChoiceNoV1Form;
    return choice;
}

namespace {

TagBoxSetup boxSetup(TagChoice choice, TagChoice presentBit, TagChoice allBit)
{
    TagBoxSetup setup;
    if ((choice & presentBit) != 0) {
        setup.threeState = true;
        setup.state = BoxState::Indeterminate;
    } else {
        setup.state = (choice & allBit) != 0 ? BoxState::Checked : BoxState::Unchecked;
    }
    return setup;
}

TagChoice bitsOfBox(BoxState state, TagChoice presentBit, TagChoice allBit)
{
    switch (state) {
        case BoxState::Indeterminate:
            return presentBit;
        case BoxState::Checked:
            return allBit;
        case BoxState::Unchecked:
            break;
    }
    return 0;
}

}  // namespace

TagBoxSetup id3v1BoxSetup(TagChoice choice)
{
    TagBoxSetup setup = boxSetup(choice, kChoiceV1Present, kChoiceV1All);
    setup.enabled = (choice & kChoiceNoV1Form) == 0;
    return setup;
}

TagBoxSetup id3v2BoxSetup(TagChoice choice)
{
    return boxSetup(choice, kChoiceV2Present, kChoiceV2All);
}

TagChoice readTagChoice(BoxState id3v1Box, BoxState id3v2Box)
{
    return static_cast<TagChoice>(bitsOfBox(id3v1Box, kChoiceV1Present, kChoiceV1All) |
                                  bitsOfBox(id3v2Box, kChoiceV2Present, kChoiceV2All));
}

bool writesId3v2(TagChoice choice, int presence)
{
    return (choice & kChoiceV2All) != 0 ||
           ((choice & kChoiceV2Present) != 0 && (presence & tags::kPresenceId3v2) != 0);
}

bool writesId3v1(TagChoice choice, int presence)
{
    return (choice & kChoiceV1All) != 0 ||
           ((choice & kChoiceV1Present) != 0 && (presence & tags::kPresenceId3v1) != 0);
}

}  // namespace corvane::batch
