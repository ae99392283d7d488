#include "batchui/picture_dialogs.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "gui/display_text.h"
#include "gui/prompt.h"

namespace corvane {

namespace {

constexpr int kDefaultKilobytes = 500;
const QString kDefaultFormat = QStringLiteral("%artist% - %album%");

QDialogButtonBox* okCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("buttons"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

RemovePicturesDialog::RemovePicturesDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Remove Pictures"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Remove from the selected files:"), this));
    m_all = new QRadioButton(QStringLiteral("&All pictures"), this);
    m_all->setObjectName(QStringLiteral("radioAllPictures"));
    m_larger = new QRadioButton(QStringLiteral("Only pictures &larger than"), this);
    m_larger->setObjectName(QStringLiteral("radioLargerPictures"));
    m_kilobytes = new QSpinBox(this);
    m_kilobytes->setObjectName(QStringLiteral("spinKilobytes"));
    m_kilobytes->setRange(0, 256 * 1024);
    m_kilobytes->setValue(kDefaultKilobytes);
    m_kilobytes->setSuffix(QStringLiteral(" KB"));
    m_all->setChecked(true);
    m_kilobytes->setEnabled(false);
    connect(m_larger, &QRadioButton::toggled, m_kilobytes, &QSpinBox::setEnabled);
    auto* larger = new QHBoxLayout;
    larger->addWidget(m_larger);
    larger->addWidget(m_kilobytes);
    layout->addWidget(m_all);
    layout->addLayout(larger);
    layout->addWidget(okCancel(this));
}

tags::PictureMatch RemovePicturesDialog::match() const
{
    tags::PictureMatch match;
    if (m_larger->isChecked()) match.largerThan = static_cast<std::uint64_t>(m_kilobytes->value()) * 1024;
    return match;
}

ExtractCoversDialog::ExtractCoversDialog(const std::string& folder, std::optional<std::string> album,
                                         Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_prompter(prompter)
{
    setWindowTitle(QStringLiteral("Extract Covers"));
    m_intoFolder = new QRadioButton(QStringLiteral("Into a &folder, one file for each cover"), this);
    m_intoFolder->setObjectName(QStringLiteral("radioIntoFolder"));
    m_folder = new QLineEdit(displayName(folder), this);
    m_folder->setObjectName(QStringLiteral("editFolder"));
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("buttonBrowse"));
    m_format = new QLineEdit(kDefaultFormat, this);
    m_format->setObjectName(QStringLiteral("editFormat"));
    m_format->setToolTip(QStringLiteral("%artist%, %album%, %title%, %track:2%, %filename%, ... and "
                                        "the image's extension; the file's name when the fields are empty"));
    const QString besideText = album ? QStringLiteral("As cover.jpg &beside the files (album \"%1\")")
                                           .arg(fromUtf8(*album))
                                     : QStringLiteral("As cover.jpg &beside the files (only for files "
                                                      "of one album)");
    m_beside = new QRadioButton(besideText, this);
    m_beside->setObjectName(QStringLiteral("radioBeside"));
    m_beside->setEnabled(album.has_value());
    (album ? m_beside : m_intoFolder)->setChecked(true);

    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Folder:"), folderRow);
    form->addRow(QStringLiteral("Names:"), m_format);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_intoFolder);
    layout->addLayout(form);
    layout->addWidget(m_beside);
    layout->addWidget(new QLabel(QStringLiteral("A file that exists already is replaced only when you say so."), this));
    layout->addWidget(okCancel(this));
    connect(browse, &QPushButton::clicked, this, &ExtractCoversDialog::chooseFolder);
    connect(m_intoFolder, &QRadioButton::toggled, this, &ExtractCoversDialog::applyChoice);
    applyChoice();
}

void ExtractCoversDialog::applyChoice()
{
    const bool intoFolder = m_intoFolder->isChecked();
    m_folder->setEnabled(intoFolder);
    m_format->setEnabled(intoFolder);
}

void ExtractCoversDialog::chooseFolder()
{
    const QString chosen = m_prompter.askPath(this, PathQuestion::Folder, QStringLiteral("Extract Covers"),
                                              m_folder->text());
    if (!chosen.isEmpty()) m_folder->setText(chosen);
}

void ExtractCoversDialog::accept()
{
    if (m_intoFolder->isChecked() && !QDir(m_folder->text()).exists()) {
        m_prompter.stop(this, QStringLiteral("Please choose a folder that exists."));
        return;
    }
    QDialog::accept();
}

batch::ExtractOptions ExtractCoversDialog::options() const
{
    batch::ExtractOptions options;
    if (m_beside->isChecked()) {
        options.besideAsCover = true;
        return options;
    }
    std::string folder = QFile::encodeName(m_folder->text()).toStdString();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    options.folder = folder;
    options.nameFormat = m_format->text().toStdString();
    return options;
}

}  // namespace corvane
