#include "editor/picture_area.h"

#include "batch/editor_pictures.h"
#include "batch/picture_work.h"
#include "tags/field_catalogue.h"

#include "gui/display_text.h"
#include "gui/prompt.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace corvane {

namespace {

constexpr int kImageSide = 128;

QPushButton* button(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

std::string pathBytes(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The type an added picture starts with: the front cover while there is none, then the back.
std::uint8_t typeForNewPicture(batch::EditorPictures& pictures)
{
    bool front = false;
    bool back = false;
    for (std::size_t i = 0; i < pictures.count(); ++i) {
        front = front || pictures.shown(i).type == tags::kFrontCoverType;
        back = back || pictures.shown(i).type == tags::kFrontCoverType + 1;
    }
    if (!front) return tags::kFrontCoverType;
    return back ? 0 : tags::kFrontCoverType + 1;
}

QString detailsText(const batch::EditorPictures::Shown& shown)
{
    QString text = fromUtf8(shown.mime);
    if (shown.pixels)
        text += QStringLiteral(", %1 x %2").arg(shown.pixels->width).arg(shown.pixels->height);
    return text + QStringLiteral(", ") + QLocale().toString(static_cast<qulonglong>(shown.imageSize)) +
           QStringLiteral(" bytes");
}

}  // namespace

PictureArea::PictureArea(QWidget* parent) : QWidget(parent)
{
    setAcceptDrops(true);
    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("pictureImage"));
    m_image->setFixedSize(kImageSide, kImageSide);
    m_image->setAlignment(Qt::AlignCenter);
    m_image->setFrameShape(QFrame::StyledPanel);
    m_prev = button(QStringLiteral("<"), QStringLiteral("buttonPicturePrev"), this);
    m_next = button(QStringLiteral(">"), QStringLiteral("buttonPictureNext"), this);
    for (QPushButton* b : {m_prev, m_next}) b->setFixedWidth(b->sizeHint().height() * 3 / 2);
    m_position = new QLabel(this);
    m_position->setObjectName(QStringLiteral("picturePosition"));
    m_position->setAlignment(Qt::AlignCenter);
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("comboPictureType"));
    for (const auto& type : tags::PictureTypeTable) m_type->addItem(fromUtf8(type.name));
    m_description = new QLineEdit(this);
    m_description->setObjectName(QStringLiteral("editPictureDescription"));
    m_description->setPlaceholderText(QStringLiteral("Description"));
    m_details = new QLabel(this);
    m_details->setObjectName(QStringLiteral("pictureDetails"));
    m_details->setWordWrap(true);
    m_add = button(QStringLiteral("Add..."), QStringLiteral("buttonPictureAdd"), this);
    m_replace = button(QStringLiteral("Replace..."), QStringLiteral("buttonPictureReplace"), this);
    m_extract = button(QStringLiteral("Extract..."), QStringLiteral("buttonPictureExtract"), this);
    m_remove = button(QStringLiteral("Remove"), QStringLiteral("buttonPictureRemove"), this);

    auto* steps = new QHBoxLayout;
    steps->addWidget(m_prev);
    steps->addWidget(m_position, 1);
    steps->addWidget(m_next);
    auto* facts = new QVBoxLayout;
    facts->addLayout(steps);
    facts->addWidget(m_type);
    facts->addWidget(m_description);
    facts->addWidget(m_details);
    facts->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(m_image, 0, Qt::AlignTop);
    top->addLayout(facts, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_add, m_replace, m_extract, m_remove}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addLayout(buttons);

    connect(m_prev, &QPushButton::clicked, this, [this] { step(-1); });
    connect(m_next, &QPushButton::clicked, this, [this] { step(1); });
    connect(m_add, &QPushButton::clicked, this, &PictureArea::addPicture);
    connect(m_replace, &QPushButton::clicked, this, &PictureArea::replacePicture);
    connect(m_extract, &QPushButton::clicked, this, &PictureArea::extractPicture);
    connect(m_remove, &QPushButton::clicked, this, &PictureArea::removePicture);
    connect(m_type, &QComboBox::activated, this, [this] { (void)commitPending(); });
    connect(m_description, &QLineEdit::editingFinished, this, [this] { (void)commitPending(); });
    // A description being typed is a change already: the save takes it in.
    connect(m_description, &QLineEdit::textEdited, this, &PictureArea::changed);
    showEmpty();
}

void PictureArea::attach(batch::EditorPictures& pictures, Prompter& prompter)
{
    m_pictures = &pictures;
    m_prompter = &prompter;
}

QList<QWidget*> PictureArea::tabSequence() const
{
    return {m_prev, m_next, m_type, m_description, m_add, m_replace, m_extract, m_remove};
}

void PictureArea::showCover(const QString& folder)
{
    m_folder = folder;
    const auto cover = m_pictures ? m_pictures->coverIndex() : std::nullopt;
    if (cover)
        show(static_cast<int>(*cover));
    else
        showEmpty();
}

void PictureArea::setEditable(bool editable)
{
    m_editable = editable;
    enableControls();
}

void PictureArea::showEmpty()
{
    m_current = -1;
    m_image->setPixmap({});
    m_image->setText(QStringLiteral("No picture"));
    m_position->setText(QStringLiteral("No pictures"));
    m_type->setCurrentIndex(-1);
    m_description->clear();
    m_details->clear();
    enableControls();
}

void PictureArea::show(int index)
{
    m_current = index;
    const auto i = static_cast<std::size_t>(index);
    const auto shown = m_pictures->shown(i);
    // The image is read from the file the first time it is shown, and kept.
    const auto bytes = m_pictures->image(i);
    QImage image;
    if (bytes) image.loadFromData(bytes->data(), static_cast<int>(bytes->size()));
    if (image.isNull()) {
        m_image->setPixmap({});
        m_image->setText(QStringLiteral("Cannot show\nthis picture"));
    } else {
        m_image->setPixmap(QPixmap::fromImage(
            image.scaled(m_image->contentsRect().size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    m_position->setText(QStringLiteral("%1 of %2").arg(index + 1).arg(m_pictures->count()));
    if (shown.type < tags::kPictureTypeCount) {
        m_type->setCurrentIndex(shown.type);
    } else {
        m_type->setCurrentIndex(-1);
        m_type->setPlaceholderText(fromUtf8(tags::pictureTypeName(shown.type)));
    }
    m_description->setText(fromUtf8(shown.description));
    m_details->setText(detailsText(shown));
    enableControls();
}

void PictureArea::enableControls()
{
    const bool any = m_current >= 0;
    const int count = m_pictures ? static_cast<int>(m_pictures->count()) : 0;
    m_prev->setEnabled(any && m_current > 0);
    m_next->setEnabled(any && m_current + 1 < count);
    m_type->setEnabled(any && m_editable);
    m_description->setEnabled(any && m_editable);
    m_add->setEnabled(m_editable && m_pictures != nullptr);
    m_replace->setEnabled(any && m_editable);
    m_extract->setEnabled(any);
    m_remove->setEnabled(any && m_editable);
}

void PictureArea::step(int by)
{
    if (!commitPending()) return;
    const int to = m_current + by;
    if (m_pictures && to >= 0 && to < static_cast<int>(m_pictures->count())) show(to);
}

bool PictureArea::addImageFile(const QString& path)
{
    if (!m_pictures || !m_editable || !commitPending()) return false;
    auto read = batch::readImageFile(pathBytes(path), typeForNewPicture(*m_pictures));
    if (!read.picture) {
        m_prompter->stop(this, QStringLiteral("%1 cannot be added as a picture: %2.")
                                   .arg(path, fromUtf8(read.reason)));
        return false;
    }
    m_pictures->add(std::move(*read.picture));
    show(static_cast<int>(m_pictures->count()) - 1);
    emit changed();
    return true;
}

void PictureArea::addPicture()
{
    const QString path = m_prompter->askPath(this, PathQuestion::OpenImage,
                                             QStringLiteral("Add Picture"), m_folder);
    if (!path.isEmpty()) addImageFile(path);
}

void PictureArea::replacePicture()
{
    if (m_current < 0 || !commitPending()) return;
    const QString path = m_prompter->askPath(this, PathQuestion::OpenImage,
                                             QStringLiteral("Replace Picture"), m_folder);
    if (path.isEmpty()) return;
    auto read = batch::readImageFile(pathBytes(path), 0);
    if (!read.picture) {
        m_prompter->stop(this, QStringLiteral("%1 cannot replace the picture: %2.")
                                   .arg(path, fromUtf8(read.reason)));
        return;
    }
    m_pictures->replace(static_cast<std::size_t>(m_current), std::move(*read.picture));
    show(m_current);
    emit changed();
}

void PictureArea::extractPicture()
{
    if (m_current < 0) return;
    const auto bytes = m_pictures->image(static_cast<std::size_t>(m_current));
    if (!bytes) {
        m_prompter->stop(this, QStringLiteral("The picture cannot be read from the file."));
        return;
    }
    const QString suggested =
        m_folder + QStringLiteral("cover") + fromUtf8(tags::fileExtensionOf(tags::imageFormatOf(*bytes)));
    const QString path = m_prompter->askPath(this, PathQuestion::SaveImage,
                                             QStringLiteral("Extract Picture"), suggested);
    if (path.isEmpty()) return;
    auto written = tags::writeWholeFile(pathBytes(path), *bytes, false);
    if (written.exists) {
        if (!m_prompter->yesNo(this, QStringLiteral("%1 exists already. Replace it?").arg(path))) return;
        written = tags::writeWholeFile(pathBytes(path), *bytes, true);
    }
    if (!written.ok)
        m_prompter->stop(this, QStringLiteral("The picture could not be written to %1.\n%2")
                                   .arg(path, fromUtf8(written.reason)));
}

void PictureArea::removePicture()
{
    if (m_current < 0) return;
    m_pictures->remove(static_cast<std::size_t>(m_current));
    const int count = static_cast<int>(m_pictures->count());
    if (count == 0)
        showEmpty();
    else
        show(std::min(m_current, count - 1));
    emit changed();
}

bool PictureArea::commitPending()
{
    if (m_current < 0 || m_type->currentIndex() < 0) return true;
    const auto i = static_cast<std::size_t>(m_current);
    const auto before = m_pictures->shown(i);
    const auto type = static_cast<std::uint8_t>(m_type->currentIndex());
    const std::string description = m_description->text().toStdString();
    if (before.type == type && before.description == description) return true;
    using Retyped = batch::EditorPictures::Retyped;
    switch (m_pictures->setTypeAndDescription(i, type, description)) {
    case Retyped::Done: emit changed(); return true;
    case Retyped::Unreadable:
        m_prompter->stop(this, QStringLiteral("The picture cannot be read from the file."));
        break;
    case Retyped::DescriptionTaken:
        m_prompter->stop(this, QStringLiteral("Another picture is described as \"%1\"; each picture "
                                              "needs a description of its own.")
                                   .arg(m_description->text()));
        break;
    }
    show(m_current);
    return false;
}

void PictureArea::dragEnterEvent(QDragEnterEvent* event)
{
    const auto urls = event->mimeData()->urls();
    if (m_editable && m_pictures && !urls.isEmpty() && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void PictureArea::dropEvent(QDropEvent* event)
{
    const auto urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile()) return;
    if (addImageFile(urls.front().toLocalFile())) event->acceptProposedAction();
}

}  // namespace corvane
