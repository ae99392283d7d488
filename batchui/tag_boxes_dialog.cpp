#include "batchui/tag_boxes_dialog.h"

#include <QCheckBox>

namespace corvane {

namespace {

void applySetup(QCheckBox& box, const batch::TagBoxSetup& setup)
{
    box.setEnabled(setup.enabled);
    box.setTristate(setup.threeState);
    switch (setup.state) {
        case batch::BoxState::Unchecked:
            box.setCheckState(Qt::Unchecked);
            break;
        case batch::BoxState::Checked:
            box.setCheckState(Qt::Checked);
            break;
        case batch::BoxState::Indeterminate:
            box.setCheckState(Qt::PartiallyChecked);
            break;
    }
}

batch::BoxState stateOf(const QCheckBox& box)
{
    if (!box.isEnabled()) return batch::BoxState::Unchecked;
    switch (box.checkState()) {
        case Qt::Checked:
            return batch::BoxState::Checked;
        case Qt::PartiallyChecked:
            return batch::BoxState::Indeterminate;
        case Qt::Unchecked:
            break;
    }
    return batch::BoxState::Unchecked;
}

}  // namespace

void setUpTagBoxes(QCheckBox& id3v1Box, QCheckBox& id3v2Box, batch::TagChoice choice)
{
    batch::TagBoxSetup v1 = batch::id3v1BoxSetup(choice);
    if (!v1.enabled) {
        v1.threeState = false;
        v1.state = batch::BoxState::Unchecked;
    }
    applySetup(id3v1Box, v1);
    applySetup(id3v2Box, batch::id3v2BoxSetup(choice));
}

batch::TagChoice readTagBoxes(const QCheckBox& id3v1Box, const QCheckBox& id3v2Box)
{
    return batch::readTagChoice(stateOf(id3v1Box), stateOf(id3v2Box));
}

}  // namespace corvane
