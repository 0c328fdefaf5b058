#pragma once
// One zone number drawn for the report: a metre grid, each shape filled in
// its kind's colour (observation blue, warning yellow, alarm red, as the
// point-cloud view shows them) with the zone's filter polygons cut out as
// holes, over the points of a revolution. Gui only (QPainter), no widgets.
//
// Drawing plane: millimetres, x = lateral (positive to the right), y =
// forward (positive ahead, up on paper), the scanner at the origin.

#include <QPainterPath>
#include <QRectF>
#include <QStringList>
#include <vector>

#include "rawdata.h"
#include "zone_types.h"

class QFont;
class QPainter;

// Outline of one entry in the drawing plane. A sector whose start and end
// angle coincide, or an entry of an unknown shape, gives an empty path.
QPainterPath report_zone_entry_path(const ZoneEntry& entry);

// Zone numbers that hold at least one entry, ascending.
std::vector<int> report_zone_numbers(const zones& list);

// The rows of the entries table of `zone`: number in the list (1-based),
// shape, kind and the geometry in millimetres (sector angles in degrees).
std::vector<QStringList> report_zone_entry_rows(const zones& list, int zone);
// Header of that table.
QStringList report_zone_entry_header();

// The text of a zone number: one hexadecimal digit.
QString report_zone_label(int zone);

// The part of the drawing plane zone `zone` needs: its shapes and the
// scanner, with a little room around them.
QRectF report_zone_bounds(const zones& list, int zone);

// The drawing scale for `ratio` ground millimetres per paper millimetre: the
// next usual one at or above it (1:50, 1:75, 1:100, 1:125, 1:150, 1:200 ...).
double report_drawing_scale(double ratio);

// Grid spacing in ground millimetres for a drawing at 1:`scale`: a whole
// number of metres (or of tenths below 1:100) at least 8 mm apart on paper.
double report_grid_step(double scale);

// Paints zone `zone` of `list` into `target` (device pixels, `pxPerMm` of
// them per paper millimetre) showing `ground` (drawing plane, same aspect as
// `target`), with grid lines every `gridMm`, over `revolution` when it is not
// null (`mirrored`: the scanner turns the other way, as the live view flips it).
void paint_zone_drawing(QPainter& painter, const QRectF& target, double pxPerMm, const QRectF& ground,
                        double gridMm, const zones& list, int zone, const Revolution* revolution,
                        bool mirrored, const QFont& labelFont);
