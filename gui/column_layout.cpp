#include "gui/column_layout.h"

namespace corvane {

ColumnLayout defaultColumnLayout()
{
    using tags::Column;
    return {{Column::Filename, 150}, {Column::Title, 150}, {Column::Artist, 150},
            {Column::Album, 150}};
}

}  // namespace corvane
