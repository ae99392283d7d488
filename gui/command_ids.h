#pragma once
// Every command of the main window. Menus, toolbar buttons, list keys and tests all reach the
// window through MainWindow::runCommand with one of these numbers.

namespace corvane {

enum class CommandId : int {
    // The menu bar: three popup buttons and three selection buttons.
    ActionMenu = 1001,
    ViewMenu = 1002,
    About = 1003,
    SelectAllRows = 1004,
    InvertRowSelection = 1005,
    SelectNoRows = 1006,

    // The View popup.
    ViewId3v1 = 2001,
    ViewId3v2 = 2002,
    SelectColumns = 2003,
    DurableWrites = 2004,
    UnsafeInPlace = 2005,

    // The Action range: everything from ActionFirst to ActionLast goes to runActionCommand.
    ActionFirst = 3000,
    Properties = 3000,
    SetDataFirst = 3001,  // Set Data on physical list column (id - SetDataFirst)
    SetDataLast = 3013,
    SynchroniseTags = 3102,
    AutoTrackNumbering = 3103,
    ConvertId3v2 = 3104,
    CompactId3v2 = 3106,
    TagFromFileName = 3110,
    RenameFromTags = 3111,
    CaseAndReplace = 3112,
    SetCover = 3120,
    RemovePictures = 3121,
    ExtractCovers = 3122,
    UndoLastChange = 3190,  // needs no selection
    ActionLast = 3199,
};

[[nodiscard]] constexpr int commandNumber(CommandId id)
{
    return static_cast<int>(id);
}

[[nodiscard]] constexpr bool isActionCommand(int id)
{
    return id >= commandNumber(CommandId::ActionFirst) && id <= commandNumber(CommandId::ActionLast);
}

// The Set Data command of physical list column `column` (0..12).
[[nodiscard]] constexpr int setDataCommand(int column)
{
    return commandNumber(CommandId::SetDataFirst) + column;
}

}  // namespace corvane
