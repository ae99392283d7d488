#pragma once
// The menu bar of the main window: a strip of bands in rows, each band a Toolbar, with an
// etched frame and etched lines between the rows. The user drags a band by its grip within
// its row or into another row; a click on a grip closes the gap after the band, or opens one
// when there is none.
//
// Use from the main window:
//
//     m_menubar = new corvane::Menubar(this);              // starts as wide as this, 0 high
//     m_menubar->fitToParent(width());                      // when this was resized since
//     m_menubar->addBandTextItem(0, tr("&Action"), 1001);   // band 0: three text buttons
//     m_menubar->addBandTextItem(0, tr("&View"), 1002);
//     m_menubar->addBandTextItem(0, tr("&About"), 1003);
//     m_menubar->addBandPictureItem(1, tickedIcon, QSize(16, 16), 1004);
//     ...                          // band 1: the half-ticked (1005) and empty box (1006) likewise
//     connect(m_menubar, &corvane::Menubar::commandTriggered, this, &MainWindow::runCommand);
//     connect(m_menubar, &corvane::Menubar::heightChanged, this, &MainWindow::layoutPanes);
//
// Add the items once the window has its real width: a band goes into the first row with room
// for it, and the rows are not wrapped again on a later resize. In layoutPanes, call
// m_menubar->fitToParent(width()) first and place the other panes from m_menubar->height()
// down. Open a button's popup at m_menubar->buttonAnchor(band, button), e.g.
// menu.popup(m_menubar->buttonAnchor(0, 0)) for "&Action". The bar can also sit in a QLayout:
// its size hint is its width and height, vertically fixed.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "controls/menubar_layout.h"

namespace corvane {

class Toolbar;

class Menubar : public QWidget {
    Q_OBJECT

public:
    // A bar without bands, at the top of parent, as wide as parent and 0 high.
    explicit Menubar(QWidget* parent = nullptr);
    ~Menubar() override;

    // Adds a text button ("&" marks the access letter) to a band. band must be the last band,
    // or bandCount() to start a new band; the band is then placed again (first row with room).
    void addBandTextItem(int band, const QString& caption, int command);
    // Adds a picture button (shown with its alpha channel) to a band; band as above.
    void addBandPictureItem(int band, const QPixmap& picture, int command);
    // As above; the pixels of transparentColour are shown as the background.
    void addBandPictureItem(int band, const QPixmap& picture, const QColor& transparentColour,
                            int command);
    // As above, showing icon at size (device-independent pixels).
    void addBandPictureItem(int band, const QIcon& icon, const QSize& size, int command);

    // The tooltip of a button (by band and its index in the band).
    void setButtonToolTip(int band, int button, const QString& text);

    // Makes the bar parentWidth wide at (0, 0), keeping its height. Bands keep their places;
    // only the last band of each row gains or loses free space. Does nothing when the width is
    // already right.
    void fitToParent(int parentWidth);

    // Global point below button of band where the button's popup opens: the button's left
    // edge, 2 pixels below the bottom of the band's row.
    [[nodiscard]] QPoint buttonAnchor(int band, int button) const;
    // The same point in the bar's own coordinates.
    [[nodiscard]] QPoint localButtonAnchor(int band, int button) const;

    [[nodiscard]] int bandCount() const { return static_cast<int>(m_bands.size()); }
    // The toolbar of a band; owned by the bar. Add items through the bar, not the toolbar, so
    // that the band is placed again.
    [[nodiscard]] Toolbar* band(int index) const;
    [[nodiscard]] const MenubarLayout& bandLayout() const { return m_layout; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

signals:
    // A button of a band was clicked.
    void commandTriggered(int command);
    // The bar's height changed (a band moved to another row, or a band was added): the owner
    // lays out its other panes below the new height.
    void heightChanged(int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Drag {
        int band = -1;       // band whose grip is under the pointer or being dragged
        int grabOffset = 0;  // pointer x minus the band's left edge at the press
        QPoint pressPoint;
        bool pressed = false;  // the left button went down on the grip and is still down
        bool moving = false;   // the pointer went far enough to make it a drag, not a click
    };

    template <typename AddItem>
    void addToBand(int band, AddItem addItem);
    Toolbar* createBand();
    void applyLayout();
    void paintSeparators(QPainter& painter) const;

    bool handleToolbarMouse(Toolbar* bar, QMouseEvent* event);
    void showGripHover(int band);
    void clearGripHover();
    bool pressOnGrip(QPoint p);
    void dragTo(QPoint p, Qt::MouseButtons buttons);
    void releaseAt(QPoint p);
    void startGripClick(int band);
    void stepGripClick();
    void finishGripClick();

    MenubarLayout m_layout;
    std::vector<Toolbar*> m_bands;  // children of this bar
    Drag m_drag;
    QTimer m_clickTimer;
    std::vector<BandTarget> m_clickTargets;
    int m_clickStep = 0;  // pixels per step of the current grip-click slide
};

}  // namespace corvane
