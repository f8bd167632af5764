// The view pane shared by the globe and the cross-section: a screen surface
// (what the window shows), a working picture (background plus whatever the
// current tick drew) and a clean picture (background only), the pane
// geometry derived from the client size, the pane frame, the Info button,
// the epicentre flash disc and the right button.
//
// Logical coordinates have their origin at the pane centre on the screen and
// at the centre of the inner rectangle on the two pictures; since the inner
// rectangle is the client inset by 6 pixels, a logical point is the same
// place on all three surfaces.
#pragma once

#include "dialogs/Commands.h"
#include "views/ViewContext.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <vector>

class FaceButton;
class QFontMetrics;
class QPainter;

enum class Surface { Screen, Working, Clean };

// Inset of the inner rectangle (the pictures) inside the client rectangle.
constexpr int kPictureInset = 6;
// Inset of the clip of copies with a rectangle given in device coordinates.
constexpr int kCopyClipInset = 10;

// The pane geometry for a client area of w x h pixels.
struct PaneMetrics {
    QRect client;         // (0, 0, W, H)
    QRect inner;          // client inset by 6: the pictures' size and place
    QPoint centre;        // (W div 2, H div 2)
    int16_t radius = 0;   // R = int(0.42 W)
    QRect globeBox;       // logical (-R, -R) .. (R, R)
    QRect pictureRect;    // logical (-w div 2, -h div 2) .. (w div 2, h div 2)
    int16_t halfPictureWidth = 0;

    static PaneMetrics of(int width, int height);
};

// Where the Info button of a view goes on a client rectangle: 7 average
// character widths wide, text height x buttonHeight high, its left edge 8
// average widths from the right, one average width above the bottom.
QRect infoButtonRect(const QRect& client, int averageCharWidth, int textHeight, float buttonHeight);

// Which tiles of a picture have been drawn on, so that copies and repaints
// move only those instead of the bounding box of everything: a band of
// circles or a ring of fronts touches a small part of the disc it spans.
class DirtyTiles {
public:
    static constexpr int kTile = 16;   // pixels per tile side

    // Forgets everything; the picture is w x h pixels.
    void reset(QSize pictureSize);
    void clear();
    bool isEmpty() const { return count_ == 0; }
    // Marks the tiles under a rectangle in the picture's device pixels.
    void mark(const QRect& deviceRect);
    void markAll() { mark(QRect(QPoint(0, 0), size_)); }
    // This one's tiles plus the other's (same size).
    void unite(const DirtyTiles& other);
    // The marked tiles as rectangles: each tile row's runs of marked tiles,
    // top to bottom and left to right, clipped to the picture. They do not
    // overlap, and each row's rectangles share their top and height.
    void runs(std::vector<QRect>& out) const;
    // Marked tiles (for the benchmark's figures and tests).
    int count() const { return count_; }

private:
    QSize size_;
    int columns_ = 0, rows_ = 0, count_ = 0;
    std::vector<uint8_t> tiles_;
};

// A straight line drawn straight into a 32-bit picture, in whole pixels of
// one colour without blending (device coordinates of the picture). A line
// `width` pixels wide sets, at each step along its longer axis, a run
// across it long enough to keep the width measured square to the line.
// Nothing outside `clip` changes.
void drawLinePixels(QImage& image, QPoint a, QPoint b, QRgb colour, int width, const QRect& clip);
// Copies a rectangle of one 32-bit picture into another, row by row.
void copyPixels(QImage& to, QPoint toTopLeft, const QImage& from, const QRect& fromRect);

class ViewPane : public QWidget {
    Q_OBJECT
public:
    // `infoCommand`: what the Info button sends to the main window (the
    // globe's or the cross-section's information text).
    ViewPane(QWidget* parent, Command infoCommand, QColor background, const ViewContext& context);
    ~ViewPane() override;

    // Computes the geometry from the current client size and recreates the
    // screen surface. Called for each shown view when an event starts.
    void layoutPane();
    const PaneMetrics& metrics() const { return m_; }
    int16_t radius() const { return m_.radius; }
    QColor background() const { return background_; }

    QImage& surface(Surface s);
    const QImage& surface(Surface s) const;
    // The device point of the logical origin of a surface.
    QPoint origin(Surface s) const;

    // Creates the working picture (inner rectangle size, filled with the
    // background colour) and the clean picture as a copy of it.
    bool createPictures();
    bool hasPictures() const { return !working_.isNull() && !clean_.isNull(); }

    // Copies the picture rectangle between two surfaces.
    void copy(Surface target, Surface source);
    // Copies a rectangle given in device coordinates of the screen, clipped
    // to the last client rectangle inset by 10 pixels.
    void copy(Surface target, Surface source, const QRect& deviceRect);
    // Copies a rectangle in logical coordinates (no clip beyond the surfaces).
    void copyLogical(Surface target, Surface source, const QRect& logicalRect);

    // Starts drawing on a surface with the logical origin in place.
    void beginDrawing(QPainter& p, Surface s);

    // Working picture to the screen, then the clean picture to the working
    // one: what the clock does after a tick has drawn. Only the area drawn by
    // this tick and the one before is copied: elsewhere the three surfaces
    // hold the same background.
    void presentWorking();
    // The clean picture to the screen (restart).
    void restoreClean();
    // Views report what a tick drew on the working picture (logical).
    void markDrawn(const QRect& logicalRect);
    // The whole picture counts as drawn (after drawing of unknown extent).
    void markAllDrawn();
    // A polyline of logical points on the working picture, in whole pixels
    // without blending (see drawLinePixels), marked as drawn segment by
    // segment. `points` may be changed: they are moved to device pixels.
    void drawWorkingPolyline(QPoint* points, int count, const QColor& colour, int width);

    // The pane frame, drawn onto the screen surface: the white frame with the
    // background colour as fill (inset `inset`) and the separator line.
    void drawPaneFrame(QPainter& screen, bool fill, int inset);

    // Erases the previous flash disc and draws a white disc of radius
    // int(size x 10) at the logical point, clipped to the inner rectangle.
    void drawFlash(QPoint centre, float size);
    void eraseFlash();
    QRect flashRect() const { return flashRect_; }

    // The Info button: created on the first full redraw, kept for the life
    // of the pane, and drawn onto the screen surface.
    FaceButton* infoButton() const { return info_; }
    void placeInfoButton(QPainter& screen);

    // The paint of the pane will not redo the frame and picture copy:
    // the full redraw has just drawn everything.
    void markPainted() { framePending_ = false; }
    // The next paint redraws the frame and copies the working picture.
    void invalidatePane();

    // Time of the last tick drawn (0 before the first); a resized pane
    // draws it again at its new size.
    float lastTickTime() const { return lastTickTime_; }
    const ViewContext& context() const { return context_; }

protected:
    void setLastTickTime(float t) { lastTickTime_ = t; }
    // Rebuilds the pictures and the background at the new size while an
    // event is shown, then draws the last tick again; false when the
    // pictures could not be rebuilt.
    virtual bool rebuildPictures() { return false; }
    virtual void redrawLastTick() {}
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The frame and picture copy onto the screen surface (the pane's paint).
    virtual void paintPane();

private:
    ViewContext context_;
    Command infoCommand_;
    QColor background_;
    PaneMetrics m_;
    QImage screen_, working_, clean_;
    QRect flashRect_;
    FaceButton* info_ = nullptr;
    bool framePending_ = true;
    DirtyTiles drawn_;          // drawn on the working picture since the last present
    DirtyTiles shown_;          // drawn by the tick now on the screen
    DirtyTiles both_;           // scratch: drawn_ plus shown_
    std::vector<QRect> runs_;   // scratch: the runs of a set of tiles
    QRegion repaint_;           // scratch: the screen area to show again
    float lastTickTime_ = 0;
};
