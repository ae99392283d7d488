#pragma once
// The About box: the product banner, the application icon, the product line and version, and an
// OK button. It does nothing beyond closing.

#include <QDialog>

namespace corvane {

// The size of the product banner at the top of the box, in device-independent pixels.
inline constexpr int kAboutBannerWidth = 350;
inline constexpr int kAboutBannerHeight = 110;

class AboutDialog final : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace corvane
