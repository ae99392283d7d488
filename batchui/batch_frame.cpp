#include "batchui/batch_frame.h"

#include <QFile>
#include <algorithm>
#include <set>
#include <utility>

#include "batch/compact_remove.h"
#include "batch/convert_tags.h"
#include "batch/file_names.h"
#include "batch/from_name.h"
#include "batch/rename_files.h"
#include "batch/picture_work.h"
#include "batch/set_data.h"
#include "batch/sync_tags.h"
#include "batch/track_numbering.h"
#include "batch/undo_store.h"
#include "batchui/auto_track_dialog.h"
#include "batchui/background_run.h"
#include "batchui/case_replace_dialog.h"
#include "batchui/convert_dialog.h"
#include "batchui/from_name_dialog.h"
#include "batchui/rename_dialog.h"
#include "batchui/picture_dialogs.h"
#include "batchui/run_progress_dialog.h"
#include "batchui/run_prompts.h"
#include "batchui/run_rows.h"
#include "batchui/set_value_dialog.h"
#include "batchui/sync_tags_dialog.h"
#include "gui/app_settings.h"
#include "gui/command_ids.h"
#include "gui/display_text.h"
#include "gui/prompt.h"
#include "tags/field_catalogue.h"
#include "tags/id3v1.h"
#include "tags/list_row_reader.h"

namespace corvane {

namespace {

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
std::string trailerText(tags::FileIo& file, tags::Column field)
{
    tags::SlotList trailer(7);
    if (tags::readId3v1(file, trailer, true) != tags::TagRead::Present) return {};
    if (field == tags::Column::Track) return trailer[0].text();
    const std::string genre = trailer[6].text();
    return genre.empty() ? std::string()
                         : std::string(tags::genreName(static_cast<std::uint8_t>(genre[0])));
}

}  // namespace

BatchFrame::BatchFrame(BatchContext context) : m_context(std::move(context)) {}

void BatchFrame::runOperation(int id)
{
    // From the first look at the selection to the last row brought up to date.
    const RowsHold hold(m_context.rows);
    if (id >= commandNumber(CommandId::SetDataFirst) &&
        id <= commandNumber(CommandId::SetDataLast)) {
        setData(id - commandNumber(CommandId::SetDataFirst));
    } else if (id == commandNumber(CommandId::SynchroniseTags)) {
        synchroniseTags();
    } else if (id == commandNumber(CommandId::AutoTrackNumbering)) {
        numberTracks();
    } else if (id == commandNumber(CommandId::CompactId3v2)) {
        compactTags();
    } else if (id == commandNumber(CommandId::ConvertId3v2)) {
        convertTags();
    } else if (id == commandNumber(CommandId::TagFromFileName)) {
        tagFromFileName();
    } else if (id == commandNumber(CommandId::RenameFromTags)) {
        renameFromTags();
    } else if (id == commandNumber(CommandId::CaseAndReplace)) {
        caseAndReplace();
    } else if (id == commandNumber(CommandId::SetCover)) {
        setCover();
    } else if (id == commandNumber(CommandId::RemovePictures)) {
        removePictures();
    } else if (id == commandNumber(CommandId::ExtractCovers)) {
        extractCovers();
    }
}

std::vector<int> BatchFrame::presencesOf(const std::vector<int>& rows) const
{
    std::vector<int> presences;
    for (const int row : rows) presences.push_back(m_context.rows.rowPresence(row));
    return presences;
}

batch::TagChoice BatchFrame::initialTagChoice(bool fieldHasV1Form) const
{
    return batch::initialTagChoice(presencesOf(m_context.rows.selectedRows()), fieldHasV1Form);
}

void BatchFrame::updateWrittenRow(int row, int column, const std::string& text,
                                  const batch::FileOutcome& outcome)
{
    const TagView view = m_context.rows.tagView();
    int shown = 0;
    if (outcome.wroteId3v2 && view == TagView::Id3v2) shown |= tags::kPresenceId3v2;
    if (outcome.wroteId3v1 && view == TagView::Id3v1) shown |= tags::kPresenceId3v1;
    if (shown == 0 || column < 0) return;
    m_context.rows.updateRow(row, column, fromUtf8(text), shown);
}

std::vector<std::string> BatchFrame::pathsOf(const std::vector<int>& rows) const
{
    std::vector<std::string> paths;
    paths.reserve(rows.size());
    for (const int row : rows)
        paths.push_back(m_context.rows.currentFolder() + m_context.rows.rowName(row));
    return paths;
}

void BatchFrame::runRows(const std::string& label, const std::vector<int>& rows,
                         const batch::FileWork& work, const AfterFile& afterFile,
                         bool readingFirst, tags::OpenMode mode)
{
    const RunRows& list = m_context.rows;
    std::vector<std::string> names;
    std::vector<std::string> paths;
    for (const int row : rows) {
        names.push_back(list.rowName(row));
        paths.push_back(list.currentFolder() + names.back());
    }
    runPaths(label, paths, std::move(names), work, afterFile, readingFirst, true, mode);
}

void BatchFrame::runPaths(const std::string& label, const std::vector<std::string>& paths,
                          std::vector<std::string> names, const batch::FileWork& work,
                          const AfterFile& afterFile, bool readingFirst, bool keepsTags,
                          tags::OpenMode mode)
{
    // A run that only reads changes no tag, so there is nothing it could undo.
    std::unique_ptr<UndoableChange> change;
    if (mode == tags::OpenMode::Update) {
        change = UndoableChange::begin(&m_context.window, m_context.prompter, m_context.writing,
                                       paths, label, keepsTags);
        if (!change) return;
    }
    RunPrompts prompts(&m_context.window, m_context.prompter, std::move(names),
                       mode == tags::OpenMode::Read ? RunPrompts::Form::Extracting
                                                    : RunPrompts::Form::Setting);
    prompts.setProgress(readingFirst ? RunPrompts::Progress::ReadingName
                                     : RunPrompts::Progress::PathWhenAccessible,
                        m_context.showProgress);
    prompts.setAfterFile(afterFile);
    prompts.setWriting(m_context.writing.policy, change ? change->recorder() : nullptr);
    // The prompts told the user about every failure.
    const batch::RunReport report = runInBackground(m_context.progress, paths, work, prompts, mode);
    prompts.showLastProgress();
    const QString undoProblem = change ? change->finish() : QString();
    if (m_context.progress.isCancelled()) {
        m_context.showProgress(QStringLiteral("Cancelled: ") +
                               QString::number(report.writtenCount()) +
                               QStringLiteral(" of ") + QString::number(paths.size()) +
                               QStringLiteral(" files written"));
    }
    // Seldom, and more important than the last file's name: they stay in the status bar.
    if (!prompts.recoveryNotes().isEmpty()) m_context.showProgress(prompts.recoveryNotes());
    if (!undoProblem.isEmpty()) m_context.showProgress(undoProblem);
}

void BatchFrame::undoLastChange()
{
    const auto change = batch::UndoStore(m_context.writing.undoFolder).last();
    if (!change) return;
    std::vector<std::string> paths;
    std::vector<std::string> names;
    std::set<std::string> listed;  // names in the listed folder the undo touches
    const std::string& folder = m_context.rows.currentFolder();
    bool renamesListed = false;
    for (const auto& entry : change->entries) {
        paths.push_back(entry.path);
        const auto slash = entry.path.rfind('/');
        names.push_back(slash == std::string::npos ? entry.path : entry.path.substr(slash + 1));
        if (!folder.empty() && entry.path.starts_with(folder) &&
            entry.path.find('/', folder.size()) == std::string::npos) {
            listed.insert(names.back());
            renamesListed = renamesListed || entry.kind == batch::UndoEntry::Kind::Rename;
        }
    }
    {
        const RowsHold hold(m_context.rows);
        runPaths(
            batch::undoLabel(change->label), paths, std::move(names),
            [&change](tags::FileIo& file, const batch::RunFile& run) {
                // A rename back is noted too, so that Redo renames again.
                return batch::undoFile(file, change->entries[run.index], run.undo);
            },
            {}, false);
    }
    if (renamesListed) {
        m_context.rows.readFolderAgain();
        return;
    }
    std::vector<int> rows;
    for (int row = 0; row < m_context.rows.rowCount(); ++row)
        if (listed.contains(m_context.rows.rowName(row))) rows.push_back(row);
    m_context.rows.refreshRows(rows);
}

void BatchFrame::setData(int column)
{
    RunRows& list = m_context.rows;
    const ColumnLayout& layout = list.columnLayout();
    if (column < 0 || column >= static_cast<int>(layout.size())) return;
    const tags::Column field = layout[static_cast<std::size_t>(column)].field;
    if (tags::ColumnTable[static_cast<std::size_t>(field)].frameId.empty()) return;
    const std::vector<int> rows = list.selectedRows();
    const std::string start = list.cellText(rows.front(), column).toStdString();

    SetValueDialog dialog(field, start, initialTagChoice(batch::fieldOfColumn(field).hasV1Form()),
                          m_context.prompter, &m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    list.focusRows();
    batch::SetDataOptions options = dialog.options();
    options.compact = m_context.compact;
    const std::string value = options.values.empty() ? std::string() : options.values.front().value;
    const std::string cutForV1 = batch::v1DisplayText(field, value);
    const bool byteField = field == tags::Column::Genre || field == tags::Column::Track;
    const bool showsV1 = list.tagView() == TagView::Id3v1;
    const std::vector<int> presences = presencesOf(rows);
    std::vector<std::string> shown(rows.size());

    // The work touches only the file; the rows are brought up to date between files.
    runRows(
        "Set Data", rows,
        [&](tags::FileIo& file, const batch::RunFile& run) {
            const auto outcome = batch::setData(file, options, presences[run.index]);
            shown[run.index] = value;
            if (showsV1)
                shown[run.index] =
                    byteField && outcome.wroteId3v1 ? trailerText(file, field) : cutForV1;
            return outcome;
        },
        [&](const batch::RunFile& run, const batch::FileOutcome& outcome) {
            updateWrittenRow(rows[run.index], column, shown[run.index], outcome);
        });
    if (column == list.sortColumn()) list.sortRows();
}

void BatchFrame::numberTracks()
{
    RunRows& list = m_context.rows;
    AutoTrackDialog dialog(initialTagChoice(true), m_context.prompter, &m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    list.focusRows();
    const AutoTrackOptions options = dialog.options();
    const int width = batch::trackWidth(options.zeroMode, options.start,
                                        static_cast<std::size_t>(list.rowCount()));
    const int trackColumn = columnOf(list.columnLayout(), tags::Column::Track);
    const bool compact = m_context.compact;
    const bool showsV1 = list.tagView() == TagView::Id3v1;
    const std::vector<int> rows = list.selectedRows();
    const std::vector<int> presences = presencesOf(rows);
    std::vector<std::string> shown(rows.size());

    // Every selected row takes its number, also one that is skipped: the numbers follow the list.
    runRows(
        "Auto Track No", rows,
        [&](tags::FileIo& file, const batch::RunFile& run) {
            const std::string track =
                batch::trackText(options.start + static_cast<std::int64_t>(run.index), width);
            const auto outcome =
                batch::writeTrack(file, track, options.choice, presences[run.index], compact);
            shown[run.index] = showsV1 && outcome.wroteId3v1
                                   ? trailerText(file, tags::Column::Track)
                                   : track;
            return outcome;
        },
        [&](const batch::RunFile& run, const batch::FileOutcome& outcome) {
            updateWrittenRow(rows[run.index], trackColumn, shown[run.index], outcome);
        });
    if (trackColumn >= 0 && trackColumn == list.sortColumn()) list.sortRows();
}

void BatchFrame::synchroniseTags()
{
    SyncTagsDialog dialog(&m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    batch::SyncOptions options = dialog.options();
    options.compact = m_context.compact;
    runRows(
        "Synchronise Tags", m_context.rows.selectedRows(),
        [&options](tags::FileIo& file, const batch::RunFile&) {
            return batch::synchroniseTags(file, options);
        },
        {}, true);
    m_context.rows.refreshSelectedRows();
}

void BatchFrame::compactTags()
{
    const std::vector<int> rows = m_context.rows.selectedRows();
    const std::vector<int> presences = presencesOf(rows);
    runRows("Compact ID3v2 Tags", rows, [&](tags::FileIo& file, const batch::RunFile& run) {
        // The row's image decides, as for the other runs: a file it shows without an ID3v2 tag
        // is opened and closed unchanged.
        if ((presences[run.index] & tags::kPresenceId3v2) == 0)
            return batch::FileOutcome::skipped("the file has no ID3v2 tag");
        return batch::compactId3v2(file);
    });
}

void BatchFrame::convertTags()
{
    ConvertDialog dialog(&m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    const std::uint8_t target = dialog.targetMajor();
    runRows("Convert ID3v2 Version", m_context.rows.selectedRows(), [target](tags::FileIo& file, const batch::RunFile&) {
        return batch::convertTags(file, target);
    });
    // A 2.2 tag's frames, and its dates in either direction, read differently once converted.
    m_context.rows.refreshSelectedRows();
}

void BatchFrame::runPreviewed(const std::string& label, const std::vector<int>& rows,
                              const std::vector<batch::FilePlan>& plans,
                              const batch::Planner& planner, const AfterFile& afterFile,
                              bool keepsTags)
{
    std::vector<std::string> names;
    for (std::size_t i = 0; i < rows.size() && i < plans.size(); ++i) {
        if (plans[i].writes()) names.push_back(m_context.rows.rowName(rows[i]));
    }
    if (names.empty()) {
        m_context.showProgress(QStringLiteral("Nothing to change"));
        return;
    }
    m_context.rows.focusRows();
    runPaths(label, batch::pathsToWrite(plans), std::move(names),
             batch::previewedWork(plans, planner), afterFile, false, keepsTags);
}

void BatchFrame::tagFromFileName()
{
    const std::vector<int> rows = m_context.rows.selectedRows();
    const std::vector<std::string> paths = pathsOf(rows);
    const bool compact = m_context.compact;
    const auto plannerOf = [compact](batch::FromNameOptions options) -> batch::Planner {
        options.compact = compact;
        return [options = std::move(options)](tags::FileIo& file, const std::string& path) {
            return batch::planFromName(file, path, options);
        };
    };
    FromNameDialog dialog(
        m_context.formats ? m_context.formats->reading : std::vector<std::string>(),
        initialTagChoice(true),
        [&](const batch::FromNameOptions& options) {
            return batch::buildPreview(paths, plannerOf(options));
        },
        m_context.prompter, &m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    if (m_context.formats) rememberFormat(m_context.formats->reading, dialog.formatText());
    runPreviewed("Tag from File Name", rows, dialog.plans(), plannerOf(dialog.options()));
    m_context.rows.refreshSelectedRows();
}

void BatchFrame::renameFromTags()
{
    RunRows& list = m_context.rows;
    const std::vector<int> rows = list.selectedRows();
    const std::vector<std::string> paths = pathsOf(rows);
    RenameDialog dialog(
        m_context.formats ? m_context.formats->naming : std::vector<std::string>(),
        list.tagView() == TagView::Id3v1 ? batch::TagKind::Id3v1 : batch::TagKind::Id3v2,
        [&paths](const batch::RenameOptions& options) {
            return batch::previewRename(paths, options);
        },
        m_context.prompter, &m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    if (m_context.formats) rememberFormat(m_context.formats->naming, dialog.formatText());
    const batch::RenameOptions options = dialog.options();
    const std::vector<batch::FilePlan>& plans = dialog.plans();
    std::vector<std::string> newNames;
    std::vector<int> writing;
    for (std::size_t i = 0; i < rows.size() && i < plans.size(); ++i) {
        if (!plans[i].writes()) continue;
        writing.push_back(rows[i]);
        newNames.emplace_back(batch::nameOf(plans[i].newPath));
    }
    // The rows follow their files to the new names as they are renamed.
    runPreviewed(
        "Rename from Tags", rows, plans,
        [&options](tags::FileIo& file, const std::string& path) {
            return batch::planRename(file, path, options);
        },
        [&](const batch::RunFile& run, const batch::FileOutcome& outcome) {
            if (outcome.isWritten()) list.renameRow(writing[run.index], newNames[run.index]);
        },
        false);
    list.sortRows();
}

void BatchFrame::caseAndReplace()
{
    const std::vector<int> rows = m_context.rows.selectedRows();
    const std::vector<std::string> paths = pathsOf(rows);
    CaseReplaceDialog dialog(
        [&paths](const batch::TextEdit& edit) {
            return batch::buildPreview(paths, [&edit](tags::FileIo& file, const std::string& path) {
                return edit.plan(file, path);
            });
        },
        m_context.prompter, &m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    batch::TextEditOptions options = dialog.options();
    options.compact = m_context.compact;
    std::string error;
    const auto edit = batch::TextEdit::make(std::move(options), error);
    // The dialog closes only on options that make an edit.
    if (!edit) return;
    runPreviewed("Case and Replace", rows, dialog.plans(),
                 [&edit](tags::FileIo& file, const std::string& path) {
                     return edit->plan(file, path);
                 });
    m_context.rows.refreshSelectedRows();
}

void BatchFrame::setCover()
{
    const QString image = m_context.prompter.askPath(&m_context.window, PathQuestion::OpenImage,
                                                     QStringLiteral("Set Cover"),
                                                     displayName(m_context.rows.currentFolder()));
    if (image.isEmpty()) return;
    auto read = batch::readImageFile(QFile::encodeName(image).toStdString(), tags::kFrontCoverType);
    if (!read.picture) {
        m_context.prompter.stop(&m_context.window, QStringLiteral("%1 cannot be the cover: %2.")
                                                       .arg(image, fromUtf8(read.reason)));
        return;
    }
    auto options = batch::setCoverOptions(std::make_shared<const tags::PictureData>(std::move(*read.picture)));
    options.compact = m_context.compact;
    runRows("Set Cover", m_context.rows.selectedRows(),
            [&options](tags::FileIo& file, const batch::RunFile&) {
                return batch::writePicture(file, options);
            });
    // The Cover column and the rows' tags show the files as they are now.
    m_context.rows.refreshSelectedRows();
}

void BatchFrame::removePictures()
{
    RemovePicturesDialog dialog(&m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    const tags::PictureMatch match = dialog.match();
    const bool compact = m_context.compact;
    runRows("Remove Pictures", m_context.rows.selectedRows(),
            [&match, compact](tags::FileIo& file, const batch::RunFile&) {
                return batch::removePictures(file, match, compact);
            });
    m_context.rows.refreshSelectedRows();
}

void BatchFrame::extractCovers()
{
    RunRows& list = m_context.rows;
    const std::vector<int> rows = list.selectedRows();
    std::vector<std::string> paths;
    for (const int row : rows) paths.push_back(list.currentFolder() + list.rowName(row));
    ExtractCoversDialog dialog(list.currentFolder(), batch::sharedAlbum(paths), m_context.prompter,
                               &m_context.window);
    if (dialog.exec() != QDialog::Accepted) return;
    list.focusRows();
    batch::ExtractOptions options = dialog.options();
    std::vector<int> inTheWay;
    QStringList names;
    int extracted = 0;
    const auto extractRows = [&](const std::vector<int>& which) {
        batch::PictureExtraction extraction(options);
        std::vector<batch::ExtractResult> results(which.size());
        runRows(
            "Extract Covers", which,
            [&](tags::FileIo& file, const batch::RunFile& run) {
                results[run.index] = extraction.extract(file, run.path);
                return results[run.index].outcome;
            },
            {}, false, tags::OpenMode::Read);
        inTheWay.clear();
        names.clear();
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (results[i].outcome.isWritten()) ++extracted;
            if (!results[i].targetExists) continue;
            inTheWay.push_back(which[i]);
            names << displayName(results[i].target);
        }
    };
    extractRows(rows);
    // Files in the way are replaced only when the user says so, all of them at once.
    if (!inTheWay.empty()) {
        constexpr int kNamesShown = 10;
        QString question = QStringLiteral("These files exist already:\n") +
                           names.mid(0, kNamesShown).join(QLatin1Char('\n'));
        if (names.size() > kNamesShown)
            question += QStringLiteral("\n... and %1 more").arg(names.size() - kNamesShown);
        question += QStringLiteral("\nWould you like to replace them?");
        if (m_context.prompter.yesNo(&m_context.window, question)) {
            options.overwrite = true;
            extractRows(std::vector<int>(inTheWay));
        }
    }
    m_context.showProgress(QStringLiteral("%1 of %2 covers extracted").arg(extracted).arg(rows.size()));
}

}  // namespace corvane
