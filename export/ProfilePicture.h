// The plot of an elevation profile: elevation (m) against distance (km)
// with round-numbered axes, the curve broken where there is no data, the
// highest and lowest points marked, and a line of figures at the top.
// Painted with QPainter (Qt Gui, no widgets) into any rectangle, so that
// the profile window and tarvelon-render's PNG show the same picture. Text
// is in the legend's fonts, so a QGuiApplication must exist.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>
#include <cstddef>
#include <optional>

#include "dem/ElevationProfile.h"

namespace tarvelon {

// Paints the plot of `profile` into `area`, white behind it; with `marked`,
// a vertical line at that point and its distance and elevation.
void paintProfile(QPainter& painter, const QRect& area, const ElevationProfile& profile,
                  std::optional<std::size_t> marked = {});

// Only the mark of point `marked` over a plot that paintProfile painted in
// `area`: a window keeps the plot and moves the mark as the mouse moves.
void paintProfileMark(QPainter& painter, const QRect& area, const ElevationProfile& profile, std::size_t marked);

// The plot as a picture of `size` pixels.
QImage profileImage(const ElevationProfile& profile, QSize size = {1200, 600});

// Where the axes' frame lies when the plot is painted in `area`.
QRectF profilePlotFrame(const QRect& area, const ElevationProfile& profile);

// The point of the profile nearest in distance to `x` across the plot
// painted in `area`; nothing left or right of the axes' frame, or for a
// profile with no points.
std::optional<std::size_t> profilePointAt(const QRect& area, const ElevationProfile& profile, double x);

// Figures as the plot writes them: a distance in km ("1234.5 km", to two
// decimals under 10 km), an elevation in m ("-4321 m"), a slope in degrees
// ("12.3°"); the same in every locale.
QString profileKilometres(double metres);
QString profileMetres(double metres);
QString profileDegrees(double degrees);

// The line of figures at the top of the plot: length, climb, descent,
// steepest slope.
QString profileSummaryLine(const ElevationProfile& profile);

}  // namespace tarvelon
