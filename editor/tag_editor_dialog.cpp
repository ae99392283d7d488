// The tag core comes before any Qt header: TagRecord has a member named slots, which Qt's
// headers define away as a macro.
#include "editor/tag_editor_load.h"
#include "editor/tag_editor_save.h"
#include "tags/field_catalogue.h"
#include "tags/id3v1.h"

#include "editor/tag_editor_dialog.h"

#include "editor/digits_only_filter.h"
#include "editor/picture_area.h"
#include "gui/display_text.h"
#include "gui/genre_box.h"
#include "gui/prompt.h"
#include "gui/wait_cursor.h"
#include "gui/write_failure_message.h"

#include "ui_tag_editor_dialog.h"

#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextDocument>

#include <algorithm>
#include <optional>
#include <utility>

namespace corvane {

namespace {

using tags::EditorField;

bool isUnreadable(tags::TagRead read)
{
    return read == tags::TagRead::Unsupported || read == tags::TagRead::Failed;
}

// The ID3v1 fields and the ID3v2 fields that "From ID3v1" and "To ID3v1" copy between.
constexpr std::array<std::pair<EditorField, EditorField>, 6> kTagPairs{{
    {EditorField::V1Track, EditorField::Track},
    {EditorField::V1Title, EditorField::Title},
    {EditorField::V1Artist, EditorField::Artist},
    {EditorField::V1Album, EditorField::Album},
    {EditorField::V1Year, EditorField::Year},
    {EditorField::V1Comment, EditorField::Comment},
}};
// From ID3v1 copies at most this many characters; the ID3v1 limits keep every text shorter.
constexpr int kCopyFromId3v1Chars = 38;
constexpr int kToId3v1GenreChars = 29;

const QString kSavePrompt = QStringLiteral("Would you like to save any changes to the current tag?");
const QString kRevertPrompt =
    QStringLiteral("Are you sure you wish to revert back to the original information?");

}  // namespace

TagEditorDialog::TagEditorDialog(const std::string& folder, std::vector<std::string> names,
                                 bool& expanded, bool compact, batch::FieldSelection& selection,
                                 Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      m_ui(std::make_unique<Ui::TagEditorDialog>()),
      m_folder(folder),
      m_names(std::move(names)),
      m_expanded(expanded),
      m_compact(compact),
      m_selection(selection),
      m_prompter(prompter),
      m_record(std::make_unique<tags::TagRecord>())
{
    m_ui->setupUi(this);
    const std::pair<EditorField, QLineEdit*> edits[] = {
        {EditorField::V1Track, m_ui->editV1Track},
        {EditorField::V1Title, m_ui->editV1Title},
        {EditorField::V1Artist, m_ui->editV1Artist},
        {EditorField::V1Album, m_ui->editV1Album},
        {EditorField::V1Year, m_ui->editV1Year},
        {EditorField::V1Comment, m_ui->editV1Comment},
        {EditorField::Track, m_ui->editV2Track},
        {EditorField::Title, m_ui->editV2Title},
        {EditorField::Artist, m_ui->editV2Artist},
        {EditorField::Album, m_ui->editV2Album},
        {EditorField::Year, m_ui->editV2Year},
        {EditorField::Composer, m_ui->editComposer},
        {EditorField::Lyricist, m_ui->editLyricist},
        {EditorField::Copyright, m_ui->editCopyright},
        {EditorField::Url, m_ui->editUrl},
        {EditorField::EncodedBy, m_ui->editEncodedBy},
        {EditorField::SubTitle, m_ui->editSubTitle},
        {EditorField::OrigArtist, m_ui->editOrigArtist},
        {EditorField::OrigAlbum, m_ui->editOrigAlbum},
        {EditorField::OrigYear, m_ui->editOrigYear},
        {EditorField::OrigLyricist, m_ui->editOrigLyricist},
        {EditorField::Publisher, m_ui->editPublisher},
        {EditorField::Band, m_ui->editBand},
        {EditorField::Conductor, m_ui->editConductor},
        {EditorField::PlayCounter, m_ui->editPlayCounter},
    };
    for (const auto& [field, edit] : edits)
        m_edits[static_cast<std::size_t>(tags::indexOf(field))] = edit;
    m_v2Comment = m_ui->editV2Comment;
    setUpControls();
    setUpPictureArea();
    connectSignals();
}

TagEditorDialog::~TagEditorDialog() = default;

void TagEditorDialog::setUpControls()
{
    // The Compact box starts checked at every opening, whatever the setting holds; the setting
    // only comes back changed through "Update".
    m_ui->buttonPrev->setEnabled(false);
    m_ui->buttonNext->setEnabled(m_names.size() > 1);
    m_ui->checkId3v1->setChecked(true);
    m_ui->checkId3v2->setChecked(true);
    m_ui->checkCompact->setChecked(true);

    tags::forEachField(tags::kFirstV1Text, tags::kLastV1Text, [this](EditorField field) {
        const auto slot = static_cast<std::size_t>(tags::definitionOf(field).slot);
        lineEdit(field)->setMaxLength(tags::kV1SlotMaxChars[slot]);
    });
    auto* digits = new DigitsOnlyFilter(this);
    for (QLineEdit* edit : {m_ui->editV1Track, m_ui->editV1Year, m_ui->editV2Track, m_ui->editV2Year})
        edit->installEventFilter(digits);

    // The ID3v1 year shares its column with the wide fields; keep its four digits in view.
    m_ui->editV1Year->setMinimumWidth(
        m_ui->editV1Year->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
        m_ui->editV1Year->textMargins().left() + m_ui->editV1Year->textMargins().right() + 12);
    // Two lines of text with the scroll bar beside them.
    const QFontMetrics metrics(m_v2Comment->font());
    const int margin = static_cast<int>(m_v2Comment->document()->documentMargin());
    m_v2Comment->setFixedHeight(2 * metrics.lineSpacing() + 2 * margin +
                                2 * m_v2Comment->frameWidth());
    // The picture area shares the column with the specifics; their eight lines stay in view.
    QPlainTextEdit* specifics = m_ui->specificsText;
    specifics->setMinimumHeight(8 * QFontMetrics(specifics->font()).lineSpacing() +
                                2 * static_cast<int>(specifics->document()->documentMargin()) +
                                2 * specifics->frameWidth());
    // The editor's own typed genre must reach the file as typed, so no completion.
    m_ui->comboV2Genre->setCompleter(nullptr);
    fillGenreBox(*m_ui->comboV1Genre);
    fillGenreBox(*m_ui->comboV2Genre);
}

void TagEditorDialog::setUpPictureArea()
{
    PictureArea* area = m_ui->pictureArea;
    area->attach(m_pictures, m_prompter);
    // The picture controls come after every other control, whose order stays as it is.
    QWidget* before = m_ui->buttonNext;
    for (QWidget* control : area->tabSequence()) {
        setTabOrder(before, control);
        before = control;
    }
}

bool TagEditorDialog::loadFirstFile()
{
    if (m_names.empty() || !loadCurrentFile())
        return false;
    if (!m_expanded)
        applyLayout();
    return true;
}

void TagEditorDialog::connectSignals()
{
    for (QLineEdit* edit : m_edits) {
        if (edit)
            connect(edit, &QLineEdit::textChanged, this, &TagEditorDialog::markModified);
    }
    connect(m_v2Comment, &QPlainTextEdit::textChanged, this, &TagEditorDialog::markModified);
    connect(m_ui->pictureArea, &PictureArea::changed, this, &TagEditorDialog::markModified);
    // A track number takes the last two bytes of the ID3v1 comment.
    connect(m_ui->editV1Track, &QLineEdit::textChanged, this, [this](const QString& track) {
        m_ui->editV1Comment->setMaxLength(static_cast<int>(
            tags::id3v1Width(tags::V1FieldNo::Comment, !track.isEmpty() && track != QStringLiteral("0"))));
    });
    for (QComboBox* box : {m_ui->comboV1Genre, m_ui->comboV2Genre}) {
        connect(box, &QComboBox::currentIndexChanged, this, &TagEditorDialog::markModified);
        connect(box, &QComboBox::editTextChanged, this, &TagEditorDialog::markModified);
    }
    connect(m_ui->checkId3v1, &QCheckBox::clicked, this, &TagEditorDialog::applyId3v1Enabling);
    connect(m_ui->checkId3v2, &QCheckBox::clicked, this, &TagEditorDialog::applyId3v2Enabling);
    connect(m_ui->buttonUpdate, &QPushButton::clicked, this, &TagEditorDialog::saveAndMoveOn);
    connect(m_ui->buttonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->buttonRevert, &QPushButton::clicked, this, &TagEditorDialog::revert);
    connect(m_ui->buttonPrev, &QPushButton::clicked, this, &TagEditorDialog::goPrev);
    connect(m_ui->buttonNext, &QPushButton::clicked, this, &TagEditorDialog::goNext);
    connect(m_ui->buttonFromId3v1, &QPushButton::clicked, this, &TagEditorDialog::copyFromId3v1);
    connect(m_ui->buttonToId3v1, &QPushButton::clicked, this, &TagEditorDialog::copyToId3v1);
    connect(m_ui->buttonMoreLess, &QPushButton::clicked, this, &TagEditorDialog::toggleLayout);
    connect(m_ui->buttonClearCounter, &QPushButton::clicked, this, &TagEditorDialog::clearCounter);
    connect(m_ui->buttonUpdateAll, &QPushButton::clicked, this, &TagEditorDialog::updateAll);
}

void TagEditorDialog::setUpdateAllHandler(UpdateAllHandler handler)
{
    m_updateAll = std::move(handler);
}

std::string TagEditorDialog::currentPath() const
{
    return m_folder + m_names[static_cast<std::size_t>(m_index)];
}

QString TagEditorDialog::currentName() const
{
    return displayName(m_names[static_cast<std::size_t>(m_index)]);
}

void TagEditorDialog::updateTitle()
{
    setWindowTitle(QStringLiteral("MP3 Tag Info - %1 of %2 (%3)")
                       .arg(m_index + 1)
                       .arg(m_names.size())
                       .arg(currentName()));
}

QLineEdit* TagEditorDialog::lineEdit(EditorField field) const
{
    return m_edits[static_cast<std::size_t>(tags::indexOf(field))];
}

void TagEditorDialog::setText(EditorField field, const QString& text)
{
    if (field == EditorField::Comment)
        m_v2Comment->setPlainText(text);
    else if (QLineEdit* edit = lineEdit(field))
        edit->setText(text);
}

QString TagEditorDialog::text(EditorField field) const
{
    switch (field) {
    case EditorField::Comment: return m_v2Comment->toPlainText();
    case EditorField::V1Genre: return m_ui->comboV1Genre->currentText();
    case EditorField::V2Genre: return m_ui->comboV2Genre->currentText();
    default: return lineEdit(field)->text();
    }
}

// A file that does not open is reported and skipped, so the loop ends on the first readable file
// from here on.
bool TagEditorDialog::loadCurrentFile()
{
    for (;;) {
        updateTitle();
        const batch::TagFileLoad loaded = batch::loadTagFile(currentPath(), *m_record);
        if (loaded.opened) {
            m_unreadable = {isUnreadable(loaded.id3v1), isUnreadable(loaded.id3v2)};
            m_lockedKeys = loaded.lockedKeys;
            m_v2Major = loaded.id3v2 == tags::TagRead::Present ? loaded.header.major : 0;
            m_ui->checkId3v1->setChecked(m_record->hasId3v1());
            m_ui->checkId3v2->setChecked(m_record->hasId3v2());
            m_ui->specificsText->setPlainText(fromUtf8(editorSpecifics(loaded)));
            m_pictures.load(currentPath(), loaded.pictures);
            m_ui->pictureArea->showCover(displayName(m_folder));
            applyId3v1Enabling();
            applyId3v2Enabling();
            fillControls();
            selectFocusedText();
            m_modified = false;
            return true;
        }
        const QString name = currentName();
        const QString baseName = name.mid(name.lastIndexOf(QLatin1Char('/')) + 1);
        const bool hasNext = m_index + 1 < static_cast<int>(m_names.size());
        QString message = QStringLiteral("Unable to read the file ") + baseName;
        if (hasNext)
            message += QStringLiteral("\nMoving on to the next file");
        m_prompter.information(this, message);
        if (!hasNext)
            return false;
        // The controls still show the previous file, so there is nothing to offer to save here.
        ++m_index;
        m_ui->buttonPrev->setEnabled(true);
        m_ui->buttonNext->setEnabled(m_index + 1 < static_cast<int>(m_names.size()));
    }
}

void TagEditorDialog::fillControls()
{
    // The genre boxes are filled below; setText leaves them alone.
    tags::forEachField([this](EditorField field) {
        setText(field, fromUtf8((*m_record)[tags::definitionOf(field).slot].text()));
    });
    const tags::FieldSlot& genreByte = (*m_record)[tags::RecordSlot::V1GenreByte];
    std::optional<std::uint8_t> byte;
    if (genreByte.hasValue() && !genreByte.text().empty())
        byte = static_cast<std::uint8_t>(genreByte.text()[0]);
    showGenreByte(*m_ui->comboV1Genre, byte);
    m_ui->buttonClearCounter->setEnabled(m_ui->checkId3v2->isChecked() &&
                                         !m_ui->editPlayCounter->text().isEmpty());
    showGenreText(*m_ui->comboV2Genre, (*m_record)[tags::RecordSlot::Genre].value);
}

void TagEditorDialog::applyId3v1Enabling()
{
    const bool on = m_ui->checkId3v1->isChecked();
    tags::forEachField(tags::kFirstV1Text, tags::kLastV1Text,
                       [&](EditorField field) { lineEdit(field)->setEnabled(on); });
    m_ui->comboV1Genre->setEnabled(on);
    m_ui->buttonFromId3v1->setEnabled(on);
    m_modified = true;
}

void TagEditorDialog::applyId3v2Enabling()
{
    const bool on = m_ui->checkId3v2->isChecked();
    tags::forEachField(tags::kFirstV2Text, tags::kLastV2Text, [&](EditorField field) {
        // A field whose frame is encrypted cannot be shown, so it cannot be edited either.
        const bool locked = std::find(m_lockedKeys.begin(), m_lockedKeys.end(),
                                      tags::frameIdOf(field)) != m_lockedKeys.end();
        QWidget* control = field == EditorField::Comment ? static_cast<QWidget*>(m_v2Comment)
                                                         : lineEdit(field);
        control->setEnabled(on && !locked);
        control->setToolTip(locked ? QStringLiteral("This frame is encrypted and cannot be edited")
                                   : QString());
    });
    m_ui->comboV2Genre->setEnabled(on);
    m_ui->pictureArea->setEditable(on);
    m_ui->buttonToId3v1->setEnabled(on);
    m_ui->buttonClearCounter->setEnabled(on);
    m_ui->checkCompact->setEnabled(on);
    m_modified = true;
}

void TagEditorDialog::applyLayout()
{
    // The outer column's share of the width, taken while it is still laid out.
    const int outerWidth =
        (m_ui->outerColumn->isVisible() ? m_ui->outerColumn->width()
                                        : m_ui->outerColumn->sizeHint().width()) +
        m_ui->layoutColumns->spacing();
    m_ui->outerColumn->setVisible(m_expanded);
    m_ui->checkCompact->setVisible(m_expanded);
    m_ui->buttonMoreLess->setText(m_expanded ? QStringLiteral("< &Less")
                                             : QStringLiteral("&More >"));
    // Hiding a widget only posts the layout request of its group; the new size is wanted now.
    for (QLayout* nested : findChildren<QLayout*>())
        nested->invalidate();
    layout()->activate();
    const int minimum = minimumSizeHint().width();
    const int available = screen() ? screen()->availableGeometry().width() : sizeHint().width();
    const auto fitted = [&](int wanted) { return std::max(minimum, std::min(wanted, available)); };
    if (!isVisible()) {
        resize(fitted(sizeHint().width()), sizeHint().height());
        return;
    }
    int newWidth = width() - outerWidth;
    if (m_expanded) {
        newWidth = m_expandedWidth > 0 ? m_expandedWidth : width() + outerWidth;
    } else {
        m_expandedWidth = width();
    }
    resize(fitted(newWidth), height());
}

// Typing right after a move replaces the field instead of adding to it.
void TagEditorDialog::selectFocusedText()
{
    QWidget* focused = focusWidget();
    if (focused == m_v2Comment) {
        m_v2Comment->selectAll();
        m_v2Comment->ensureCursorVisible();
        return;
    }
    for (QLineEdit* edit : m_edits) {
        if (edit && edit == focused) {
            edit->selectAll();
            return;
        }
    }
}

batch::EditorTexts TagEditorDialog::editorTexts() const
{
    batch::EditorTexts texts;
    tags::forEachField([&](EditorField field) { texts[field] = text(field).toStdString(); });
    texts.v1Checked = m_ui->checkId3v1->isChecked();
    texts.v2Checked = m_ui->checkId3v2->isChecked();
    return texts;
}

batch::EditorLayout TagEditorDialog::editorLayout() const
{
    return m_expanded ? batch::EditorLayout::Expanded : batch::EditorLayout::Reduced;
}

bool TagEditorDialog::saveCurrentFile()
{
    if (!m_ui->pictureArea->commitPending())
        return false;
    const bool compact = m_ui->checkId3v2->isChecked() && m_ui->checkCompact->isChecked();
    // An unchanged file is still rewritten when its tag is to be compacted.
    if (!m_modified && !compact)
        return true;
    // A 2.2 tag is only ever rewritten as 2.3, and only when the user says so.
    OldTagSave oldTag = OldTagSave::Keep;
    if (m_v2Major == 2 && m_ui->checkId3v2->isChecked()) {
        const QString question = QStringLiteral("The ID3v2.2 tag of ") + currentName() +
                                 QStringLiteral(" can only be saved as ID3v2.3. Convert it?");
        if (m_prompter.yesNo(this, question)) oldTag = OldTagSave::Convert;
    }
    std::unique_ptr<UndoableChange> change;
    if (m_writing) {
        change = UndoableChange::begin(this, m_prompter, *m_writing, {currentPath()},
                                       "Update of " + m_names[static_cast<std::size_t>(m_index)]);
        if (!change) return false;
    }
    batch::FileOutcome outcome;
    {
        const WaitCursor wait;
        outcome = saveTagFile(currentPath(), editorTexts(), editorLayout(),
                              m_ui->checkCompact->isChecked(),
                              {m_record->hasId3v1(), m_record->hasId3v2()}, oldTag,
                              m_writing ? m_writing->policy : tags::WritePolicy{},
                              change ? change->recorder() : nullptr, m_pictures.edits());
    }
    const QString undoProblem = change ? change->finish() : QString();
    if (outcome.isFailed()) {
        reportSaveFailure(outcome);
        return false;
    }
    if (!undoProblem.isEmpty()) m_prompter.information(this, undoProblem);
    // The picture changes are in the file now: what is shown starts from there.
    (void)m_pictures.reload();
    m_ui->pictureArea->showCover(displayName(m_folder));
    m_modified = false;
    return true;
}

void TagEditorDialog::reportSaveFailure(const batch::FileOutcome& outcome)
{
    m_prompter.stop(this, outcome.status == batch::FileStatus::NotWritable
                              ? readOnlyMessage(currentName())
                              : writeFailureMessage(currentName(), outcome.reason));
}

void TagEditorDialog::stepTo(int index)
{
    m_record->clear();
    m_index = index;
    m_ui->buttonPrev->setEnabled(m_index > 0);
    m_ui->buttonNext->setEnabled(m_index + 1 < static_cast<int>(m_names.size()));
    showCurrentFile();
}

void TagEditorDialog::showCurrentFile()
{
    if (!loadCurrentFile())
        done(QDialog::Rejected);
}

bool TagEditorDialog::offerSave()
{
    if (!m_modified || !m_prompter.yesNo(this, kSavePrompt))
        return true;
    return saveCurrentFile();
}

void TagEditorDialog::goPrev()
{
    if (m_index > 0 && offerSave())
        stepTo(m_index - 1);
}

void TagEditorDialog::goNext()
{
    if (m_index + 1 < static_cast<int>(m_names.size()) && offerSave())
        stepTo(m_index + 1);
}

void TagEditorDialog::saveAndMoveOn()
{
    m_compact = m_ui->checkCompact->isChecked();
    if (!saveCurrentFile())
        return;
    if (m_index + 1 < static_cast<int>(m_names.size()))
        stepTo(m_index + 1);
    else
        accept();
}

void TagEditorDialog::revert()
{
    if (!m_prompter.yesNo(this, kRevertPrompt))
        return;
    m_ui->checkId3v1->setChecked(m_record->hasId3v1());
    m_ui->checkId3v2->setChecked(m_record->hasId3v2());
    applyId3v1Enabling();
    applyId3v2Enabling();
    fillControls();
    m_pictures.revert();
    m_ui->pictureArea->showCover(displayName(m_folder));
    m_modified = false;
}

void TagEditorDialog::copyFromId3v1()
{
    if (!m_ui->checkId3v2->isChecked()) {
        m_ui->checkId3v2->setChecked(true);
        applyId3v2Enabling();
    }
    for (const auto& [v1, v2] : kTagPairs)
        setText(v2, text(v1).left(kCopyFromId3v1Chars));
    // Both boxes hold the same items at the same positions.
    const int position = m_ui->comboV1Genre->currentIndex();
    m_ui->comboV2Genre->setCurrentIndex(position);
    m_ui->comboV2Genre->setEditText(m_ui->comboV2Genre->itemText(position));
}

void TagEditorDialog::copyToId3v1()
{
    if (!m_ui->checkId3v1->isChecked()) {
        m_ui->checkId3v1->setChecked(true);
        applyId3v1Enabling();
    }
    for (const auto& [v1, v2] : kTagPairs)
        setText(v1, text(v2).left(lineEdit(v1)->maxLength()));
    const QString genre = m_ui->comboV2Genre->currentText().left(kToId3v1GenreChars);
    selectGenreIndex(*m_ui->comboV1Genre, tags::findGenre(genre.toStdString()));
}

void TagEditorDialog::toggleLayout()
{
    m_expanded = !m_expanded;
    applyLayout();
}

void TagEditorDialog::clearCounter()
{
    m_ui->editPlayCounter->setText(QStringLiteral("0"));
}

void TagEditorDialog::updateAll()
{
    if (!m_updateAll.chooseFields)
        return;
    UpdateAllRequest request;
    request.parent = this;
    request.texts = editorTexts();
    request.selection = &m_selection;
    const batch::EditorTexts& texts = request.texts;
    if (!m_updateAll.chooseFields(request))
        return;
    {
        const WaitCursor wait;
        m_modified = false;
        batch::UpdateAllJob job;
        job.folder = m_folder;
        job.names = m_names;
        job.plan.id3v1 = batch::collectId3v1List(texts, m_selection);
        job.plan.id3v2 =
            batch::collectId3v2List(texts, m_selection, editorLayout(), batch::PlayCounter::Leave);
        // A tag the editor could not read in the shown file removes no tag anywhere; a tag the
        // file simply lacks can still be removed from the others.
        batch::keepUnloadedTag(job.plan.id3v1, !m_unreadable.id3v1);
        batch::keepUnloadedTag(job.plan.id3v2, !m_unreadable.id3v2);
        job.plan.compact = m_ui->checkCompact->isChecked();
        if (m_updateAll.writeAll)
            m_updateAll.writeAll(this, job);
    }
    m_prompter.information(this, QStringLiteral("Update Complete"));
    m_record->clear();
    showCurrentFile();
}

}  // namespace corvane
