#include "print/engine/PreviewMath.h"

#include "core/Rounding.h"

#include <algorithm>
#include <climits>

const char *const ZoomToPageText = "Cijela stranica";
const char *const ZoomToWidthText = "Po širini";
const char *const ZoomToHeightText = "Po visini";

QString PageInfoText(int page, int count)
{
    if (count <= 0)
        return QStringLiteral("Stranica");
    return QStringLiteral("Stranica %1 od %2").arg(page).arg(count);
}

namespace {

// num * 100 / den rounded, as one division so that an exact half stays a half.
int RoundedPercent(long long num, long long den)
{
    return RoundHalfEvenInt(static_cast<long double>(num) * 100 / den);
}

// (num * 100 / den) truncated towards zero, in integers so that a quotient
// that is exactly whole is not lost to a binary fraction just below it.
int TruncatedPercent(long long num, long long den)
{
    return static_cast<int>(num * 100 / den);
}

} // namespace

int ScreenLength(double mm, double dpi)
{
    // 25.4 as a double, so that a resolution of 25.4 gives exactly 1 per mm.
    return RoundHalfEvenInt(static_cast<long double>(dpi) * mm / static_cast<long double>(25.4));
}

TScreenPaper ScreenPaperAt100(const TPreviewPaper &paper, double dpiX, double dpiY)
{
    TScreenPaper s;
    s.ScreenPaperWidth = ScreenLength(paper.PaperWidth, dpiX);
    s.ScreenPaperHeight = ScreenLength(paper.PaperHeight, dpiY);
    s.ScreenMarginLeft = ScreenLength(paper.LeftOffset, dpiX);
    s.ScreenMarginTop = ScreenLength(paper.TopOffset, dpiY);
    s.ScreenMarginRight = ScreenLength(paper.RightOffset, dpiX);
    s.ScreenMarginBottom = ScreenLength(paper.BottomOffset, dpiY);
    return s;
}

QSize ZoomedPaperSize(const TScreenPaper &paper, int zoom)
{
    return QSize(RoundHalfEvenInt(static_cast<long double>(paper.ScreenPaperWidth) * zoom / 100),
                 RoundHalfEvenInt(static_cast<long double>(paper.ScreenPaperHeight) * zoom / 100));
}

TPreviewRect PrintableRect(const TScreenPaper &paper, int zoom)
{
    const auto scaled = [zoom](long long v) {
        return RoundHalfEvenInt(static_cast<long double>(v * zoom) / 100.0L);
    };
    TPreviewRect r;
    r.Left = scaled(paper.ScreenMarginLeft);
    r.Top = scaled(paper.ScreenMarginTop);
    r.Right = scaled(static_cast<long long>(paper.ScreenPaperWidth) - paper.ScreenMarginRight);
    r.Bottom = scaled(static_cast<long long>(paper.ScreenPaperHeight) - paper.ScreenMarginBottom);
    return r;
}

int PaperPlacement(int client, int paper, int border)
{
    if (client > paper + 2 * border)
        return RoundHalfEvenInt((static_cast<long double>(client) - paper) / 2);
    return border;
}

TScrollClient ScrollClientFor(QSize whole, QSize content, int vScrollWidth, int hScrollHeight)
{
    TScrollClient r;
    r.HBar = content.width() > whole.width();
    r.VBar = content.height() > whole.height();
    if (r.HBar && !r.VBar)
        r.VBar = content.height() > whole.height() - hScrollHeight;
    if (r.VBar && !r.HBar)
        r.HBar = content.width() > whole.width() - vScrollWidth;
    r.Client = QSize(whole.width() - (r.VBar ? vScrollWidth : 0),
                     whole.height() - (r.HBar ? hScrollHeight : 0));
    return r;
}

QList<int> ZoomSteps(const QStringList &items)
{
    QList<int> steps;
    for (const QString &item : items) {
        bool ok = false;
        const int v = item.toInt(&ok);
        if (ok)
            steps.append(v);
    }
    return steps;
}

std::optional<int> ZoomStepUp(const QList<int> &steps, int zoom)
{
    for (int step : steps)
        if (step > zoom)
            return step;
    return std::nullopt;
}

std::optional<int> ZoomStepDown(const QList<int> &steps, int zoom)
{
    for (auto it = steps.crbegin(); it != steps.crend(); ++it)
        if (*it < zoom)
            return *it;
    return std::nullopt;
}

int RescaleCoordinate(int x, int oldZoom, int newZoom)
{
    return ScaleFraction(static_cast<float>(static_cast<long double>(x) / oldZoom), newZoom);
}

int ScaleFraction(float f, int zoom)
{
    return RoundHalfEvenInt(static_cast<long double>(zoom) * f);
}

int ZoomToPage(QSize client, const TScreenPaper &paper, int border)
{
    if (paper.ScreenPaperWidth <= 0 || paper.ScreenPaperHeight <= 0)
        return 100;
    const int zw = TruncatedPercent(client.width() - 2 * border, paper.ScreenPaperWidth);
    const int zh = TruncatedPercent(client.height() - 2 * border, paper.ScreenPaperHeight);
    return std::max(1, std::min(zw, zh));
}

int ZoomToWidth(QSize client, const TScreenPaper &paper, int border, int vScrollWidth)
{
    if (paper.ScreenPaperWidth <= 0 || paper.ScreenPaperHeight <= 0)
        return 100;
    int zoom = TruncatedPercent(client.width() - 2 * border, paper.ScreenPaperWidth);
    // Height at that zoom, compared in hundredths so that nothing is rounded.
    if (static_cast<long long>(paper.ScreenPaperHeight) * zoom + 200LL * border >
        100LL * client.height())
        zoom =
            TruncatedPercent(client.width() - (2 * border + vScrollWidth), paper.ScreenPaperWidth);
    return std::max(1, zoom);
}

int ZoomToHeight(QSize client, const TScreenPaper &paper, int border, int hScrollHeight)
{
    if (paper.ScreenPaperWidth <= 0 || paper.ScreenPaperHeight <= 0)
        return 100;
    int zoom = TruncatedPercent(client.height() - 2 * border, paper.ScreenPaperHeight);
    if (static_cast<long long>(paper.ScreenPaperWidth) * zoom + 200LL * border >
        100LL * client.width())
        zoom = TruncatedPercent(client.height() - (2 * border + hScrollHeight),
                                paper.ScreenPaperHeight);
    return std::max(1, zoom);
}

TRectZoom ZoomForRect(const TPreviewRect &rect, int zoom, QSize client, int border)
{
    int w = RoundedPercent(rect.Width(), zoom);
    if (w == 0)
        w = 1;
    int h = RoundedPercent(rect.Height(), zoom);
    if (h == 0)
        h = 1;
    TRectZoom r;
    r.CentreX = static_cast<float>((static_cast<long double>(rect.Right) + rect.Left) / 2 / zoom);
    r.CentreY = static_cast<float>((static_cast<long double>(rect.Bottom) + rect.Top) / 2 / zoom);
    const int zw = RoundedPercent(client.width() - 2 * border, w);
    const int zh = RoundedPercent(client.height() - 2 * border, h);
    // No lower limit but 1: a large rectangle in a small window may well need
    // less than the smallest step.
    r.Zoom = std::clamp(std::min(zw, zh), 1, MaxTypedZoom);
    return r;
}

int CentreScrollPosition(int x, int position, int client, int border)
{
    const long double half = static_cast<long double>(client) / 2;
    if (x > half - border)
        return RoundHalfEvenInt(static_cast<long double>(x) + position - half + border);
    return position;
}

std::optional<int> ParseTypedZoom(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    long long v = 0;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        v = std::min<long long>(v * 10 + (c.unicode() - '0'), INT_MAX);
    }
    return static_cast<int>(v);
}

int ClampTypedZoom(int zoom)
{
    return std::clamp(zoom, MinTypedZoom, MaxTypedZoom);
}

TZoomRequest ParseZoomChoice(const QString &text)
{
    TZoomRequest r;
    if (text == QString::fromUtf8(ZoomToPageText))
        r.Choice = TZoomChoice::ToPage;
    else if (text == QString::fromUtf8(ZoomToWidthText))
        r.Choice = TZoomChoice::ToWidth;
    else if (text == QString::fromUtf8(ZoomToHeightText))
        r.Choice = TZoomChoice::ToHeight;
    else if (const auto v = ParseTypedZoom(text)) {
        r.Choice = TZoomChoice::Percent;
        r.Percent = ClampTypedZoom(*v);
    }
    return r;
}
