#include "batch/batch_frame.h"

#include <QApplication>
#include <algorithm>
#include <utility>

#include "app/app_settings.h"
#include "app/command_ids.h"
#include "app/file_list.h"
#include "app/prompt.h"
#include "app/wait_cursor.h"
#include "batch/auto_track_dialog.h"
#include "batch/compact_remove.h"
#include "batch/field_select_dialog.h"
#include "batch/set_data.h"
#include "batch/set_value_dialog.h"
#include "batch/sync_tags.h"
#include "batch/sync_tags_dialog.h"
#include "batch/track_numbering.h"
#include "batch/update_all.h"
#include "editor/tag_editor_dialog.h"
#include "editor/update_all_job.h"
#include "editor/write_failure_message.h"
#include "tags/field_catalogue.h"
#include "tags/id3v1.h"
#include "tags/list_row_reader.h"

namespace corvane {

namespace {

const QString kNoSelection =
    QStringLiteral("Please select at least one file to perform operation on");
const QString kReadingFile = QStringLiteral("Reading File: ");
const QString kContinueSetting =
    QStringLiteral("\nWould you like to continue setting remaining file tags?");
const QString kContinueUpdating =
    QStringLiteral("\nWould you like to continue with the remaining file(s)?");

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString failureMessage(const std::string& name, const std::string& reason)
{
    return writeFailureMessage(displayFileName(name), reason);
}

// The physical index of the first list column showing `field`, or -1.
int columnOf(const ColumnLayout& layout, tags::Column field)
{
    const auto it = std::find_if(layout.begin(), layout.end(),
                                 [field](const ColumnSpec& entry) { return entry.field == field; });
    return it == layout.end() ? -1 : static_cast<int>(it - layout.begin());
}

// What the ID3v1 view shows for the trailer's track or genre, read back from the file just
// written: the trailer keeps a number (255 above 255, none for 0) and a genre byte, so the text
// as entered ("007", "300", an unknown genre) is not what a later reading of the row shows.
QString trailerText(tags::FileIo& file, tags::Column field)
{
    tags::SlotList trailer(7);
    if (tags::readId3v1(file, trailer, true) != tags::TagRead::Present) return {};
    if (field == tags::Column::Track) return fromUtf8(trailer[0].text());
    const std::string genre = trailer[6].text();
    return genre.empty()
               ? QString()
               : fromUtf8(std::string(tags::genreName(static_cast<std::uint8_t>(genre[0]))));
}

}  // namespace

BatchFrame::BatchFrame(BatchContext context) : m_context(std::move(context)) {}

void BatchFrame::runActionCommand(int id)
{
    FileList& list = m_context.list;
    if (!isActionCommand(id)) return;
    if (list.selectedCount() == 0) {
        m_context.prompter.stop(&m_context.window, kNoSelection);
        list.setFocus();
        return;
    }
    if (id == commandNumber(CommandId::Properties)) {
        openEditor();
    } else if (id >= commandNumber(CommandId::SetDataFirst) &&
               id <= commandNumber(CommandId::SetDataLast)) {
        setData(id - commandNumber(CommandId::SetDataFirst));
    } else if (id == commandNumber(CommandId::SynchroniseTags)) {
        synchroniseTags();
    } else if (id == commandNumber(CommandId::AutoTrackNumbering)) {
        numberTracks();
    } else if (id == commandNumber(CommandId::CompactId3v2)) {
        compactTags();
    }
    list.setFocus();
}

std::string BatchFrame::pathOf(const std::string& name) const
{
    return m_context.list.currentFolder() + name;
}

bool BatchFrame::askToGoOn(const QString& message, bool anotherFollows)
{
    const ScopedCursor arrow(Qt::ArrowCursor);  // the run's wait cursor would sit over the buttons
    if (!anotherFollows) {
        m_context.prompter.information(&m_context.window, message);
        return false;
    }
    return m_context.prompter.yesNo(&m_context.window, message + kContinueSetting);
}

bool BatchFrame::checkWritable(const std::string& name, bool anotherFollows, bool& goOn)
{
    if (tags::testAccess(pathOf(name)) == tags::Access::ReadWrite) return true;
    if (!askToGoOn(readOnlyMessage(displayFileName(name)), anotherFollows)) goOn = false;
    return false;
}

void BatchFrame::reportFailure(const std::string& name, const std::string& reason,
                               bool anotherFollows, bool& goOn)
{
    if (!askToGoOn(failureMessage(name, reason), anotherFollows)) goOn = false;
}

batch::TagChoice BatchFrame::initialTagChoice(bool fieldHasV1Form) const
{
    std::vector<int> presences;
    for (int row : m_context.list.selectedRows())
        presences.push_back(m_context.list.row(row).presence);
    return batch::initialTagChoice(presences, fieldHasV1Form);
}

void BatchFrame::repaintList()
{
    if (m_context.list.isVisible()) m_context.list.viewport()->repaint();
}

void BatchFrame::updateWrittenRow(int row, int column, const QString& text,
                                  const batch::FileOutcome& outcome)
{
    const TagView view = m_context.list.tagView();
    int shown = 0;
    if (outcome.wroteId3v2 && view == TagView::Id3v2) shown |= tags::kPresenceId3v2;
    if (outcome.wroteId3v1 && view == TagView::Id3v1) shown |= tags::kPresenceId3v1;
    if (shown == 0 || column < 0) return;
    m_context.list.updateRow(row, column, text, shown);
    repaintList();
}

void BatchFrame::runLoop(const std::vector<int>& rows, const FileWork& work)
{
    const WaitCursor wait;
    bool goOn = true;
    for (std::size_t i = 0; i < rows.size() && goOn; ++i) {
        const bool anotherFollows = i + 1 < rows.size();
        const std::string name = m_context.list.row(rows[i]).name;
        if (!checkWritable(name, anotherFollows, goOn)) continue;
        const std::string path = pathOf(name);
        batch::UpdateFile target = batch::openForUpdate(path);
        m_context.showProgress(displayFileName(path));
        // Between the access test and the open the file may have gone or been locked; that is a
        // failure the user must hear about, not a silent skip.
        if (!target.isOpen()) {
            reportFailure(name, target.reason, anotherFollows, goOn);
            continue;
        }
        const batch::FileOutcome outcome = work(target.file, rows[i], i);
        if (outcome.isFailed()) reportFailure(name, outcome.reason, anotherFollows, goOn);
    }
}

void BatchFrame::openEditor()
{
    FileList& list = m_context.list;
    AppSettings& settings = m_context.settings;
    {
        TagEditorDialog editor(list.currentFolder(), list.selectedFileNames(), settings.expanded,
                               settings.compact, settings.fieldSelection, m_context.prompter,
                               &m_context.window);
        editor.setUpdateAllHandler(updateAllHandler(m_context.prompter));
        editor.exec();
        settings.compact = editor.compact();
    }
    // Whatever happened in the editor, the rows show the files as they are now.
    list.refreshSelectedRows();
}

void BatchFrame::setData(int column)
{
    FileList& list = m_context.list;
    const ColumnLayout& layout = list.columnLayout();
    if (column < 0 || column >= static_cast<int>(layout.size())) return;
    const tags::Column field = layout[static_cast<std::size_t>(column)].field;
    if (field == tags::Column::Filename) return;
    const std::vector<int> rows = list.selectedRows();
    const FileRow& first = list.row(rows.front());
    const auto cell = static_cast<std::size_t>(column);
    const std::string start = cell < first.cells.size() ? first.cells[cell].toStdString() : "";

    SetValueDialog dialog(field, start, initialTagChoice(batch::fieldOfColumn(field).hasV1Form()),
                          m_context.prompter, &m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    list.setFocus();
    batch::SetDataOptions options = dialog.options();
    options.compact = m_context.settings.compact;
    const std::string value = options.values.empty() ? std::string() : options.values.front().value;
    const QString asEntered = fromUtf8(value);
    const QString cutForV1 = fromUtf8(batch::v1DisplayText(field, value));
    const bool byteField = field == tags::Column::Genre || field == tags::Column::Track;

    runLoop(rows, [&](tags::FileIo& file, int row, std::size_t) {
        const batch::FileOutcome outcome = batch::setData(file, options, list.row(row).presence);
        QString text = asEntered;
        if (list.tagView() == TagView::Id3v1)
            text = byteField && outcome.wroteId3v1 ? trailerText(file, field) : cutForV1;
        updateWrittenRow(row, column, text, outcome);
        return outcome;
    });
    if (column == list.sortColumn()) list.sortRows();
}

void BatchFrame::numberTracks()
{
    FileList& list = m_context.list;
    AutoTrackDialog dialog(initialTagChoice(true), m_context.prompter, &m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    list.setFocus();
    const AutoTrackOptions options = dialog.options();
    const int width = batch::trackWidth(options.zeroMode, options.start,
                                        static_cast<std::size_t>(list.rowCount()));
    const int trackColumn = columnOf(list.columnLayout(), tags::Column::Track);
    const bool compact = m_context.settings.compact;

    // Every selected row takes its number, also one that is skipped: the numbers follow the list.
    runLoop(list.selectedRows(), [&](tags::FileIo& file, int row, std::size_t index) {
        const std::string track =
            batch::trackText(options.start + static_cast<std::int64_t>(index), width);
        const batch::FileOutcome outcome =
            batch::writeTrack(file, track, options.choice, list.row(row).presence, compact);
        if (trackColumn >= 0) {
            const QString text = list.tagView() == TagView::Id3v1 && outcome.wroteId3v1
                                     ? trailerText(file, tags::Column::Track)
                                     : fromUtf8(track);
            updateWrittenRow(row, trackColumn, text, outcome);
        }
        return outcome;
    });
    if (trackColumn >= 0 && trackColumn == list.sortColumn()) list.sortRows();
}

void BatchFrame::synchroniseTags()
{
    FileList& list = m_context.list;
    SyncTagsDialog dialog(&m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    batch::SyncOptions options = dialog.options();
    options.compact = m_context.settings.compact;
    const std::vector<int> rows = list.selectedRows();
    {
        const WaitCursor wait;
        bool goOn = true;
        for (std::size_t i = 0; i < rows.size() && goOn; ++i) {
            const bool anotherFollows = i + 1 < rows.size();
            const std::string name = list.row(rows[i]).name;
            // Here the name is shown before the access test: the run reads before it writes.
            m_context.showProgress(kReadingFile + displayFileName(name));
            if (!checkWritable(name, anotherFollows, goOn)) continue;
            batch::UpdateFile target = batch::openForUpdate(pathOf(name));
            const batch::FileOutcome outcome = target.isOpen()
                                                   ? batch::synchroniseTags(target.file, options)
                                                   : batch::FileOutcome::failed(target.reason);
            if (outcome.isFailed()) reportFailure(name, outcome.reason, anotherFollows, goOn);
        }
    }
    list.refreshSelectedRows();
}

void BatchFrame::compactTags()
{
    FileList& list = m_context.list;
    runLoop(list.selectedRows(), [&](tags::FileIo& file, int row, std::size_t) {
        // The row's image decides, as for the other runs: a file it shows without an ID3v2 tag
        // is opened and closed unchanged.
        if ((list.row(row).presence & tags::kPresenceId3v2) == 0)
            return batch::FileOutcome::skipped("the file has no ID3v2 tag");
        return batch::compactId3v2(file);
    });
}

UpdateAllHandler updateAllHandler(Prompter& prompter)
{
    UpdateAllHandler handler;
    handler.chooseFields = [&prompter](const UpdateAllRequest& request) {
        if (request.selection == nullptr) return false;
        FieldSelectDialog dialog(request.texts, *request.selection, prompter, request.parent);
        return dialog.exec() == QDialog::Accepted;
    };
    handler.writeAll = &writeUpdateAll;
    return handler;
}

void writeUpdateAll(const UpdateAllJob& job)
{
    if (job.prompter == nullptr) return;
    // Every refusal asks, also for the last file: the editor says "Update Complete" either way.
    const auto goOnAfter = [&job](const QString& message) {
        const ScopedCursor arrow(Qt::ArrowCursor);  // the run's wait cursor would sit over the buttons
        const PromptAnswer answer = job.prompter->ask(job.parent, message + kContinueUpdating,
                                                      PromptIcon::Warning, PromptButtons::YesNo);
        return answer == PromptAnswer::Yes;
    };
    bool goOn = true;
    for (std::size_t i = 0; i < job.names.size() && goOn; ++i) {
        const std::string& name = job.names[i];
        const std::string path = job.folder + name;
        if (tags::testAccess(path) != tags::Access::ReadWrite) {
            goOn = goOnAfter(readOnlyMessage(displayFileName(name)));
            continue;
        }
        batch::UpdateFile target = batch::openForUpdate(path);
        const batch::FileOutcome outcome = target.isOpen()
                                               ? batch::updateAllFile(target.file, job.plan)
                                               : batch::FileOutcome::failed(target.reason);
        if (outcome.isFailed()) goOn = goOnAfter(failureMessage(name, outcome.reason));
    }
}

}  // namespace corvane
