#include "app/about_dialog.h"

#include <QBoxLayout>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

#include "gui/resources.h"

namespace corvane {

namespace {

constexpr int kIconSize = 32;

// Rendered for the screen's pixel ratio, so the banner stays sharp on a scaled desktop.
QPixmap bannerPixmap(qreal ratio)
{
    QSvgRenderer renderer(QStringLiteral(":/icons/about-banner.svg"));
    QPixmap pixmap(QSize(kAboutBannerWidth, kAboutBannerHeight) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(0, 0, kAboutBannerWidth, kAboutBannerHeight));
    return pixmap;
}

QLabel* addLabel(QWidget* parent, const QString& name, const QString& text = {})
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLayout* textRow(QWidget* parent, const QIcon& icon)
{
    auto* iconLabel = addLabel(parent, QStringLiteral("iconLabel"));
    iconLabel->setPixmap(icon.pixmap(kIconSize, kIconSize));
    iconLabel->setFixedSize(kIconSize, kIconSize);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(
        addLabel(parent, QStringLiteral("productLabel"), QStringLiteral("Ostrander Corvane")));
    texts->addWidget(
        addLabel(parent, QStringLiteral("versionLabel"),
                 QStringLiteral("Version ") + QStringLiteral(CORVANE_VERSION)));
    texts->addStretch();
    auto* row = new QHBoxLayout;
    row->setContentsMargins(22, 0, 22, 0);
    row->setSpacing(20);
    row->addWidget(iconLabel, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    return row;
}

QLayout* lineRow(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("etchedLine"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    // The line is set in from both sides, under the texts, as a quiet divider above the button.
    auto* row = new QHBoxLayout;
    row->setContentsMargins(80, 0, 64, 0);
    row->addWidget(line);
    return row;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    initResources();
    setWindowTitle(QStringLiteral("About Corvane"));

    auto* banner = addLabel(this, QStringLiteral("bannerLabel"));
    banner->setPixmap(bannerPixmap(devicePixelRatioF()));
    banner->setFixedSize(kAboutBannerWidth, kAboutBannerHeight);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    ok->setMinimumWidth(75);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 12, 12);
    buttons->addStretch();
    buttons->addWidget(ok);

    const QIcon icon =
        windowIcon().isNull() ? QIcon(QStringLiteral(":/icons/corvane.svg")) : windowIcon();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(banner);
    layout->addSpacing(22);
    layout->addLayout(textRow(this, icon));
    layout->addSpacing(40);
    layout->addLayout(lineRow(this));
    layout->addSpacing(18);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ok->setFocus();
}

}  // namespace corvane
