#pragma once

// Zoom and layout arithmetic of the print preview, free of widgets so that it
// can be tested on its own. Lengths are screen pixels unless said otherwise;
// "rounded" means halves to the even neighbour, "truncated" means towards zero.

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// Paper of the current printer as the preview shows it, in millimetres.
struct TPreviewPaper
{
    double PaperWidth = 0;
    double PaperHeight = 0;
    double LeftOffset = 0;
    double TopOffset = 0;
    double RightOffset = 0;
    double BottomOffset = 0;
};

// The sheet and its unprintable margins on the screen at 100 percent.
struct TScreenPaper
{
    int ScreenPaperWidth = 0;
    int ScreenPaperHeight = 0;
    int ScreenMarginLeft = 0;
    int ScreenMarginTop = 0;
    int ScreenMarginRight = 0;
    int ScreenMarginBottom = 0;
};

// A rectangle given by its edges, right and bottom exclusive as on the
// platform's drawing surfaces, so width is Right - Left.
struct TPreviewRect
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TPreviewRect &) const = default;
};

// Typed zoom limits, also the range of the zoom steps.
constexpr int MinTypedZoom = 10;
constexpr int MaxTypedZoom = 1000;

// Millimetres to screen pixels at dpi, rounded.
int ScreenLength(double mm, double dpi);
TScreenPaper ScreenPaperAt100(const TPreviewPaper &paper, double dpiX, double dpiY);

// Size of the paper image at zoom: each side times zoom / 100, rounded.
QSize ZoomedPaperSize(const TScreenPaper &paper, int zoom);

// The printable area of the paper image at zoom (products in integers,
// divided by 100 and rounded).
TPreviewRect PrintableRect(const TScreenPaper &paper, int zoom);

// Left (or top) of the paper image in a client area of the given width (or
// height): centred when the client exceeds the paper plus both borders,
// otherwise at the border.
int PaperPlacement(int client, int paper, int border);

// Client size of a scroll area of the given whole size (no scroll bars)
// holding content of the given size, and which scroll bars it shows: a bar
// appears when the content exceeds the client, and one bar can bring the other.
struct TScrollClient
{
    QSize Client;
    bool HBar = false;
    bool VBar = false;
};
TScrollClient ScrollClientFor(QSize whole, QSize content, int vScrollWidth, int hScrollHeight);

// The numeric items of the zoom box, in their order; other items are skipped.
QList<int> ZoomSteps(const QStringList &items);
// First step above zoom going upwards, or nothing at the top.
std::optional<int> ZoomStepUp(const QList<int> &steps, int zoom);
// First step below zoom going downwards from the last, or nothing at the bottom.
std::optional<int> ZoomStepDown(const QList<int> &steps, int zoom);

// Where a point of the paper image at oldZoom lands at newZoom: the point is
// taken to 100 percent as a single-precision fraction, then scaled and rounded.
int RescaleCoordinate(int x, int oldZoom, int newZoom);
// A single-precision fraction of the paper at 100 percent scaled to zoom, rounded.
int ScaleFraction(float f, int zoom);

// The fit modes; client is the whole scroll area without scroll bars. Each
// result is at least 1, so that a window smaller than its borders still has a
// usable zoom.
int ZoomToPage(QSize client, const TScreenPaper &paper, int border);
// When the fitted sheet is taller than the view a vertical scroll bar of
// vScrollWidth will appear, and the width is fitted again without it.
int ZoomToWidth(QSize client, const TScreenPaper &paper, int border, int vScrollWidth);
// Likewise with a horizontal scroll bar of hScrollHeight.
int ZoomToHeight(QSize client, const TScreenPaper &paper, int border, int hScrollHeight);

// Zoom that makes a rectangle dragged on the paper image (at zoom) just fit the
// client area, and the rectangle's centre as a fraction of the paper at 100
// percent (single precision), to be scaled by the new zoom.
struct TRectZoom
{
    int Zoom = 100;
    float CentreX = 0;
    float CentreY = 0;
};
TRectZoom ZoomForRect(const TPreviewRect &rect, int zoom, QSize client, int border);

// New scroll position that brings coordinate x of the paper image (whose
// origin is at the border) to the middle of a client of the given size; the
// position is unchanged when x lies in the first half already. The caller's
// scroll bar clamps it to its range.
int CentreScrollPosition(int x, int position, int client, int border);

// A zoom text typed into the box: digits only, not empty. Values too large for
// an int saturate, so "99999999999" still means "very large".
std::optional<int> ParseTypedZoom(const QString &text);
// Typed zoom into its limits: below 10 gives 10, above 1000 gives 1000.
int ClampTypedZoom(int zoom);

// What the text of the zoom box asks for.
enum class TZoomChoice { ToPage, ToWidth, ToHeight, Percent, Invalid };
struct TZoomRequest
{
    TZoomChoice Choice = TZoomChoice::Invalid;
    int Percent = 0; // the clamped value for Percent
};
TZoomRequest ParseZoomChoice(const QString &text);

extern const char *const ZoomToPageText;
extern const char *const ZoomToWidthText;
extern const char *const ZoomToHeightText;
// The page counter of the preview's tool bar: "Stranica 1 od 3"; "Stranica"
// before there are pages.
QString PageInfoText(int page, int count);
