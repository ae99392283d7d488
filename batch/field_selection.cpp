#include "batch/field_selection.h"

namespace corvane::batch {

namespace {

bool isSelectable(tags::EditorField field)
{
    return tags::indexOf(field) < tags::kSelectableFieldCount;
}

}  // namespace

FieldSelection FieldSelection::all()
{
    FieldSelection selection;
    selection.m_chosen.set();
    return selection;
}

bool FieldSelection::operator[](tags::EditorField field) const
{
    return isSelectable(field) && m_chosen.test(static_cast<std::size_t>(tags::indexOf(field)));
}

void FieldSelection::set(tags::EditorField field, bool chosen)
{
    if (isSelectable(field)) m_chosen.set(static_cast<std::size_t>(tags::indexOf(field)), chosen);
}

std::uint32_t FieldSelection::bits() const
{
    return static_cast<std::uint32_t>(m_chosen.to_ulong());
}

FieldSelection FieldSelection::fromBits(std::uint32_t bits)
{
    FieldSelection selection;
    selection.m_chosen = std::bitset<tags::kSelectableFieldCount>(bits);
    return selection;
}

}  // namespace corvane::batch
